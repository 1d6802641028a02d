#include "WindowTestSupport.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cwchar>

#include <gtest/gtest.h>

namespace {

CStepRunner* g_pRunner = nullptr;
CMessageBoxAnswerer* g_pAnswerer = nullptr;

const UINT kTickMs = 20;
const int kMaxTries = 1500; // thirty seconds of ticks: what a busy machine may need, spent only on failure
const int kMaxSettleTries = 100; // two seconds for the window to become the active one

bool IsMessageBox(HWND hWnd) {
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    // A message box is a dialog with a text of id -1 and neither edits nor lists.
    return std::string(szClass) == "#32770" && ::GetDlgItem(hWnd, 0xFFFF) &&
           !::FindWindowExA(hWnd, nullptr, "Edit", nullptr) && !::FindWindowExA(hWnd, nullptr, "SysListView32", nullptr);
}

} // namespace

CStepRunner& CStepRunner::Then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

CStepRunner& CStepRunner::Do(std::function<void()> action) {
    return Then([action] {
        action();
        return true;
    });
}

CStepRunner& CStepRunner::ThenProgramEnds() {
    m_bProgramEnds = true;
    return *this;
}

INT_PTR CStepRunner::RunModal(CDialog& dlg) {
    m_pDialog = &dlg;
    m_nNext = 0;
    m_nTries = 0;
    m_nSettledTicks = 0;
    g_pRunner = this;
    m_nTimer = ::SetTimer(nullptr, 0, kTickMs, &CStepRunner::OnTimer);
    INT_PTR nResult = dlg.DoModal();
    ::KillTimer(nullptr, m_nTimer);
    g_pRunner = nullptr;
    EXPECT_EQ(m_steps.size(), m_nNext) << "the dialog ended before every step ran";
    return nResult;
}

void CALLBACK CStepRunner::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pRunner) {
        g_pRunner->Tick();
    }
}

void CStepRunner::Tick() {
    static bool s_bInStep = false;
    if (s_bInStep) {
        return; // a step's own message box or loop lets the timer in again
    }
    if (m_nNext >= m_steps.size()) {
        bool bWaitForProgram = m_bProgramEnds && ++m_nTries <= kMaxTries;
        if (m_bProgramEnds && !bWaitForProgram) {
            ADD_FAILURE() << "the program did not end the dialog";
        }
        if (!bWaitForProgram && m_pDialog->m_hWnd && m_pDialog->IsInModalLoop()) {
            m_pDialog->EndDialog(-2);
        }
        return;
    }
    // Focus set before the window is settled as the active one would be undone by its
    // activation, which under a virtual desktop arrives a little later.
    if (m_nNext == 0 && m_pDialog->IsWindowVisible() && m_nSettledTicks < 5 && m_nTries < kMaxSettleTries) {
        ++m_nTries;
        m_nSettledTicks = ::GetActiveWindow() == m_pDialog->m_hWnd ? m_nSettledTicks + 1 : 0;
        return;
    }
    s_bInStep = true;
    bool bDone = m_steps[m_nNext]();
    s_bInStep = false;
    if (bDone) {
        ++m_nNext;
        m_nTries = 0;
    } else if (++m_nTries > kMaxTries) {
        ADD_FAILURE() << "step " << m_nNext << " did not finish";
        ++m_nNext;
        m_nTries = 0;
    }
}

CMessageBoxAnswerer::CMessageBoxAnswerer(int nAnswer) : m_nAnswer(nAnswer) {
    g_pAnswerer = this;
    m_hHook = ::SetWindowsHookExA(WH_CBT, &CMessageBoxAnswerer::HookProc, nullptr, ::GetCurrentThreadId());
}

CMessageBoxAnswerer::~CMessageBoxAnswerer() {
    ::UnhookWindowsHookEx(m_hHook);
    g_pAnswerer = nullptr;
}

