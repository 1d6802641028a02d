#include "MainTray.h"

#include "ui/shell/TrayAnimation.h"
#include "framework/win/Dialog.h"
#include "framework/base/AppContext.h"
#include "framework/win/DpiIcon.h"
#include "res/resource.h"
#include "ui/birthdays/BirthdaysDlg.h"
#include "ui/main/BirthdayReminder.h"
#include "ui/shell/SignalWatcher.h"

namespace {

const char kTrayTip[] = "Tovano Address Book";
// Beside the other parts' timers of the main window.
const UINT_PTR kMidnightTimerId = 40;

} // namespace

const CMessageTable* CMainTray::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CMainTray::OnTrayNotify>(WM_TRAYNOTIFY),
        OnCommand<&CMainTray::ShowWindow>(ID_TRAY_SHOW_CONTACTS),
        OnMessage<&CMainTray::OnWatcherHide>(WM_WATCHER_HIDE),
        OnMessage<&CMainTray::OnWatcherShow>(WM_WATCHER_SHOW),
        OnMessageUnlessDeclined<&CMainTray::OnTimer>(WM_TIMER),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

bool CMainTray::AddToTray() {
    m_trayIcon.SetCheckSource(&m_settings.m_bLaunchOnStartup, ID_TRAY_LAUNCH_ON_STARTUP);
    m_trayIcon.SetCheckSource(&m_settings.m_bBirthdayReminders, ID_TRAY_BIRTHDAY_REMINDERS);
    // The notification area is drawn at the primary screen's dots per inch, whichever screen the
    // window is on.
    HICON hTrayIcon = m_trayIcon.SetIconForDpi(AfxGetResourceHandle(), IDI_TRAY, GetSystemDpi())
                          ? m_trayIcon.GetIcon()
                          : ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_TRAY));
    m_bTrayIconAdded = m_trayIcon.AddToTray(AfxGetInstanceHandle(), m_window.m_hWnd, WM_TRAYNOTIFY, kTrayTip,
                                            hTrayIcon, IDR_TRAY_MENU) != FALSE;
    if (m_bTrayIconAdded) {
        m_trayIcon.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE);
    }
    return m_bTrayIconAdded;
}

void CMainTray::HideWindow() {
    if (!m_bTrayIconAdded) {
        // No icon to come back from: minimise rather than vanish.
        m_window.ShowWindow(SW_MINIMIZE);
        return;
    }
    HideToTray(m_window.m_hWnd);
    m_bHiddenToTray = true;
}

LRESULT CMainTray::OnWatcherHide(WPARAM, LPARAM) {
    const CRectI& rc = m_settings.m_rcWindow;
    m_window.ShowWindow(SW_HIDE);
    m_window.MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
    m_bHiddenToTray = true;
    return 0;
}

void CMainTray::ShowWindow() {
    if (m_bHiddenToTray) {
        RestoreFromTray(m_window.m_hWnd);
    } else {
        if (m_window.IsIconic()) {
            m_window.ShowWindow(SW_RESTORE); // asking for the window means wanting to see it
        }
        ::SetActiveWindow(m_window.m_hWnd);
        ::SetForegroundWindow(m_window.m_hWnd);
    }
    m_bHiddenToTray = false;
    ::BringWindowToTop(m_window.m_hWnd);
    // A window that was hidden had no focus to give back when it became active again: the keys
    // go to the list, where the user works, and the windows a tray command opens over this one
    // start in front with the keys.
    if (!::IsChild(m_window.m_hWnd, ::GetFocus())) {
        m_window.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_window.GetDlgItem(IDC_LIST)), TRUE);
    }
}

void CMainTray::StartBirthdayReminders() {
    RemindOfBirthdays();
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    ::SetTimer(m_window.m_hWnd, kMidnightTimerId,
               MillisecondsToMidnight(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds), nullptr);
}

void CMainTray::RemindOfBirthdays() {
    CString strTitle, strText;
    if (m_bTrayIconAdded && m_settings.m_bBirthdayReminders &&
        BirthdayReminder(m_book.Contacts(), LocalToday(), strTitle, strText)) {
        m_trayIcon.ShowBalloon(strTitle, strText);
    }
}

BOOL CMainTray::OnTimer(WPARAM nTimer, LPARAM, LRESULT*) {
    if (nTimer != kMidnightTimerId) {
        return FALSE;
    }
    StartBirthdayReminders();
    return TRUE;
}

LRESULT CMainTray::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) == NIN_BALLOONUSERCLICK && wParam == m_trayIcon.m_data.uID && !m_window.HasNestedModal()) {
        m_window.PostMessage(WM_COMMAND, ID_UPCOMING_BIRTHDAYS, 0);
        return 0;
    }
    if (m_window.HasNestedModal()) {
        UINT nMouse = LOWORD(lParam);
        HWND hModal = AfxFindModalWindow();
        if (hModal && (nMouse == WM_RBUTTONUP || nMouse == WM_LBUTTONDBLCLK)) {
            ::SetForegroundWindow(hModal);
        }
        return 0;
    }
    return m_trayIcon.HandleTrayMessage(wParam, lParam);
}
