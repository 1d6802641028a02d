// screenshot_driver: puts the running tbook.exe into the states the README's pictures show,
// from outside, as a user would: the pointer over a button, a search started with the toggle.
//
//   screenshot_driver wait            until the main window is shown (exit 1 after 30 s)
//   screenshot_driver hover ID        the pointer over control ID of the main window
//   screenshot_driver away            the pointer off the window
//   screenshot_driver search TEXT     TEXT in the search box, then a click on the toggle
//   screenshot_driver exit            the program's Exit
//   screenshot_driver geometry        prints the main window's place as WIDTHxHEIGHT+X+Y
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kMainCaption[] = "Tovano Address Book - List View";
const int kSearchEdit = 1002;
const int kSearchToggle = 1008;

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
        LPARAM point = MAKELPARAM(rc.right / 2, rc.bottom / 2);
        ::PostMessageA(hToggle, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::PostMessageA(hToggle, WM_LBUTTONUP, 0, point);
        return 0;
    }
    if (std::strcmp(pszCommand, "geometry") == 0) {
        RECT rc;
        ::GetWindowRect(hMain, &rc);
        std::printf("%ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
        return 0;
    }
    if (std::strcmp(pszCommand, "exit") == 0) {
        ::PostMessageA(hMain, WM_COMMAND, IDOK, 0);
        return 0;
    }
    return 2;
}
