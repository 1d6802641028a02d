#include "TrayIcon.h"

#include "framework/core/WideText.h"
#include "framework/base/Handles.h"
#include "framework/win/DpiIcon.h"

#include <shellapi.h>

#include <cstddef>
#include <cwchar>
#include <iterator>
#include <string>

namespace {

const char kTrayWindowClass[] = "TrayIconClass";
const wchar_t kTrayWindowClassW[] = L"TrayIconClass";
const char kTaskbarCreatedMessage[] = "TaskbarCreated";

// The first Windows version with a notification area that takes callback messages.
const BYTE kFirstTrayMajorVersion = 4;
// The tip of the structure's first version: 63 characters and the terminating zero.
const int kTipBufferSize = 64;

static_assert(NOTIFYICONDATAW_V1_SIZE == offsetof(NOTIFYICONDATAW, szTip) + kTipBufferSize * sizeof(wchar_t),
              "the first version of the structure ends with its tip");

// Copies the tip, cut to what the structure holds, never between the two halves of a character
// outside the Basic Multilingual Plane.
void CopyTip(wchar_t* pszTip, const char* pszText) {
    std::wstring tip = ToWide(pszText);
    size_t nLength = tip.size() < kTipBufferSize - 1 ? tip.size() : kTipBufferSize - 1;
    if (nLength > 0 && nLength < tip.size() && tip[nLength - 1] >= 0xD800 && tip[nLength - 1] <= 0xDBFF) {
        --nLength;
    }
    tip.copy(pszTip, nLength);
    pszTip[nLength] = L'\0';
}

} // namespace

// Registered while the program loads, so the hidden window knows the message from its start.
const UINT CTrayIcon::s_uMsgTaskbarCreated = ::RegisterWindowMessageA(kTaskbarCreatedMessage);

LRESULT CTrayWindow::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    // A restarted taskbar has lost our icon; so may a taskbar that moved with the work area.
    if ((CTrayIcon::s_uMsgTaskbarCreated != 0 && nMessage == CTrayIcon::s_uMsgTaskbarCreated) ||
        (nMessage == WM_WININICHANGE && wParam == SPI_SETWORKAREA)) {
        m_tray.ReinstallIcon();
        return 0;
    }
    if (nMessage == m_tray.m_data.uCallbackMessage && m_tray.m_data.uCallbackMessage != 0) {
        return m_tray.HandleTrayMessage(wParam, lParam);
    }
    return CWnd::WindowProc(nMessage, wParam, lParam);
}

CTrayIcon::~CTrayIcon() { RemoveFromTray(); }

BOOL CTrayIcon::AddToTray(HINSTANCE hInst, HWND hOwner, UINT nCallbackMessage, LPCSTR pszTip, HICON hIcon,
                          UINT nId) {
    m_bTraySupported = LOBYTE(LOWORD(::GetVersion())) >= kFirstTrayMajorVersion;
    if (!m_bTraySupported) {
        return FALSE;
    }
    m_hInst = hInst;

    // A second add replaces the first icon rather than leaving it behind.
    RemoveFromTray();

    if (!m_wndOwn.m_hWnd) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
        // The wrapper's subclass does the work; the class only has to exist.
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = hInst;
        wc.lpszClassName = kTrayWindowClassW;
        // Fails harmlessly when an earlier call registered the class already.
        ::RegisterClassExW(&wc);
        // Never shown: it exists to hear the shell's broadcasts (and the callback when no owner
        // is given). Without it the icon still works through the owner.
        m_wndOwn.CreateEx(0, kTrayWindowClass, "", WS_POPUP, RECT{0, 0, 0, 0}, nullptr, 0);
    }

    // The first version of the structure: every shell understands it, and it carries all we use.
    m_data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    m_data.hWnd = hOwner ? hOwner : m_wndOwn.m_hWnd;
    m_data.uID = nId;
    m_data.hIcon = hIcon;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = nCallbackMessage;
    CopyTip(m_data.szTip, pszTip);
    m_hNotifyWnd = m_data.hWnd;
    m_uAddFlags = m_data.uFlags;

    BOOL bAdded = ::Shell_NotifyIconW(NIM_ADD, &m_data);
    m_bIconDeleted = bAdded ? FALSE : TRUE;
    return bAdded;
}