LRESULT CALLBACK CMessageBoxAnswerer::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_ACTIVATE && g_pAnswerer) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (IsMessageBox(hWnd)) {
            char szCaption[256] = "";
            char szText[4096] = "";
            ::GetWindowTextA(hWnd, szCaption, sizeof szCaption);
            ::GetDlgItemTextA(hWnd, 0xFFFF, szText, sizeof szText);
            // Answer each box once, however often it is activated.
            if (!::GetPropA(hWnd, "TestAnswered")) {
                ::SetPropA(hWnd, "TestAnswered", hWnd);
                if (g_pAnswerer->m_onOpen) {
                    g_pAnswerer->m_onOpen(hWnd);
                }
                g_pAnswerer->m_boxes.push_back({szCaption, szText});
                ::PostMessageA(hWnd, WM_COMMAND, static_cast<WPARAM>(g_pAnswerer->m_nAnswer), 0);
            }
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void SetControlKey(bool bDown) {
    BYTE state[256];
    ::GetKeyboardState(state);
    state[VK_CONTROL] = bDown ? 0x80 : 0;
    state[VK_LCONTROL] = bDown ? 0x80 : 0;
    ::SetKeyboardState(state);
}

void PostKey(HWND hWnd, WPARAM nKey, bool bControl) {
    SetControlKey(bControl);
    UINT nScan = ::MapVirtualKeyA(static_cast<UINT>(nKey), MAPVK_VK_TO_VSC);
    ::PostMessageA(hWnd, WM_KEYDOWN, nKey, 1 | (nScan << 16));
    ::PostMessageA(hWnd, WM_KEYUP, nKey, 1 | (nScan << 16) | (1u << 30) | (1u << 31));
}

void PumpMessages(HWND hDialog) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxPreTranslateMessage(hDialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

COLORREF ScreenPixel(HWND hWnd, int x, int y) {
    HDC hDC = ::GetDC(hWnd);
    COLORREF color = ::GetPixel(hDC, x, y);
    ::ReleaseDC(hWnd, hDC);
    return color;
}

bool HasPixelNear(HWND hWnd, COLORREF color, const RECT* pArea) {
    auto isNear = [](int a, int b) { return a - b <= 8 && b - a <= 8; };
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    if (pArea) {
        rc = *pArea;
    }
    HDC hDC = ::GetDC(hWnd);
    bool bFound = false;
    for (int y = rc.top; y < rc.bottom && !bFound; ++y) {
        for (int x = rc.left; x < rc.right && !bFound; ++x) {
            COLORREF pixel = ::GetPixel(hDC, x, y);
            bFound = isNear(GetRValue(pixel), GetRValue(color)) && isNear(GetGValue(pixel), GetGValue(color)) &&
                     isNear(GetBValue(pixel), GetBValue(color));
        }
    }
    ::ReleaseDC(hWnd, hDC);
    return bFound;
}

CAccessibleText AskAccessible(HWND hWnd) {
    // The program has COM on its window thread; a test's thread gets it for the question.
    struct CComScope {
        HRESULT hr = ::CoInitialize(nullptr);
        ~CComScope() {
            if (SUCCEEDED(hr)) {
                ::CoUninitialize();
            }
        }
    } com;
    CAccessibleText text;
    IAccessible* pAccessible = nullptr;
    // The interface's id from the compiler: the import library's symbol of that name is no data.
    if (FAILED(::AccessibleObjectFromWindow(hWnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&pAccessible))) ||
        !pAccessible) {
        return text;
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (SUCCEEDED(pAccessible->get_accName(self, &name)) && name) {
        int nLength = ::WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
        std::string strName(static_cast<size_t>(nLength > 0 ? nLength : 1), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, name, -1, &strName[0], nLength, nullptr, nullptr);
        strName.resize(strName.size() - 1);
        text.strName = strName;
        ::SysFreeString(name);
    }
    VARIANT role;
    ::VariantInit(&role);
    if (SUCCEEDED(pAccessible->get_accRole(self, &role)) && role.vt == VT_I4) {
        text.nRole = role.lVal;
    }
    pAccessible->Release();
    return text;
}

namespace {

// A control that takes input from the keyboard: an edit, a list, a drop-down, a button that is
// pressed or checked (radio buttons are reached through the first of their group).
bool TakesInput(HWND hWnd) {
    wchar_t szClass[32] = L"";
    ::GetClassNameW(hWnd, szClass, 32);
    const std::wstring strClass = szClass;
    if (strClass == L"Button") {
        const LONG nType = ::GetWindowLongW(hWnd, GWL_STYLE) & BS_TYPEMASK;
        return nType != BS_GROUPBOX && nType != BS_RADIOBUTTON && nType != BS_AUTORADIOBUTTON;
    }
    return strClass == L"Edit" || strClass == L"ComboBox" || strClass == L"ListBox" || strClass == L"SysListView32" ||
           strClass == L"SysDateTimePick32";
}

} // namespace

std::vector<int> InaccessibleControls(HWND hWindow) {
    std::vector<int> found;
    for (HWND hChild = ::GetWindow(hWindow, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(hChild)) {
            continue;
        }
        const bool bTabStop = (::GetWindowLongW(hChild, GWL_STYLE) & WS_TABSTOP) != 0;
        if (!bTabStop) {
            if (TakesInput(hChild)) {
                found.push_back(::GetDlgCtrlID(hChild));
            }
            continue;
        }
        const std::string strName = AskAccessible(hChild).strName;
        const bool bPlaceholder = strName.size() > 4 && (strName.compare(0, 4, "List") == 0 || strName.compare(0, 4, "Tree") == 0) &&
                                  std::isdigit(static_cast<unsigned char>(strName[4]));
        if (strName.empty() || bPlaceholder) {
            found.push_back(::GetDlgCtrlID(hChild));
        }
    }
    return found;
}

RECT RectInParent(HWND hControl) {
    RECT rect = {};
    ::GetWindowRect(hControl, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hControl), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace {

struct CControlLook {
    HWND hWnd;
    RECT rect;
    int nFontHeight; // 0 without a font of its own
    int nColumnWidths; // a list's columns together
};

std::vector<CControlLook> LookOfControls(HWND hWindow) {
    std::vector<CControlLook> looks;
    for (HWND hChild = ::GetWindow(hWindow, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(hChild)) {
            continue;
        }
        CControlLook look = {hChild, RectInParent(hChild), 0, 0};
        LOGFONTW font = {};
        HFONT hFont = reinterpret_cast<HFONT>(::SendMessageW(hChild, WM_GETFONT, 0, 0));
        if (hFont && ::GetObjectW(hFont, sizeof(font), &font)) {
            look.nFontHeight = std::abs(static_cast<int>(font.lfHeight));
        }
        HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hChild, LVM_GETHEADER, 0, 0));
        const int nColumns = hHeader ? static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int nColumn = 0; nColumn < nColumns; ++nColumn) {
            look.nColumnWidths += static_cast<int>(::SendMessageW(hChild, LVM_GETCOLUMNWIDTH, nColumn, 0));
        }
        looks.push_back(look);
    }
    return looks;
}

void SendDpiChange(HWND hWindow, int nDpi, int nFactorNumerator, int nFactorDenominator) {
    // The size Windows suggests, with the client area scaled: Wine keeps the caption and frame as
    // they are.
    RECT rect;
    RECT client;
    ::GetWindowRect(hWindow, &rect);
    ::GetClientRect(hWindow, &client);
    rect.right += client.right * nFactorNumerator / nFactorDenominator - client.right;
    rect.bottom += client.bottom * nFactorNumerator / nFactorDenominator - client.bottom;
    ::SendMessageW(hWindow, WM_DPICHANGED, MAKEWPARAM(nDpi, nDpi), reinterpret_cast<LPARAM>(&rect));
}

bool Near(long nSeen, long nExpected, long nSlack) { return std::labs(nSeen - nExpected) <= nSlack; }

} // namespace

