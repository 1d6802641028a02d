#include "MainTray.h"

#include "ui/shell/TrayAnimation.h"
#include "framework/win/Dialog.h"
#include "framework/base/AppContext.h"
#include "res/resource.h"

namespace {

const char kTrayTip[] = "Tovano Address Book";

} // namespace

bool CMainTray::AddToTray(CWnd* pWindow, const int* pbLaunchOnStartup) {
    m_trayIcon.SetCheckSource(pbLaunchOnStartup, ID_TRAY_LAUNCH_ON_STARTUP);
    HICON hTrayIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_TRAY));
    m_bTrayIconAdded = m_trayIcon.AddToTray(AfxGetInstanceHandle(), pWindow->m_hWnd, WM_TRAYNOTIFY, kTrayTip,
                                            hTrayIcon, IDR_TRAY_MENU) != FALSE;
    if (m_bTrayIconAdded) {
        m_trayIcon.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE);
    }
    return m_bTrayIconAdded;
}

void CMainTray::HideWindow(CWnd* pWindow) {
    if (!m_bTrayIconAdded) {
        // No icon to come back from: minimise rather than vanish.
        pWindow->ShowWindow(SW_MINIMIZE);
        return;
    }
    HideToTray(pWindow->m_hWnd);
    m_bHiddenToTray = 1;
}

void CMainTray::HideAfterStartHidden(CWnd* pWindow, const CRectI& rcWindow) {
    pWindow->ShowWindow(SW_HIDE);
    pWindow->MoveWindow(rcWindow.left, rcWindow.top, rcWindow.Width(), rcWindow.Height(), TRUE);
    m_bHiddenToTray = 1;
}

void CMainTray::ShowWindow(CWnd* pWindow) {
    if (m_bHiddenToTray) {
        RestoreFromTray(pWindow->m_hWnd);
    } else {
        if (pWindow->IsIconic()) {
            pWindow->ShowWindow(SW_RESTORE); // asking for the window means wanting to see it
        }
        ::SetActiveWindow(pWindow->m_hWnd);
        ::SetForegroundWindow(pWindow->m_hWnd);
    }
    m_bHiddenToTray = 0;
}

LRESULT CMainTray::OnTrayNotify(CDialog* pWindow, WPARAM wParam, LPARAM lParam) {
    if (pWindow->HasNestedModal()) {
        UINT nMouse = LOWORD(lParam);
        HWND hModal = AfxFindModalWindow();
        if (hModal && (nMouse == WM_RBUTTONUP || nMouse == WM_LBUTTONDBLCLK)) {
            ::SetForegroundWindow(hModal);
        }
        return 0;
    }
    return m_trayIcon.HandleTrayMessage(wParam, lParam);
}