BOOL CTrayIcon::RemoveFromTray() {
    if (!m_bTraySupported || m_bIconDeleted) {
        return TRUE;
    }
    m_data.uFlags = 0;
    if (::Shell_NotifyIconW(NIM_DELETE, &m_data)) {
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
    ::Shell_NotifyIconW(NIM_ADD, &m_data);
}

BOOL CTrayIcon::SetIconForDpi(HINSTANCE hInst, UINT nIconId, int nDpi) {
    CIcon icon(LoadIconForDpi(hInst, nIconId, SM_CXSMICON, nDpi));
    if (!icon) {
        return FALSE;
    }
    if (m_bTraySupported && !m_bIconDeleted) {
        NOTIFYICONDATAW data = m_data;
        data.uFlags = NIF_ICON;
        data.hIcon = icon.Get();
        if (!::Shell_NotifyIconW(NIM_MODIFY, &data)) {
            return FALSE;
        }
    }
    // The tray shows the new icon (or will): the old one may go.
    m_data.hIcon = icon.Get();
    m_icon = std::move(icon);
    return TRUE;
}

BOOL CTrayIcon::ChooseDefaultItem(UINT nItem, BOOL bByPosition) {
    if (nItem == m_uDefaultItem && bByPosition == m_bDefaultIsPosition) {
        return TRUE;
    }
    m_uDefaultItem = nItem;
    m_bDefaultIsPosition = bByPosition;
    CMenu popup(LoadPopup());
    return popup ? TRUE : FALSE;
}

HMENU CTrayIcon::LoadPopup() const {
    CMenu bar(::LoadMenuW(m_hInst, MAKEINTRESOURCEW(m_data.uID)));
    if (!bar) {
        return nullptr;
    }
    HMENU hPopup = ::GetSubMenu(bar, 0);
    // Taking the popup off the bar keeps it alive when the bar is destroyed.
    if (!hPopup || !::RemoveMenu(bar, 0, MF_BYPOSITION)) {
        return nullptr;
    }
    return hPopup;
}

void CTrayIcon::SetCheckSource(const int* pbChecked, UINT nCommand) {
    for (auto& source : m_checkSources) {
        if (source.first == nCommand) {
            source.second = pbChecked;
            return;
        }
    }
    m_checkSources.emplace_back(nCommand, pbChecked);
}

BOOL CTrayIcon::ShowBalloon(const CString& strTitle, const CString& strText) {
    if (!m_bTraySupported || m_bIconDeleted) {
        return FALSE;
    }
    // Kept in the icon's state, where the add and reinstall pass over them (no NIF_INFO).
    const std::wstring title = ToWide(strTitle);
    const std::wstring text = ToWide(strText);
    std::wmemset(m_data.szInfoTitle, 0, std::size(m_data.szInfoTitle));
    std::wmemset(m_data.szInfo, 0, std::size(m_data.szInfo));
    std::wcsncpy(m_data.szInfoTitle, title.c_str(), std::size(m_data.szInfoTitle) - 1);
    std::wcsncpy(m_data.szInfo, text.c_str(), std::size(m_data.szInfo) - 1);
    m_data.dwInfoFlags = NIIF_INFO;
    NOTIFYICONDATAW data = m_data;
    // The second version of the structure, the first to carry a notification's texts.
    data.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data.uFlags = NIF_INFO;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

HMENU CTrayIcon::BuildPopupMenu() const {
    HMENU hPopup = LoadPopup();
    if (!hPopup) {
        return nullptr;
    }
    // A menu without these items is shown as it is: nothing to check, nothing in bold.
    for (const auto& [nCommand, pbChecked] : m_checkSources) {
        ::CheckMenuItem(hPopup, nCommand, MF_BYCOMMAND | (pbChecked && *pbChecked ? MF_CHECKED : MF_UNCHECKED));
    }
    ::SetMenuDefaultItem(hPopup, m_uDefaultItem, m_bDefaultIsPosition);
    return hPopup;
}

LRESULT CTrayIcon::HandleTrayMessage(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_data.uID || !m_hNotifyWnd) {
        return 0;
    }
    switch (LOWORD(lParam)) {
    case WM_RBUTTONUP: {
        CMenu popup(BuildPopupMenu());
        if (!popup) {
            return 0;
        }
        POINT pt = {0, 0};
        ::GetCursorPos(&pt);
        // The menu closes when the user clicks elsewhere only if our window is in front, and
        // the posted message lets the shell see the menu has ended (a known quirk of popups
        // opened from the notification area).
        ::SetForegroundWindow(m_data.hWnd);
        ::TrackPopupMenu(popup, 0, pt.x, pt.y, 0, m_hNotifyWnd, nullptr);
        ::PostMessageW(m_data.hWnd, WM_NULL, 0, 0);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        ::SetForegroundWindow(m_data.hWnd);
        UINT nCommand = m_uDefaultItem;
        if (m_bDefaultIsPosition) {
            CMenu popup(LoadPopup());
            if (!popup) {
                return 0;
            }
            nCommand = ::GetMenuItemID(popup, static_cast<int>(m_uDefaultItem));
        }
        ::SendMessageW(m_hNotifyWnd, WM_COMMAND, nCommand, 0);
        break;
    }
    default:
        break;
    }
    return 1;
}
