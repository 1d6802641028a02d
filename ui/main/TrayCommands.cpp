// Hiding to the tray, showing again, and the one way out: the exit path.
#include "TBookDlg.h"

#include "app/TrayAnimation.h"

BOOL CTBookDlg::MayClose() {
    if (m_pProxy) {
        // An automation client still holds the program: only hide.
        ShowWindow(SW_HIDE);
        return FALSE;
    }
    return TRUE;
}

void CTBookDlg::OnClose() {
    if (MayClose()) {
        Default(); // the dialog turns the close box into IDCANCEL
    }
}

void CTBookDlg::OnCancel() {
    if (!m_bTrayIconAdded) {
        // No icon to come back from: minimise rather than vanish.
        ShowWindow(SW_MINIMIZE);
        return;
    }
    HideToTray(m_hWnd);
    m_bHiddenToTray = 1;
}

void CTBookDlg::OnOK() {
    SaveSettings();
    if (!MayClose()) {
        return;
    }
    // Until the user has seen what went wrong with the file at start-up, the list may not
    // hold everything the file does: nothing is written then.
    if (m_bLoadFinished && !SaveAddressBook()) {
        // The changes exist only in memory now: keep running, and keep listening for the
        // other instances' signals (a quit signal ended the watcher).
        m_watcher.Stop();
        m_watcher.Start(m_hWnd);
        return;
    }
    CDialog::OnOK();
}

void CTBookDlg::OnShowContacts() {
    if (m_bHiddenToTray) {
        RestoreFromTray(m_hWnd);
    } else {
        if (IsIconic()) {
            ShowWindow(SW_RESTORE); // asking for the window means wanting to see it
        }
        ::SetActiveWindow(m_hWnd);
        ::SetForegroundWindow(m_hWnd);
    }
    m_bHiddenToTray = 0;
}

void CTBookDlg::OnTrayExit() { PostMessage(WM_COMMAND, IDOK, 0); }

LRESULT CTBookDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    // While a message box or dialog of the program is open, the tray brings it forward
    // instead of opening the menu: a second command must not run inside the first one.
    if (HasNestedModal()) {
        UINT nMouse = LOWORD(lParam);
        HWND hModal = AfxFindModalWindow();
        if (hModal && (nMouse == WM_RBUTTONUP || nMouse == WM_LBUTTONDBLCLK)) {
            ::SetForegroundWindow(hModal);
        }
        return 0;
    }
    return m_trayIcon.HandleTrayMessage(wParam, lParam);
}

LRESULT CTBookDlg::OnWatcherHide(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    MoveWindow(m_rcWindow.left, m_rcWindow.top, m_rcWindow.right - m_rcWindow.left,
               m_rcWindow.bottom - m_rcWindow.top, TRUE);
    m_bHiddenToTray = 1;
    return 0;
}

LRESULT CTBookDlg::OnWatcherShow(WPARAM, LPARAM) {
    OnShowContacts();
    return 0;
}
