// CMainTray: the main window's life in the notification area: its icon and menu, and whether the
// window is hidden there. Hiding animates the window into the notification area and showing it
// animates it back out, but only when it was hidden there; without an icon to come back from the
// window minimises instead. User-interface thread only (the watcher asks by posted messages).
#pragma once

#include "ui/shell/TrayIcon.h"
#include "framework/core/Rect.h"

class CDialog;

// The icon's callback message to the main window.
const UINT WM_TRAYNOTIFY = 0x8001;

class CMainTray {
public:
    // Adds the icon with its menu and tip, owned by pWindow, which receives the menu's commands
    // and the icon's callback message; "Show Contacts" is the default item and the startup item
    // is checked while *pbLaunchOnStartup is set. False when the shell has no notification area
    // or refused the icon.
    bool AddToTray(CWnd* pWindow, const int* pbLaunchOnStartup);
    bool IsIconAdded() const { return m_bTrayIconAdded; }
    bool IsHiddenToTray() const { return m_bHiddenToTray != 0; }

    // The close box: into the notification area, or minimised when there is no icon.
    void HideWindow(CWnd* pWindow);
    // The end of the start-hidden pause: hidden without animation, moved to its saved place.
    void HideAfterStartHidden(CWnd* pWindow, const CRectI& rcWindow);
    // "Show Contacts" and the Show signal: the window comes back and to the front.
    void ShowWindow(CWnd* pWindow);
    // The icon's callback. While a message box or dialog of the program is open, the icon only
    // brings it forward: a second command must not run inside the first one.
    LRESULT OnTrayNotify(CDialog* pWindow, WPARAM wParam, LPARAM lParam);

    CTrayIcon& GetTrayIcon() { return m_trayIcon; }

private:
    CTrayIcon m_trayIcon;
    bool m_bTrayIconAdded = false;
    int m_bHiddenToTray = 0;
};
