#include "Theme.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cwchar>
#include <iterator>
#include <string>

namespace {

const wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const wchar_t kAppsUseLightTheme[] = L"AppsUseLightTheme";
// The title bar's dark mode: attribute 20 from Windows 10 20H1 on, 19 on the builds before it.
const DWORD kDwmUseImmersiveDarkMode = 20;
const DWORD kDwmUseImmersiveDarkModeBefore20H1 = 19;
// The system's dark visual styles of the controls (Windows 10 1809 and later); elsewhere the
// names are unknown and the controls keep their usual style, coloured by the messages below.
const wchar_t kDarkExplorer[] = L"DarkMode_Explorer";
const wchar_t kDarkCommonDialog[] = L"DarkMode_CFD";
const wchar_t kDarkItemsView[] = L"DarkMode_ItemsView";
// A class list no style has: the control is drawn without one. (An empty list would do on
// Windows, but Wine then falls back to the control's own class.)
const wchar_t kNoStyle[] = L" ";

CTheme::HighContrastQuery g_pfnHighContrast = nullptr;

bool SystemHighContrast() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

ETheme ReadTheme() {
    const bool bHighContrast = g_pfnHighContrast ? g_pfnHighContrast() : SystemHighContrast();
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    const bool bHasValue = ::RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppsUseLightTheme,
                                          RRF_RT_REG_DWORD, nullptr, &dwValue, &dwSize) == ERROR_SUCCESS;
    return ChooseTheme(bHighContrast, bHasValue, dwValue);
}

CSystemColors ReadSystemColors() {
    return {::GetSysColor(COLOR_BTNFACE),       ::GetSysColor(COLOR_BTNTEXT),  ::GetSysColor(COLOR_WINDOW),
            ::GetSysColor(COLOR_WINDOWTEXT),    ::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
            ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_INFOBK)};
}

bool SameColors(const CThemeColors& a, const CThemeColors& b) {
    return a.face == b.face && a.text == b.text && a.window == b.window && a.windowText == b.windowText &&
           a.grayText == b.grayText && a.selection == b.selection && a.selectionText == b.selectionText &&
           a.noteBack == b.noteBack && a.noteText == b.noteText;
}

void ReplaceBrush(HBRUSH& hBrush, COLORREF color) {
    HBRUSH hNew = ::CreateSolidBrush(color);
    if (hNew) {
        if (hBrush) {
            ::DeleteObject(hBrush);
        }
        hBrush = hNew;
    }
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t szClass[32] = L"";
    ::GetClassNameW(hWnd, szClass, static_cast<int>(std::size(szClass)));
    return szClass;
}

// The visual style a control takes on the dark face: null for none of the system's dark ones,
// kNoStyle for none at all. A check box or group box keeps the style's text colour under a
// visual style, unreadable on the dark face, so those are drawn plain, in the dialog's colours.
const wchar_t* DarkStyleOf(HWND hControl, const std::wstring& strClass) {
    if (_wcsicmp(strClass.c_str(), WC_LISTVIEWW) == 0 || _wcsicmp(strClass.c_str(), WC_LISTBOXW) == 0 ||
        _wcsicmp(strClass.c_str(), WC_SCROLLBARW) == 0) {
        return kDarkExplorer;
    }
    if (_wcsicmp(strClass.c_str(), WC_EDITW) == 0 || _wcsicmp(strClass.c_str(), WC_COMBOBOXW) == 0) {
        return kDarkCommonDialog;
    }
    if (_wcsicmp(strClass.c_str(), WC_BUTTONW) == 0) {
        switch (::GetWindowLongW(hControl, GWL_STYLE) & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return kDarkExplorer;
        case BS_OWNERDRAW: return nullptr;
        default: return kNoStyle;
        }
    }
    return nullptr;
}

void ApplyToList(HWND hList, const CTheme& theme, bool bStylesChange) {
    const CThemeColors& colors = theme.Colors();
    ::SendMessageW(hList, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colors.window));
    ::SendMessageW(hList, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colors.window));
    ::SendMessageW(hList, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colors.windowText));
    HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    if (hHeader && bStylesChange) {
        ::SetWindowTheme(hHeader, theme.IsDark() ? kDarkItemsView : nullptr, nullptr);
        ::InvalidateRect(hHeader, nullptr, TRUE);
    }
}

} // namespace

CTheme& CTheme::Current() {
    static CTheme s_theme;
    return s_theme;
}

