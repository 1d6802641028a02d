#include "DpiIcon.h"

namespace {

const int kBaseDpi = 96;

template <typename TFunction> TFunction SystemFunction(const wchar_t* pszModule, const char* pszName) {
    HMODULE hModule = ::GetModuleHandleW(pszModule);
    return hModule ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)))
                   : nullptr;
}

} // namespace

int GetSystemDpi() {
    // Windows 10 1607 and later know the dots per inch the system was started with.
    using GetDpiForSystemFn = UINT(WINAPI*)();
    static const auto pfnGetDpiForSystem =
        SystemFunction<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    if (pfnGetDpiForSystem) {
        if (UINT nDpi = pfnGetDpiForSystem()) {
            return static_cast<int>(nDpi);
        }
    }
    HDC hScreen = ::GetDC(nullptr);
    int nDpi = hScreen ? ::GetDeviceCaps(hScreen, LOGPIXELSY) : 0;
    if (hScreen) {
        ::ReleaseDC(nullptr, hScreen);
    }
    return nDpi > 0 ? nDpi : kBaseDpi;
}

int GetSystemMetricForDpi(int nIndex, int nDpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto pfnForDpi =
        SystemFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (pfnForDpi && nDpi > 0) {
        return pfnForDpi(nIndex, static_cast<UINT>(nDpi));
    }
    // Before Windows 10 1607 every window is drawn at the system's dots per inch, which the plain
    // metric has; another number scales it.
    const int nSystemDpi = GetSystemDpi();
    const int nMetric = ::GetSystemMetrics(nIndex);
    return nDpi > 0 && nDpi != nSystemDpi ? ::MulDiv(nMetric, nDpi, nSystemDpi) : nMetric;
}

HICON LoadIconOfSide(HINSTANCE hInstance, UINT nIconId, int nSide) {
    // Common controls 6 (Vista and later) scale a larger image down rather than a smaller one up.
    using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto pfnScaleDown =
        SystemFunction<LoadIconWithScaleDownFn>(L"comctl32.dll", "LoadIconWithScaleDown");
    if (pfnScaleDown) {
        HICON hIcon = nullptr;
        if (SUCCEEDED(pfnScaleDown(hInstance, MAKEINTRESOURCEW(nIconId), nSide, nSide, &hIcon)) && hIcon) {
            return hIcon;
        }
    }
    return static_cast<HICON>(
        ::LoadImageW(hInstance, MAKEINTRESOURCEW(nIconId), IMAGE_ICON, nSide, nSide, LR_DEFAULTCOLOR));
}

HICON LoadIconForDpi(HINSTANCE hInstance, UINT nIconId, int nSideMetric, int nDpi) {
    return LoadIconOfSide(hInstance, nIconId, GetSystemMetricForDpi(nSideMetric, nDpi));
}
