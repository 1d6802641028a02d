#include "WindowTestSupport.h"

#include <oleacc.h>

#include <cctype>

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

bool HasPixelNear(HWND hWnd, COLORREF color) {
    auto isNear = [](int a, int b) { return a - b <= 8 && b - a <= 8; };
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    HDC hDC = ::GetDC(hWnd);
    bool bFound = false;
    for (int y = 0; y < rc.bottom && !bFound; ++y) {
        for (int x = 0; x < rc.right && !bFound; ++x) {
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
