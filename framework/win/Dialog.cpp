#include "Dialog.h"

#include "framework/base/AppContext.h"

#include <string>

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
    };
    static const CMessageTable table = {CWnd::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMessage, WPARAM, LPARAM) {
    // Every other message reaches the wrapper through its window procedure first.
    if (nMessage == WM_INITDIALOG) {
        CDialog* pDlg = static_cast<CDialog*>(CWnd::FromHandle(hWnd));
        return pDlg ? pDlg->OnInitDialog() : TRUE;
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