std::vector<int> ControlsNotFollowingDpi(HWND hWindow) {
    const int nDpi = static_cast<int>(::GetDpiForWindow(hWindow));
    const std::vector<CControlLook> before = LookOfControls(hWindow);
    // One and a half times, so that a window of the main window's smallest size still fits the screen.
    SendDpiChange(hWindow, nDpi * 3 / 2, 3, 2);
    const std::vector<CControlLook> larger = LookOfControls(hWindow);
    SendDpiChange(hWindow, nDpi, 2, 3);
    const std::vector<CControlLook> after = LookOfControls(hWindow);
    std::vector<int> found;
    for (const CControlLook& look : before) {
        auto find = [&](const std::vector<CControlLook>& looks) {
            return std::find_if(looks.begin(), looks.end(), [&](const CControlLook& other) { return other.hWnd == look.hWnd; });
        };
        auto big = find(larger);
        auto back = find(after);
        // A combo box's closed height follows its font, and so does a status bar's, which keeps to
        // the bottom.
        wchar_t szClass[32] = L"";
        ::GetClassNameW(look.hWnd, szClass, 32);
        const bool bCombo = _wcsicmp(szClass, L"ComboBox") == 0;
        const bool bStatusBar = _wcsicmp(szClass, STATUSCLASSNAMEW) == 0;
        const RECT& r = look.rect;
        auto larger3 = [](long n) { return n * 3 / 2; };
        const bool bScaled = big != larger.end() && Near(big->rect.left, larger3(r.left), 1) &&
                             Near(big->rect.right - big->rect.left, larger3(r.right - r.left), 2) &&
                             (bStatusBar ? Near(big->rect.bottom, larger3(r.bottom), 1)
                                         : Near(big->rect.top, larger3(r.top), 1)) &&
                             (bCombo || bStatusBar || Near(big->rect.bottom - big->rect.top, larger3(r.bottom - r.top), 2)) &&
                             Near(big->nFontHeight, larger3(look.nFontHeight), 1) &&
                             Near(big->nColumnWidths, larger3(look.nColumnWidths), 4);
        const bool bRestored = back != after.end() && Near(back->rect.left, r.left, 1) && Near(back->rect.top, r.top, 1) &&
                               Near(back->rect.right, r.right, 1) && Near(back->rect.bottom, r.bottom, 1) &&
                               back->nFontHeight == look.nFontHeight && Near(back->nColumnWidths, look.nColumnWidths, 4);
        if (!bScaled || !bRestored) {
            found.push_back(::GetDlgCtrlID(look.hWnd));
        }
    }
    return found;
}

