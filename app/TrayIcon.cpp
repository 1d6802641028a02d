#include "TrayIcon.h"

#include "res/resource.h"

#include <shellapi.h>

#include <cstddef>
#include <memory>
#include <type_traits>

namespace {

const char kTrayWindowClass[] = "TrayIconClass";
const char kTaskbarCreatedMessage[] = "TaskbarCreated";

// The menu item whose check mark shows whether the program runs at logon.
const UINT kLaunchOnStartupCommand = ID_TRAY_LAUNCH_ON_STARTUP;
// The first Windows version with a notification area that takes callback messages.
const BYTE kFirstTrayMajorVersion = 4;
// The tip of the structure's first version: 63 characters and the terminating zero.
const int kTipBufferSize = 64;

struct MenuDeleter {
    void operator()(HMENU hMenu) const { ::DestroyMenu(hMenu); }
};
using CMenuPtr = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + kTipBufferSize,
              "the first version of the structure ends with its tip");

} // namespace

CTrayIcon* CTrayIcon::s_pTray = nullptr;
// Registered while the program loads, so the hidden window knows the message from its start.
const UINT CTrayIcon::s_uMsgTaskbarCreated = ::RegisterWindowMessageA(kTaskbarCreatedMessage);

CTrayIcon::CTrayIcon() : m_data() {
    s_pTray = this;
}

CTrayIcon::~CTrayIcon() {
    RemoveFromTray();
    if (m_hOwnWnd) {
        ::DestroyWindow(m_hOwnWnd);
        m_hOwnWnd = nullptr;
    }
    if (s_pTray == this) {
        s_pTray = nullptr;
    }
}

BOOL CTrayIcon::AddToTray(HINSTANCE hInst, HWND hOwner, UINT nCallbackMessage, LPCSTR pszTip, HICON hIcon,
                          UINT nId) {
    m_bTraySupported = LOBYTE(LOWORD(::GetVersion())) >= kFirstTrayMajorVersion;
    if (!m_bTraySupported) {
        return FALSE;
    }
    m_hInst = hInst;

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = TrayWindowProc;
    wc.hInstance = hInst;
    wc.lpszClassName = kTrayWindowClass;
    // Fails harmlessly when an earlier call registered the class already.
    ::RegisterClassExA(&wc);

    // Never shown: it exists to hear the shell's broadcasts (and the callback when no owner is
    // given). Without it the icon still works through the owner.
    m_hOwnWnd = ::CreateWindowExA(0, kTrayWindowClass, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInst, nullptr);

    // The first version of the structure: every shell understands it, and it carries all we use.
    m_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_data.hWnd = hOwner ? hOwner : m_hOwnWnd;
    m_data.uID = nId;
    m_data.hIcon = hIcon;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = nCallbackMessage;
    ::lstrcpynA(m_data.szTip, pszTip ? pszTip : "", kTipBufferSize);
    m_hNotifyWnd = m_data.hWnd;
    m_uAddFlags = m_data.uFlags;

    BOOL bAdded = ::Shell_NotifyIconA(NIM_ADD, &m_data);
    m_bIconDeleted = bAdded ? FALSE : TRUE;
    return bAdded;
}

BOOL CTrayIcon::RemoveFromTray() {
    if (!m_bTraySupported || m_bIconDeleted) {
        return TRUE;
    }
    m_data.uFlags = 0;
    if (::Shell_NotifyIconA(NIM_DELETE, &m_data)) {
        m_bIconDeleted = TRUE;
    }
    return m_bIconDeleted;
}

void CTrayIcon::ReinstallIcon() {
    if (!m_bTraySupported || m_bIconDeleted) {
        return;
    }
    m_data.uFlags = m_uAddFlags;
    // When the icon is still there the shell refuses a second one, which is just as good; when
    // it is gone there is nothing better to do than try again at the next broadcast.
    ::Shell_NotifyIconA(NIM_ADD, &m_data);
}