CTheme::CTheme() { Refresh(); }

CTheme::~CTheme() {
    for (HBRUSH hBrush : {m_hFace, m_hWindow}) {
        if (hBrush) {
            ::DeleteObject(hBrush);
        }
    }
}

bool CTheme::Refresh() {
    const ETheme kind = ReadTheme();
    const CThemeColors colors = ThemeColorsFor(kind, ReadSystemColors());
    if (m_hFace && kind == m_kind && SameColors(colors, m_colors)) {
        return false;
    }
    m_kind = kind;
    m_colors = colors;
    ReplaceBrush(m_hFace, colors.face);
    ReplaceBrush(m_hWindow, colors.window);
    ++m_nGeneration;
    return true;
}

void CTheme::SetHighContrastQuery(HighContrastQuery pfnQuery) { g_pfnHighContrast = pfnQuery; }

bool SetDarkTitleBar(HWND hWnd, bool bDark) {
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    // Loaded from the system's folder once, for the process's life: systems before Vista have
    // no such library, and the attribute is asked for by number.
    static const SetAttributeFn s_pfnSetAttribute = [] {
        wchar_t szPath[MAX_PATH] = L"";
        const UINT nLength = ::GetSystemDirectoryW(szPath, MAX_PATH);
        if (nLength == 0 || nLength + 12 >= MAX_PATH) {
            return SetAttributeFn(nullptr);
        }
        std::wcscat(szPath, L"\\dwmapi.dll");
        HMODULE hDwm = ::LoadLibraryW(szPath);
        return hDwm ? reinterpret_cast<SetAttributeFn>(
                          reinterpret_cast<void*>(::GetProcAddress(hDwm, "DwmSetWindowAttribute")))
                    : SetAttributeFn(nullptr);
    }();
    if (!s_pfnSetAttribute) {
        return false;
    }
    const BOOL bValue = bDark;
    return SUCCEEDED(s_pfnSetAttribute(hWnd, kDwmUseImmersiveDarkMode, &bValue, sizeof bValue)) ||
           SUCCEEDED(s_pfnSetAttribute(hWnd, kDwmUseImmersiveDarkModeBefore20H1, &bValue, sizeof bValue));
}

void ApplyThemeToControls(HWND hParent, const CTheme& theme, bool bStylesChange) {
    for (HWND hChild = ::GetWindow(hParent, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        const std::wstring strClass = ClassOf(hChild);
        if (_wcsicmp(strClass.c_str(), WC_LISTVIEWW) == 0) {
            ApplyToList(hChild, theme, bStylesChange);
        }
        const wchar_t* pszDark = bStylesChange ? DarkStyleOf(hChild, strClass) : nullptr;
        if (pszDark) {
            // Null names give the control its usual style back.
            const bool bPlain = pszDark == kNoStyle;
            ::SetWindowTheme(hChild, theme.IsDark() ? pszDark : nullptr,
                             theme.IsDark() && bPlain ? kNoStyle : nullptr);
        }
        if (bStylesChange && _wcsicmp(strClass.c_str(), WC_COMBOBOXW) == 0) {
            // A drop-down's own edit and list are windows of their own.
            COMBOBOXINFO info = {};
            info.cbSize = sizeof info;
            if (::GetComboBoxInfo(hChild, &info) && info.hwndList) {
                ::SetWindowTheme(info.hwndList, theme.IsDark() ? kDarkExplorer : nullptr, nullptr);
            }
        }
    }
    ::RedrawWindow(hParent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

HBRUSH ThemeControlColors(const CTheme& theme, UINT nMessage, HDC hDC, HWND hControl) {
    if (!theme.IsDark()) {
        return nullptr;
    }
    const CThemeColors& colors = theme.Colors();
    bool bWindow = nMessage == WM_CTLCOLOREDIT || nMessage == WM_CTLCOLORLISTBOX;
    if (nMessage == WM_CTLCOLORSTATIC && _wcsicmp(ClassOf(hControl).c_str(), WC_EDITW) == 0) {
        // A read-only edit shows the face, as the system's do.
        bWindow = false;
    }
    ::SetTextColor(hDC, ::IsWindowEnabled(hControl) || nMessage == WM_CTLCOLORDLG
                            ? (bWindow ? colors.windowText : colors.text)
                            : colors.grayText);
    ::SetBkColor(hDC, bWindow ? colors.window : colors.face);
    return bWindow ? theme.WindowBrush() : theme.FaceBrush();
}
