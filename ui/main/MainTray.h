// CMainTray: the main window's life in the notification area: its icon and menu, and whether the
// window is hidden there. Hiding animates the window into the notification area and showing it
// animates it back out, but only when it was hidden there; without an icon to come back from the
// window minimises instead. It also carries out the other starts' Hide and Show signals. User-
// interface thread only (the watcher asks by posted messages).
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Dialog.h"
#include "ui/main/WindowSettings.h"
#include "ui/shell/TrayIcon.h"

// The icon's callback message to the main window.
const UINT WM_TRAYNOTIFY = 0x8001;

class CMainTray : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CMainTray(CDialog& window, const CWindowSettings& settings, const CContactBook& book)
        : m_window(window), m_settings(settings), m_book(book) {}
    CMainTray(const CMainTray&) = delete;
    CMainTray& operator=(const CMainTray&) = delete;

    // Adds the icon with its menu and tip, owned by the window, which receives the menu's
    // commands and the icon's callback message; "Show Contacts" is the default item and the
    // startup item is checked while the settings say the program starts at logon. False when
    // the shell has no notification area or refused the icon.
    bool AddToTray();
    bool IsIconAdded() const { return m_bTrayIconAdded; }
    bool IsHiddenToTray() const { return m_bHiddenToTray; }

    // The close box: into the notification area, or minimised when there is no icon.
    void HideWindow();
    // "Show Contacts" and the Show signal: the window comes back and to the front.
    void ShowWindow();

    CTrayIcon& GetTrayIcon() { return m_trayIcon; }

    // Reminds of today's and tomorrow's birthdays and anniversaries now, and at each midnight
    // from now on while the program runs.
    void StartBirthdayReminders();
    // A notification from the icon naming today's and tomorrow's birthdays and anniversaries,
    // unless the user turned the reminders off or there are none; a click on it opens Upcoming
    // Birthdays.
    void RemindOfBirthdays();

private:
    // The icon's callback. While a message box or dialog of the program is open, the icon only
    // brings it forward: a second command must not run inside the first one.
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    // The end of the start-hidden pause: hidden without animation, moved to its saved place.
    LRESULT OnWatcherHide(WPARAM wParam, LPARAM lParam);
    LRESULT OnWatcherShow(WPARAM, LPARAM) {
        ShowWindow();
        return 0;
    }
    // The midnight timer: the new day's reminder, and the timer set for the next one.
    BOOL OnTimer(WPARAM nTimer, LPARAM, LRESULT*);

    CDialog& m_window;
    const CWindowSettings& m_settings;
    const CContactBook& m_book;
    CTrayIcon m_trayIcon;
    bool m_bTrayIconAdded = false;
    bool m_bHiddenToTray = false;
};