BOOL CTrayIcon::ChooseDefaultItem(UINT nItem, BOOL bByPosition) {
    if (nItem == m_uDefaultItem && bByPosition == m_bDefaultIsPosition) {
        return TRUE;
    }
    m_uDefaultItem = nItem;
    m_bDefaultIsPosition = bByPosition;
    CMenuPtr popup(LoadPopup());
    return popup ? TRUE : FALSE;
}

HMENU CTrayIcon::LoadPopup() const {
    CMenuPtr bar(::LoadMenuA(m_hInst, MAKEINTRESOURCEA(m_data.uID)));
    if (!bar) {
        return nullptr;
    }
    HMENU hPopup = ::GetSubMenu(bar.get(), 0);
    // Taking the popup off the bar keeps it alive when the bar is destroyed.
    if (!hPopup || !::RemoveMenu(bar.get(), 0, MF_BYPOSITION)) {
        return nullptr;
    }
    return hPopup;
}

HMENU CTrayIcon::BuildPopupMenu() const {
    HMENU hPopup = LoadPopup();
    if (!hPopup) {
        return nullptr;
    }
    bool bLaunchOnStartup = m_pbLaunchOnStartup && *m_pbLaunchOnStartup;
    // A menu without these items is shown as it is: nothing to check, nothing in bold.
    ::CheckMenuItem(hPopup, kLaunchOnStartupCommand,
                    MF_BYCOMMAND | (bLaunchOnStartup ? MF_CHECKED : MF_UNCHECKED));
    ::SetMenuDefaultItem(hPopup, m_uDefaultItem, m_bDefaultIsPosition);
    return hPopup;
}

LRESULT CTrayIcon::HandleTrayMessage(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_data.uID || !m_hNotifyWnd) {
        return 0;
    }
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
        CMenuPtr popup(BuildPopupMenu());
        if (!popup) {
            return 0;
        }
        POINT pt = {0, 0};
        ::GetCursorPos(&pt);
        // The menu closes when the user clicks elsewhere only if our window is in front, and
        // the posted message lets the shell see the menu has ended (a known quirk of popups
        // opened from the notification area).
        ::SetForegroundWindow(m_data.hWnd);
        ::TrackPopupMenu(popup.get(), 0, pt.x, pt.y, 0, m_hNotifyWnd, nullptr);
        ::PostMessageA(m_data.hWnd, WM_NULL, 0, 0);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        ::SetForegroundWindow(m_data.hWnd);
        UINT nCommand = m_uDefaultItem;
        if (m_bDefaultIsPosition) {
            CMenuPtr popup(LoadPopup());
            if (!popup) {
                return 0;
            }
            nCommand = ::GetMenuItemID(popup.get(), static_cast<int>(m_uDefaultItem));
        }
        ::SendMessageA(m_hNotifyWnd, WM_COMMAND, nCommand, 0);
        break;
    }
    default:
        break;
    }
    return 1;
}

LRESULT CALLBACK CTrayIcon::TrayWindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    CTrayIcon* pTray = s_pTray;
    // Messages that arrive while the window is being created, or after the object is gone.
    if (!pTray || hWnd != pTray->m_hOwnWnd) {
        return ::DefWindowProcA(hWnd, nMessage, wParam, lParam);
    }
    // A restarted taskbar has lost our icon; so may a taskbar that moved with the work area.
    if ((s_uMsgTaskbarCreated != 0 && nMessage == s_uMsgTaskbarCreated) ||
        (nMessage == WM_WININICHANGE && wParam == SPI_SETWORKAREA)) {
        pTray->ReinstallIcon();
        return 0;
    }
    if (nMessage == pTray->m_data.uCallbackMessage) {
        return pTray->HandleTrayMessage(wParam, lParam);
    }
    return ::DefWindowProcA(hWnd, nMessage, wParam, lParam);
}
