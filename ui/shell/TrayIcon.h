// CTrayIcon: the program's icon in the taskbar's notification area and the popup menu it opens.
// The icon's id is also the id of the menu resource whose first popup is shown on a right click;
// a double click runs that menu's default command. Commands go to the notify window: the owner
// given to AddToTray, or else a hidden window of class "TrayIconClass" that the object creates
// and owns. The hidden window also puts the icon back when the taskbar is recreated (Explorer
// restarted) or the work area changes.
//
// The hidden window is a wrapped window of its own (m_wndOwn) that knows its icon object, so
// several objects can live side by side. Everything runs on the user-interface thread.
#pragma once

#include "framework/base/Handles.h"
#include "framework/win/Wnd.h"

#include <windows.h>

#include <utility>
#include <vector>

class CTrayIcon;

// The never-shown window of an icon: hears the shell's broadcasts and, without an owner, the
// icon's callback message.
class CTrayWindow : public CWnd {
public:
    explicit CTrayWindow(CTrayIcon& tray) : m_tray(tray) {}
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override;

private:
    CTrayIcon& m_tray;
};

class CTrayIcon {
public:
    CTrayIcon() : m_data(), m_wndOwn(*this) {}
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
    // Takes the icon out of the notification area and destroys the hidden window.
    virtual ~CTrayIcon();

    // Creates the hidden window and adds the icon; tip is cut to 63 characters. Owner, when
    // given, receives the callback message and the menu's commands. False when the system has
    // no notification area or the shell refused the icon; the icon then counts as deleted.
    // Called again, it keeps its hidden window and replaces the icon it added before.
    BOOL AddToTray(HINSTANCE hInst, HWND hOwner, UINT nCallbackMessage, LPCSTR pszTip, HICON hIcon, UINT nId);
    // Takes the icon out; true when it is out (or never was in).
    BOOL RemoveFromTray();
    // Adds the icon again as AddToTray did, unless it was removed since.
    void ReinstallIcon();

    // Loads icon resource nIconId at the small icon size of a screen at nDpi (GetSystemDpi for
    // the taskbar's) and keeps it; while the icon is in the tray it shows it at once. The handle,
    // GetIcon, is what AddToTray is then given. False, keeping the icon it had, when the resource
    // cannot be loaded or the shell refused the change.
    BOOL SetIconForDpi(HINSTANCE hInst, UINT nIconId, int nDpi);
    HICON GetIcon() const { return m_icon.Get(); }

    // The menu item shown in bold and run on a double click: a command id, or a position in the
    // popup when bByPosition. False when the menu resource or its popup is missing (the choice
    // is stored all the same).
    BOOL ChooseDefaultItem(UINT nItem, BOOL bByPosition);

    // The menu item nCommand carries a check mark while *pbChecked is set: a flag owned elsewhere,
    // read each time the menu is built, so the menu always shows its current value. Borrowed, it
    // must outlive this object; null leaves the item unchecked. Each command has one source.
    void SetCheckSource(const int* pbChecked, UINT nCommand);

    // A notification from the icon (a balloon on older systems) with the title and text, cut to
    // what the shell holds; a click on it reaches the callback as NIN_BALLOONUSERCLICK. False when
    // there is no icon or the shell refused it.
    BOOL ShowBalloon(const CString& strTitle, const CString& strText);

    // The icon's callback message: wParam the icon id, lParam the mouse message. Right button up
    // shows the menu at the cursor, a double click sends the default command to the notify
    // window. 0 when the message is not for this icon or the menu cannot be loaded, else 1.
    virtual LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam);

    // The popup a right click shows, loaded afresh with its check mark and default item set;
    // null when the menu resource or its popup is missing. The caller owns it (DestroyMenu).
    HMENU BuildPopupMenu() const;

    // Broadcast by the shell when the taskbar has been (re)created.
    static const UINT s_uMsgTaskbarCreated;

    // The icon's state, open for the owner window and tests to read; only this class changes it.
    NOTIFYICONDATAW m_data;
    HINSTANCE m_hInst = nullptr;
    CTrayWindow m_wndOwn;        // the hidden window, owned
    HWND m_hNotifyWnd = nullptr; // receives the menu's commands, borrowed
    BOOL m_bTraySupported = FALSE;
    BOOL m_bIconDeleted = TRUE;
    UINT m_uAddFlags = 0; // the NIF_ flags the icon was added with, for reinstalling it
    UINT m_uDefaultItem = 0;
    BOOL m_bDefaultIsPosition = TRUE;

private:
    // The first popup of menu m_data.uID, detached from its menu bar; null when either is
    // missing. The caller owns it.
    HMENU LoadPopup() const;

    std::vector<std::pair<UINT, const int*>> m_checkSources; // command, flag
    CIcon m_icon; // loaded by SetIconForDpi; outlives the icon in the tray
};
