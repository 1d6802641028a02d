// screenshot_driver: puts the running tbook.exe into the states the documentation's pictures show,
// from outside, as a user would: the pointer over a button, a search started with the toggle.
//
//   screenshot_driver wait            until the main window is shown (exit 1 after 30 s)
//   screenshot_driver hover ID        the pointer over control ID of the main window
//   screenshot_driver away            the pointer off the window
//   screenshot_driver search TEXT     TEXT in the search box, then a click on the toggle
//   screenshot_driver endsearch       Escape: the whole list again
//   screenshot_driver editor          the first contact opened in the editor
//   screenshot_driver about           the About box, as the tray menu opens it
//   screenshot_driver traymenu        the tray icon's menu, opened at the bottom right
//   screenshot_driver listmenu        the list's context menu, opened on the second row
//   screenshot_driver close           closes the open menu or dialog
//   screenshot_driver exit            the program's Exit
//   screenshot_driver geometry [top]  prints the place of the main window (or of the window in
//                                     front) as WIDTHxHEIGHT+X+Y
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kMainCaption[] = "Tovano Address Book - List View";
const int kList = 1000;
const int kSearchEdit = 1002;
const int kSearchToggle = 1008;
const UINT kTrayNotify = 0x8001;
const UINT kTrayIconId = 138;
const UINT kTrayAbout = 32774;

void Click(HWND hWnd, int x, int y) {
    LPARAM point = MAKELPARAM(x, y);
    ::PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageA(hWnd, WM_LBUTTONUP, 0, point);
}

HWND MainWindow() {
    HWND hMain = ::FindWindowA(nullptr, kMainCaption);
    return hMain && ::IsWindowVisible(hMain) ? hMain : nullptr;
}

void PointerTo(int x, int y) {
    ::SetCursorPos(x, y);
    ::Sleep(50);
    ::SetCursorPos(x + 1, y); // a move within the control starts its hover tracking
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const char* pszCommand = argv[1];
    if (std::strcmp(pszCommand, "wait") == 0) {
        for (int i = 0; i < 300 && !MainWindow(); ++i) {
            ::Sleep(100);
        }
        return MainWindow() ? 0 : 1;
    }
    HWND hMain = MainWindow();
    if (!hMain) {
        return 1;
    }
    if (std::strcmp(pszCommand, "hover") == 0 && argc == 3) {
        RECT rc;
        ::GetWindowRect(::GetDlgItem(hMain, std::atoi(argv[2])), &rc);
        PointerTo((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        return 0;
    }
    if (std::strcmp(pszCommand, "away") == 0) {
        RECT rc;
        ::GetWindowRect(hMain, &rc);
        PointerTo(rc.right + 40, rc.bottom + 40);
        return 0;
    }
    if (std::strcmp(pszCommand, "search") == 0 && argc == 3) {
        ::SetDlgItemTextA(hMain, kSearchEdit, argv[2]);
        HWND hToggle = ::GetDlgItem(hMain, kSearchToggle);
        RECT rc;
        ::GetClientRect(hToggle, &rc);
        Click(hToggle, rc.right / 2, rc.bottom / 2);
        return 0;
    }
    if (std::strcmp(pszCommand, "endsearch") == 0) {
        HWND hList = ::GetDlgItem(hMain, kList);
        ::PostMessageA(hList, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageA(hList, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        return 0;
    }
    if (std::strcmp(pszCommand, "editor") == 0) {
        HWND hList = ::GetDlgItem(hMain, kList);
        HWND hHeader = ::FindWindowExA(hList, nullptr, "SysHeader32", nullptr);
        RECT rcHeader = {};
        ::GetClientRect(hHeader, &rcHeader);
        Click(hList, 30, rcHeader.bottom + 6); // the first row
        ::PostMessageA(hList, WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageA(hList, WM_KEYUP, VK_RETURN, 0xC0000001);
        return 0;
    }
    if (std::strcmp(pszCommand, "about") == 0) {
        ::PostMessageA(hMain, WM_COMMAND, kTrayAbout, 0);
        return 0;
    }
    if (std::strcmp(pszCommand, "listmenu") == 0) {
        HWND hList = ::GetDlgItem(hMain, kList);
        HWND hHeader = ::FindWindowExA(hList, nullptr, "SysHeader32", nullptr);
        RECT rcHeader = {};
        ::GetClientRect(hHeader, &rcHeader);
        RECT rcRow = {LVIR_BOUNDS, 0, 0, 0};
        ::SendMessageA(hList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rcRow));
        int y = rcRow.bottom > rcRow.top ? (rcRow.top + rcRow.bottom) / 2 : rcHeader.bottom + 24;
        Click(hList, 30, y); // the second row, as a right click selects it
        POINT pt = {60, y};
        ::ClientToScreen(hList, &pt);
        PointerTo(pt.x, pt.y);
        ::PostMessageA(hMain, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), MAKELPARAM(pt.x, pt.y));
        return 0;
    }
    if (std::strcmp(pszCommand, "traymenu") == 0) {
        PointerTo(::GetSystemMetrics(SM_CXSCREEN) - 40, ::GetSystemMetrics(SM_CYSCREEN) - 80);
        ::PostMessageA(hMain, kTrayNotify, kTrayIconId, WM_RBUTTONUP);
        return 0;
    }
    if (std::strcmp(pszCommand, "close") == 0) {
        HWND hMenu = ::FindWindowA("#32768", nullptr);
        if (hMenu && ::IsWindowVisible(hMenu)) {
            ::PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (HWND hTop = ::GetForegroundWindow(); hTop && hTop != hMain) {
            ::PostMessageA(hTop, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    }
    if (std::strcmp(pszCommand, "geometry") == 0) {
        RECT rc;
        HWND hTop = ::GetForegroundWindow();
        ::GetWindowRect(argc == 3 && hTop ? hTop : hMain, &rc);
        std::printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
        return 0;
    }
    if (std::strcmp(pszCommand, "exit") == 0) {
        ::PostMessageA(hMain, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 2;
}