std::vector<int> ControlsWithCutText(HWND hWindow) {
    std::vector<int> found;
    HDC hdc = ::GetDC(hWindow);
    for (HWND hChild = ::GetWindow(hWindow, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        wchar_t szClass[16] = L"";
        ::GetClassNameW(hChild, szClass, 16);
        const LONG nStyle = ::GetWindowLongW(hChild, GWL_STYLE);
        const LONG nStaticType = nStyle & SS_TYPEMASK;
        // A label that shortens its text with an ellipsis means to.
        const bool bStatic = _wcsicmp(szClass, L"Static") == 0 && !(nStyle & SS_ELLIPSISMASK) &&
                             (nStaticType <= SS_RIGHT || nStaticType == SS_SIMPLE || nStaticType == SS_LEFTNOWORDWRAP);
        const LONG nButtonType = nStyle & BS_TYPEMASK;
        const bool bButton = _wcsicmp(szClass, L"Button") == 0 && nButtonType != BS_OWNERDRAW && !(nStyle & (BS_BITMAP | BS_ICON));
        wchar_t szText[256] = L"";
        if (!::IsWindowVisible(hChild) || !(bStatic || bButton) || !::GetWindowTextW(hChild, szText, 256)) {
            continue;
        }
        RECT client;
        ::GetClientRect(hChild, &client);
        HGDIOBJ hOld = ::SelectObject(hdc, reinterpret_cast<HFONT>(::SendMessageW(hChild, WM_GETFONT, 0, 0)));
        const bool bWraps = bStatic ? nStaticType <= SS_RIGHT : (nStyle & BS_MULTILINE) != 0;
        // What the control keeps beside its text: a box's check mark, a button's edges.
        const int nDpi = static_cast<int>(::GetDpiForWindow(hWindow));
        int nBeside = 0;
        if (bButton) {
            const bool bCheck = nButtonType == BS_CHECKBOX || nButtonType == BS_AUTOCHECKBOX || nButtonType == BS_RADIOBUTTON ||
                                nButtonType == BS_AUTORADIOBUTTON || nButtonType == BS_3STATE || nButtonType == BS_AUTO3STATE;
            nBeside = nButtonType == BS_GROUPBOX ? 2 * nDpi / 12 : bCheck ? nDpi / 6 : nDpi / 16;
        }
        RECT needed = {0, 0, client.right - nBeside, 0};
        ::DrawTextW(hdc, szText, -1, &needed, DT_CALCRECT | (bWraps ? DT_WORDBREAK : DT_SINGLELINE) |
                                                    (bStatic && (nStyle & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        ::SelectObject(hdc, hOld);
        // A line's cell may reach a pixel beyond the label: that is leading above the letters.
        const bool bTall = nButtonType == BS_GROUPBOX || needed.bottom <= client.bottom + 1;
        if (needed.right > client.right - nBeside || !bTall) {
            found.push_back(::GetDlgCtrlID(hChild));
        }
    }
    ::ReleaseDC(hWindow, hdc);
    return found;
}
