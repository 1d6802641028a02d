#include "Gdi.h"

#include "framework/core/Dpi.h"

BOOL CBitmap::GetSize(SIZE* pSize) const {
    BITMAP info = {};
    if (!m_hObject || !::GetObjectA(m_hObject, sizeof info, &info)) {
        return FALSE;
    }
    *pSize = {info.bmWidth, info.bmHeight};
    return TRUE;
}

BOOL CRgn::CopyRgn(HRGN hSource) {
    if (!m_hObject && !CreateRectRgn(0, 0, 0, 0)) {
        return FALSE;
    }
    return ::CombineRgn(m_hObject, hSource, nullptr, RGN_COPY) != ERROR;
}

BOOL CRgn::SetWindowRgn(HWND hWnd, BOOL bRedraw) {
    if (!m_hObject || !::SetWindowRgn(hWnd, m_hObject, bRedraw)) {
        return FALSE;
    }
    Detach(); // the system deletes it with the window or the next region
    return TRUE;
}

void PaintMinimisedIcon(CWnd* pWnd, HICON hIcon) {
    CPaintDC dc(pWnd);
    pWnd->SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT rect;
    pWnd->GetClientRect(&rect);
    int x = (rect.right - rect.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, hIcon);
}

int GetWindowDpi(HWND hWnd) {
    // Asked where the system has the question (from Windows 10 1607); the screen's otherwise.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto pfnGetDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (pfnGetDpiForWindow && hWnd) {
        if (UINT nDpi = pfnGetDpiForWindow(hWnd)) {
            return static_cast<int>(nDpi);
        }
    }
    HDC hdc = ::GetDC(hWnd);
    int nDpi = hdc ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 0;
    if (hdc) {
        ::ReleaseDC(hWnd, hdc);
    }
    return nDpi > 0 ? nDpi : 96;
}

HFONT CreateStatusBarFont(int nDpi) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return nullptr;
    }
    metrics.lfStatusFont.lfHeight = ScaleBetweenDpi(metrics.lfStatusFont.lfHeight, GetWindowDpi(nullptr), nDpi);
    return ::CreateFontIndirectW(&metrics.lfStatusFont);
}
