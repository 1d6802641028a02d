#include "Dialog.h"

#include "DpiIcon.h"
#include "framework/base/AppContext.h"

#include <commctrl.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <utility>

BOOL AfxPreTranslateMessage(HWND hStop, MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = CWnd::FromHandle(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg)) {
            return TRUE;
        }
        if (hWnd == hStop) {
            break;
        }
    }
    return FALSE;
}

HWND AfxFindModalWindow() {
    struct Search {
        HWND hMain;
        HWND hFound;
    } search = {AfxGetMainWindow(), nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            Search* pSearch = reinterpret_cast<Search*>(lParam);
            wchar_t szClass[16] = L"";
            ::GetClassNameW(hWnd, szClass, static_cast<int>(std::size(szClass)));
            if (hWnd != pSearch->hMain && ::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd) &&
                std::wstring(szClass) == L"#32770") {
                pSearch->hFound = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

BOOL DDX_Control(CDataExchange* pDX, int nId, CWnd& control) {
    if (control.m_hWnd || control.SubclassDlgItem(static_cast<UINT>(nId), pDX->m_pDlgWnd)) {
        return TRUE;
    }
    if (!pDX->m_nFailedId) {
        pDX->m_nFailedId = nId;
    }
    return FALSE;
}

const CMessageTable* CDialog::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CDialog::OnOK>(IDOK),
        OnCommand<&CDialog::OnCancel>(IDCANCEL),
        OnMessage<&CDialog::OnWmDpiChanged>(WM_DPICHANGED),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLORDLG>>(WM_CTLCOLORDLG),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLORSTATIC>>(WM_CTLCOLORSTATIC),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLOREDIT>>(WM_CTLCOLOREDIT),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLORBTN>>(WM_CTLCOLORBTN),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLORLISTBOX>>(WM_CTLCOLORLISTBOX),
        OnMessageUnlessDeclined<&CDialog::OnCtlColor<WM_CTLCOLORSCROLLBAR>>(WM_CTLCOLORSCROLLBAR),
        OnMessageUnlessDeclined<&CDialog::OnSettingChange>(WM_SETTINGCHANGE),
        OnMessageUnlessDeclined<&CDialog::OnSysColorChange>(WM_SYSCOLORCHANGE),
    };
    static const CMessageTable table = {CWnd::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMessage, WPARAM, LPARAM) {
    // Every other message reaches the wrapper through its window procedure first.
    if (nMessage == WM_INITDIALOG) {
        CDialog* pDlg = static_cast<CDialog*>(CWnd::FromHandle(hWnd));
        if (!pDlg) {
            return TRUE;
        }
        pDlg->m_nDpi = pDlg->m_nTemplateDpi = GetWindowDpi(hWnd);
        pDlg->m_hTemplateFont = reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
        // The windows scale themselves when they move to a screen of another scaling, the same
        // way on every system (Wine's dialog manager has no scaling of its own).
        using SetBehaviourFn = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
        static const auto pfnSetBehaviour = reinterpret_cast<SetBehaviourFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
        if (pfnSetBehaviour) {
            pfnSetBehaviour(hWnd, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
        }
        // The window takes the theme as it is now, in OnInitDialog and here.
        CTheme::Current().Refresh();
        const BOOL bDefaultFocus = pDlg->OnInitDialog();
        pDlg->FollowTheme(true);
        return bDefaultFocus;
    }
    return FALSE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParent) {
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParent;
    return CreateOwned(pParent ? pParent->m_hWnd : nullptr);
}

BOOL CDialog::CreateOwned(HWND hOwner) {
    HookWindowCreate(this);
    // A Unicode dialog: its controls hold any character.
    HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                     &CDialog::DialogProc, 0);
    UnhookWindowCreate();
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    // A dialog opened without a parent is still modal to the main window: the window under it
    // takes no clicks or commands until it ends. (The main window run as a dialog has no handle
    // yet, so it finds no owner.)
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hOwner) {
        hOwner = AfxGetModalOwner();
    }
    CModalScope modal;
    m_bEndModal = false;
    m_nModalResult = -1;
    if (!CreateOwned(hOwner)) {
        return -1;
    }
    bool bOwnerDisabled = hOwner && ::IsWindowEnabled(hOwner);
    if (bOwnerDisabled) {
        ::EnableWindow(hOwner, FALSE);
    }
    if (!m_bEndModal) {
        if (!m_bShowLater) {
            ShowWindow(SW_SHOWNORMAL);
        }
        RunModalLoop();
    }
    if (bOwnerDisabled) {
        ::EnableWindow(hOwner, TRUE);
        if (::GetActiveWindow() == m_hWnd) {
            ::SetActiveWindow(hOwner);
        }
    }
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::RunModalLoop() {
    m_bInModalLoop = true;
    MSG msg;
    while (!m_bEndModal) {
        BOOL bResult = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bResult == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave the quit for the outer loop
            break;
        }
        if (bResult == -1) {
            break;
        }
        if (!AfxPreTranslateMessage(m_hWnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_bInModalLoop = false;
}

bool CDialog::HasNestedModal() const { return AfxGetModalDepth() > (m_bInModalLoop ? 1 : 0); }

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bEndModal = true;
    if (m_bInModalLoop) {
        PostMessage(WM_NULL); // wake the loop
    } else if (m_hWnd) {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    m_nFailedControlId = dx.m_nFailedId;
    return dx.m_nFailedId == 0;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) { return PreTranslateInput(pMsg); }

LRESULT CDialog::OnWmDpiChanged(WPARAM wParam, LPARAM lParam) {
    const int nNewDpi = HIWORD(wParam);
    const int nOldDpi = m_nDpi;
    const RECT* pSuggested = reinterpret_cast<const RECT*>(lParam);
    if (nNewDpi <= 0 || nNewDpi == nOldDpi) {
        return 0;
    }
    m_nDpi = nNewDpi;
    ScaleControls(nOldDpi, nNewDpi);
    if (pSuggested) {
        ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                       pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_nCaptionIconId) {
        SetCaptionIcons(m_nCaptionIconId);
    }
    OnDpiChanged(nOldDpi, nNewDpi);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return 0;
}

namespace {

void ScaleListColumns(HWND hList, int nOldDpi, int nNewDpi) {
    HWND hHeader = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    const int nColumns = hHeader ? static_cast<int>(::SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int nColumn = 0; nColumn < nColumns; ++nColumn) {
        const int nWidth = static_cast<int>(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, nColumn, 0));
        ::SendMessageW(hList, LVM_SETCOLUMNWIDTH, nColumn, MAKELPARAM(ScaleBetweenDpi(nWidth, nOldDpi, nNewDpi), 0));
    }
}

} // namespace

void CDialog::ScaleControls(int nOldDpi, int nNewDpi) {
    // The font is made afresh from the template's, so that moving back and forth never drifts.
    HFONT hOldFont = m_scaledFont ? m_scaledFont.GetSafeHandle() : m_hTemplateFont;
    HFONT hNewFont = m_hTemplateFont;
    CFont newFont;
    LOGFONTW font = {};
    if (m_hTemplateFont && nNewDpi != m_nTemplateDpi && ::GetObjectW(m_hTemplateFont, sizeof(font), &font)) {
        font.lfHeight = ScaleBetweenDpi(font.lfHeight, m_nTemplateDpi, nNewDpi);
        newFont.Attach(::CreateFontIndirectW(&font));
        if (newFont) {
            hNewFont = newFont;
        }
    }
    HDWP hPositions = ::BeginDeferWindowPos(16);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        RECT rect;
        ::GetWindowRect(hChild, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        wchar_t szClass[16] = L"";
        ::GetClassNameW(hChild, szClass, static_cast<int>(std::size(szClass)));
        if (_wcsicmp(szClass, L"ComboBox") == 0) {
            // A combo box's height is that of its open list; the closed part follows its font.
            RECT dropped;
            if (::SendMessageW(hChild, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
                rect.bottom = rect.top + (dropped.bottom - dropped.top);
            }
        }
        if (_wcsicmp(szClass, WC_LISTVIEWW) == 0) {
            ScaleListColumns(hChild, nOldDpi, nNewDpi);
        }
        if (hOldFont && reinterpret_cast<HFONT>(::SendMessageW(hChild, WM_GETFONT, 0, 0)) == hOldFont) {
            ::SendMessageW(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(hNewFont), FALSE);
        }
        const int nLeft = ScaleBetweenDpi(rect.left, nOldDpi, nNewDpi);
        const int nTop = ScaleBetweenDpi(rect.top, nOldDpi, nNewDpi);
        const int nWidth = ScaleBetweenDpi(rect.right - rect.left, nOldDpi, nNewDpi);
        const int nHeight = ScaleBetweenDpi(rect.bottom - rect.top, nOldDpi, nNewDpi);
        if (hPositions) {
            hPositions = ::DeferWindowPos(hPositions, hChild, nullptr, nLeft, nTop, nWidth, nHeight,
                                          SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (hPositions) {
        ::EndDeferWindowPos(hPositions);
    }
    // Only now is the old font no longer any control's.
    m_scaledFont.Attach(newFont.Detach());
}

void CDialog::OnDpiChanged(int, int) {}

template <UINT nMessage> BOOL CDialog::OnCtlColor(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    HBRUSH hBrush = ThemeControlColors(CTheme::Current(), nMessage, reinterpret_cast<HDC>(wParam),
                                       nMessage == WM_CTLCOLORDLG ? m_hWnd : reinterpret_cast<HWND>(lParam));
    *pResult = reinterpret_cast<LRESULT>(hBrush);
    return hBrush != nullptr;
}

BOOL CDialog::OnSettingChange(WPARAM wParam, LPARAM lParam, LRESULT*) {
    const wchar_t* pszArea = reinterpret_cast<const wchar_t*>(lParam);
    if (wParam == SPI_SETHIGHCONTRAST || (pszArea && std::wcscmp(pszArea, L"ImmersiveColorSet") == 0)) {
        FollowTheme(false);
    }
    return FALSE;
}

BOOL CDialog::OnSysColorChange(WPARAM wParam, LPARAM lParam, LRESULT*) {
    // The common controls hear of new colours only from their parent.
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        ::SendMessageW(hChild, WM_SYSCOLORCHANGE, wParam, lParam);
    }
    FollowTheme(false);
    return FALSE;
}

void CDialog::FollowTheme(bool bStart) {
    CTheme& theme = CTheme::Current();
    theme.Refresh();
    if (!bStart && theme.Generation() == m_nThemeGeneration) {
        return;
    }
    m_nThemeGeneration = theme.Generation();
    // A window that was never dark keeps the title bar and the styles it was made with.
    const bool bStylesChange = theme.IsDark() != m_bDarkStyles;
    if (bStylesChange) {
        SetDarkTitleBar(m_hWnd, theme.IsDark());
    }
    ApplyThemeToControls(m_hWnd, theme, bStylesChange);
    m_bDarkStyles = theme.IsDark();
    if (!bStart) {
        OnThemeChanged();
    }
}

void CDialog::SetCaptionIcons(UINT nIconId) {
    m_nCaptionIconId = nIconId;
    HICON hSmall = LoadIconForDpi(AfxGetResourceHandle(), nIconId, SM_CXSMICON, m_nDpi);
    HICON hBig = LoadIconForDpi(AfxGetResourceHandle(), nIconId, SM_CXICON, m_nDpi);
    SetIcon(hSmall, FALSE);
    SetIcon(hBig, TRUE);
    for (HICON hOld : {std::exchange(m_hSmallIcon, hSmall), std::exchange(m_hBigIcon, hBig)}) {
        if (hOld) {
            ::DestroyIcon(hOld);
        }
    }
}

CDialog::~CDialog() {
    for (HICON hIcon : {m_hSmallIcon, m_hBigIcon}) {
        if (hIcon) {
            ::DestroyIcon(hIcon);
        }
    }
}
