// The tray icon against the real shell of the test desktop: an owner window made here records the
// commands it receives, the shell is asked whether the icon is there, and a popup menu opened by a
// right click is inspected and answered from a timer while the menu's own loop runs. Needs the
// tray menu and icon of TrayTest.rc.
#include "framework/core/WideText.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayAnimation.h"
#include "ui/shell/TrayRect.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const UINT kTrayCallback = WM_APP + 1;
const UINT kMissingMenuId = 999;
const char kOwnerClass[] = "TrayTestOwner";
const char kTrayWindowClass[] = "TrayIconClass";
const char kPopupMenuClass[] = "#32768";
const UINT kMenuWatchTimerMs = 10;
// The positions of the tray menu's items, separators included.
const UINT kPositionOfShowContacts = 0;
const UINT kPositionOfHelp = 3;
const UINT kPositionOfExit = 8;
const int kTrayMenuItemCount = 9;

static_assert(sizeof(void*) != 8 || NOTIFYICONDATAA_V1_SIZE == 104,
              "the first structure version, 64-bit layout");

// The tip the icon was given, in the program's own text.
std::string Tip(const CTrayIcon& tray) { return FromWide(tray.m_data.szTip).GetStdString(); }

// What the owner window has received.
std::vector<UINT> g_commands;
int g_nNullMessages = 0;

LRESULT CALLBACK OwnerProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_COMMAND) {
        g_commands.push_back(LOWORD(wParam));
        return 0;
    }
    if (nMessage == WM_NULL) {
        ++g_nNullMessages;
        return 0;
    }
    return DefWindowProcA(hWnd, nMessage, wParam, lParam);
}

HINSTANCE Instance() {
    return GetModuleHandleA(nullptr);
}

// Dispatches whatever is queued for this thread, as the program's message loop would.
void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Whether the shell has an icon of this window and id: changing nothing of it succeeds only then.
bool IconIsShown(HWND hWnd, UINT nId) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = nId;
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

// Adds or removes an icon behind the tray object's back, as a restarted taskbar or a second
// program would.
bool AddForeignIcon(HWND hWnd, UINT nId) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = nId;
    return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}
bool DeleteIcon(HWND hWnd, UINT nId) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = nId;
    return Shell_NotifyIconA(NIM_DELETE, &nid) != FALSE;
}

std::string ClassOf(HWND hWnd) {
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof(name));
    return name;
}

// Watches for a popup menu from a timer, which the menu's modal loop keeps dispatching. It notes
// what the shown menu looks like, then answers it with the keys given (or closes it), so that a
// test never stays in the loop.
class CMenuWatcher {
public:
    explicit CMenuWatcher(std::vector<WPARAM> keys = {}) : m_keys(std::move(keys)) {
        s_pWatcher = this;
        m_nTimer = SetTimer(nullptr, 0, kMenuWatchTimerMs, OnTimer);
    }
    ~CMenuWatcher() {
        KillTimer(nullptr, m_nTimer);
        s_pWatcher = nullptr;
    }
    CMenuWatcher(const CMenuWatcher&) = delete;
    CMenuWatcher& operator=(const CMenuWatcher&) = delete;

    bool IsTimerRunning() const { return m_nTimer != 0; }

    int m_nMenusSeen = 0;
    int m_nItemCount = -1;
    UINT m_nFirstItem = 0;
    UINT m_nLaunchState = 0;
    UINT m_nDefaultCommand = 0;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        CMenuWatcher* pThis = s_pWatcher;
        HWND hMenuWnd = FindWindowA(kPopupMenuClass, nullptr);
        if (!pThis || !hMenuWnd || !IsWindowVisible(hMenuWnd) || pThis->m_bAnswered) {
            return;
        }
        pThis->m_bAnswered = true;
        ++pThis->m_nMenusSeen;
        HMENU hMenu = reinterpret_cast<HMENU>(SendMessageA(hMenuWnd, MN_GETHMENU, 0, 0));
        if (hMenu) {
            pThis->m_nItemCount = GetMenuItemCount(hMenu);
            pThis->m_nFirstItem = GetMenuItemID(hMenu, 0);
            pThis->m_nLaunchState = GetMenuState(hMenu, ID_TRAY_LAUNCH_ON_STARTUP, MF_BYCOMMAND);
            pThis->m_nDefaultCommand = GetMenuDefaultItem(hMenu, FALSE, 0);
        }
        if (pThis->m_keys.empty()) {
            EndMenu();
            return;
        }
        for (WPARAM key : pThis->m_keys) {
            PostMessageA(hMenuWnd, WM_KEYDOWN, key, 0);
            PostMessageA(hMenuWnd, WM_KEYUP, key, 0);
        }
    }

    static CMenuWatcher* s_pWatcher;
    std::vector<WPARAM> m_keys;
    UINT_PTR m_nTimer = 0;
    bool m_bAnswered = false;
};
CMenuWatcher* CMenuWatcher::s_pWatcher = nullptr;

// Notes every callback the hidden window passes on, instead of acting on it.
class CRecordingTray : public CTrayIcon {
public:
    LRESULT HandleTrayMessage(WPARAM wParam, LPARAM lParam) override {
        m_calls.push_back({wParam, lParam});
        return 42;
    }
    std::vector<std::pair<WPARAM, LPARAM>> m_calls;
};

class TrayIconTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = Instance();
        wc.lpszClassName = kOwnerClass;
        RegisterClassA(&wc);
    }

    void SetUp() override {
        m_hOwner = CreateWindowExA(0, kOwnerClass, "Tray test owner", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                                   nullptr, nullptr, Instance(), nullptr);
        ASSERT_TRUE(m_hOwner != nullptr);
        ShowWindow(m_hOwner, SW_SHOW);
        m_hIcon = LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_TRAY));
        ASSERT_TRUE(m_hIcon != nullptr);
        PumpMessages();
        g_commands.clear();
        g_nNullMessages = 0;
    }

    void TearDown() override {
        DestroyWindow(m_hOwner);
        PumpMessages();
    }

    BOOL AddWithOwner(CTrayIcon& tray, UINT nId = IDR_TRAY_MENU, LPCSTR pszTip = "Tovano Address Book") {
        return tray.AddToTray(Instance(), m_hOwner, kTrayCallback, pszTip, m_hIcon, nId);
    }

    HWND m_hOwner = nullptr;
    HICON m_hIcon = nullptr;
};

} // namespace

TEST_F(TrayIconTest, NewObjectHasNothingToShowOrRemove) {
    CTrayIcon tray;
    EXPECT_TRUE(tray.RemoveFromTray()); // nothing was added, so there is nothing to take out
    EXPECT_EQ(0, tray.HandleTrayMessage(0, WM_RBUTTONUP));
    EXPECT_EQ(nullptr, tray.BuildPopupMenu());
    tray.ReinstallIcon(); // adds nothing that was never there
    EXPECT_FALSE(IconIsShown(nullptr, 0));
    EXPECT_NE(0u, CTrayIcon::s_uMsgTaskbarCreated);
}

TEST_F(TrayIconTest, EachIconHasItsOwnHiddenWindowAndAddingAgainKeepsIt) {
    CRecordingTray first;
    CRecordingTray second;
    ASSERT_TRUE(first.AddToTray(Instance(), nullptr, kTrayCallback, "first", m_hIcon, IDR_TRAY_MENU));
    ASSERT_TRUE(second.AddToTray(Instance(), nullptr, kTrayCallback, "second", m_hIcon, IDR_TRAY_MENU + 1));
    HWND hFirst = first.m_wndOwn.m_hWnd;
    ASSERT_NE(hFirst, second.m_wndOwn.m_hWnd);

    SendMessageA(second.m_wndOwn.m_hWnd, kTrayCallback, IDR_TRAY_MENU + 1, WM_RBUTTONUP);
    EXPECT_TRUE(first.m_calls.empty());
    EXPECT_EQ(1u, second.m_calls.size());

    // A second add replaces the icon and keeps the one hidden window.
    ASSERT_TRUE(first.AddToTray(Instance(), nullptr, kTrayCallback, "again", m_hIcon, IDR_TRAY_MENU));
    EXPECT_EQ(hFirst, first.m_wndOwn.m_hWnd);
    EXPECT_TRUE(IconIsShown(hFirst, IDR_TRAY_MENU));
    EXPECT_EQ("again", Tip(first));
    SendMessageA(hFirst, kTrayCallback, IDR_TRAY_MENU, WM_RBUTTONUP);
    EXPECT_EQ(1u, first.m_calls.size());
    EXPECT_TRUE(first.RemoveFromTray());
    EXPECT_TRUE(second.RemoveFromTray());
}

TEST_F(TrayIconTest, AddToTrayWithOwnerShowsTheIconAndRecordsIt) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));

    EXPECT_TRUE(tray.m_bTraySupported);
    EXPECT_FALSE(tray.m_bIconDeleted);
    EXPECT_EQ(Instance(), tray.m_hInst);
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE), tray.m_data.cbSize);
    EXPECT_EQ(m_hOwner, tray.m_data.hWnd);
    EXPECT_EQ(m_hOwner, tray.m_hNotifyWnd);
    EXPECT_EQ(static_cast<UINT>(IDR_TRAY_MENU), tray.m_data.uID);
    EXPECT_EQ(m_hIcon, tray.m_data.hIcon);
    EXPECT_EQ(kTrayCallback, tray.m_data.uCallbackMessage);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), tray.m_data.uFlags);
    EXPECT_EQ(tray.m_data.uFlags, tray.m_uAddFlags);
    EXPECT_EQ("Tovano Address Book", Tip(tray));
    EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));

    // The hidden window exists even with an owner, to hear the shell's broadcasts.
    ASSERT_TRUE(IsWindow(tray.m_wndOwn.m_hWnd));
    EXPECT_EQ(kTrayWindowClass, ClassOf(tray.m_wndOwn.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(tray.m_wndOwn.m_hWnd));

    EXPECT_TRUE(tray.RemoveFromTray());
    EXPECT_FALSE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
}

// The icon is loaded at the small icon size of the dots per inch asked for, kept by the object,
// and shown at once while the icon is in the tray; a missing resource changes nothing.
TEST_F(TrayIconTest, IconForDpiHasTheSmallIconSizeAndReplacesTheShownOne) {
    auto side = [](HICON hIcon) {
        ICONINFO info = {};
        BITMAP bitmap = {};
        if (!hIcon || !GetIconInfo(hIcon, &info))
            return 0;
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return static_cast<int>(bitmap.bmWidth);
    };
    CTrayIcon tray;
    ASSERT_TRUE(tray.SetIconForDpi(Instance(), IDI_TRAY, 96));
    EXPECT_EQ(16, side(tray.GetIcon()));
    ASSERT_TRUE(tray.AddToTray(Instance(), m_hOwner, kTrayCallback, "Tip", tray.GetIcon(), IDR_TRAY_MENU));

    for (int nDpi : {120, 144, 192}) {
        ASSERT_TRUE(tray.SetIconForDpi(Instance(), IDI_TRAY, nDpi)) << nDpi;
        EXPECT_EQ(16 * nDpi / 96, side(tray.GetIcon())) << nDpi;
        EXPECT_EQ(tray.GetIcon(), tray.m_data.hIcon);
        EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    }
    HICON hKept = tray.GetIcon();
    EXPECT_FALSE(tray.SetIconForDpi(Instance(), kMissingMenuId, 96));
    EXPECT_EQ(hKept, tray.GetIcon());
    EXPECT_EQ(hKept, tray.m_data.hIcon);
    EXPECT_TRUE(tray.RemoveFromTray());
}

TEST_F(TrayIconTest, AddToTrayWithoutOwnerUsesTheHiddenWindow) {
    HWND hHidden = nullptr;
    {
        CTrayIcon tray;
        ASSERT_TRUE(tray.AddToTray(Instance(), nullptr, kTrayCallback, "tip", m_hIcon, IDR_TRAY_MENU));
        hHidden = tray.m_wndOwn.m_hWnd;
        ASSERT_TRUE(IsWindow(hHidden));
        EXPECT_EQ(hHidden, tray.m_data.hWnd);
        EXPECT_EQ(hHidden, tray.m_hNotifyWnd);
        EXPECT_TRUE(IconIsShown(hHidden, IDR_TRAY_MENU));
    }
    EXPECT_FALSE(IconIsShown(hHidden, IDR_TRAY_MENU));
    EXPECT_FALSE(IsWindow(hHidden));
}

TEST_F(TrayIconTest, TipIsCutTo63Characters) {
    struct Case {
        std::string tip;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"x", "x"},
        {std::string(62, 'a'), std::string(62, 'a')},
        {std::string(63, 'b'), std::string(63, 'b')},
        {std::string(64, 'c'), std::string(63, 'c')},
        {std::string(63, 'd') + "EFGH", std::string(63, 'd')},
        {std::string(300, 'e'), std::string(63, 'e')},
        // A character outside the Basic Multilingual Plane is two units: never cut in half.
        {std::string(62, 'f') + "\xF0\x9F\x98\x80", std::string(62, 'f')},
        {std::string(61, 'g') + "\xF0\x9F\x98\x80", std::string(61, 'g') + "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tip.size());
        CTrayIcon tray;
        ASSERT_TRUE(AddWithOwner(tray, IDR_TRAY_MENU, c.tip.c_str()));
        EXPECT_EQ(c.expected, Tip(tray));
    }
}

TEST_F(TrayIconTest, IconTheShellRefusesCountsAsDeleted) {
    // The shell takes one icon per window and id; a second add of the same pair fails.
    ASSERT_TRUE(AddForeignIcon(m_hOwner, IDR_TRAY_MENU));
    {
        CTrayIcon tray;
        EXPECT_FALSE(AddWithOwner(tray));
        EXPECT_TRUE(tray.m_bTraySupported);
        EXPECT_TRUE(tray.m_bIconDeleted);
        // Not ours, so neither removing nor destroying the object takes it away.
        EXPECT_TRUE(tray.RemoveFromTray());
        EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    }
    EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    EXPECT_TRUE(DeleteIcon(m_hOwner, IDR_TRAY_MENU));
}

TEST_F(TrayIconTest, ChooseDefaultItemChecksTheMenuResource) {
    CTrayIcon missing;
    ASSERT_TRUE(AddWithOwner(missing, kMissingMenuId));
    EXPECT_FALSE(missing.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE));
    // Stored all the same, and choosing what is stored asks nothing more.
    EXPECT_EQ(static_cast<UINT>(ID_TRAY_SHOW_CONTACTS), missing.m_uDefaultItem);
    EXPECT_FALSE(missing.m_bDefaultIsPosition);
    EXPECT_TRUE(missing.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE));
    EXPECT_FALSE(missing.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, TRUE));
    EXPECT_TRUE(missing.m_bDefaultIsPosition);
    // The default of a new object is position 0.
    EXPECT_FALSE(missing.ChooseDefaultItem(1, TRUE));
    missing.RemoveFromTray();

    CTrayIcon present;
    ASSERT_TRUE(AddWithOwner(present));
    EXPECT_TRUE(present.ChooseDefaultItem(0, TRUE));
    EXPECT_TRUE(present.ChooseDefaultItem(ID_TRAY_EXIT, FALSE));
    EXPECT_EQ(static_cast<UINT>(ID_TRAY_EXIT), present.m_uDefaultItem);
    EXPECT_FALSE(present.m_bDefaultIsPosition);
}

TEST_F(TrayIconTest, MessagesForOtherIconsAreNotHandled) {
    CTrayIcon notAdded;
    // No notify window yet, even for the id a fresh object carries.
    EXPECT_EQ(0, notAdded.HandleTrayMessage(0, WM_LBUTTONDBLCLK));

    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    ASSERT_TRUE(tray.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE));
    for (WPARAM id : {WPARAM(0), WPARAM(IDR_TRAY_MENU - 1), WPARAM(IDR_TRAY_MENU + 1)}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(0, tray.HandleTrayMessage(id, WM_LBUTTONDBLCLK));
    }
    PumpMessages();
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(TrayIconTest, DoubleClickSendsTheDefaultCommandToTheOwner) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    for (UINT nCommand : {UINT(ID_TRAY_SHOW_CONTACTS), UINT(ID_TRAY_EXIT), UINT(ID_TRAY_ABOUT)}) {
        SCOPED_TRACE(nCommand);
        g_commands.clear();
        ASSERT_TRUE(tray.ChooseDefaultItem(nCommand, FALSE));
        EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, WM_LBUTTONDBLCLK));
        // Sent, not posted: the owner has it before the call returns.
        EXPECT_EQ(std::vector<UINT>{nCommand}, g_commands);
    }
    // Only the low word names the mouse message.
    g_commands.clear();
    EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, MAKELPARAM(WM_LBUTTONDBLCLK, IDR_TRAY_MENU)));
    EXPECT_EQ(std::vector<UINT>{UINT(ID_TRAY_ABOUT)}, g_commands);
}

TEST_F(TrayIconTest, DoubleClickByPositionSendsTheCommandAtThatPosition) {
    struct Case {
        UINT nPosition;
        UINT nCommand;
    };
    const Case cases[] = {
        {kPositionOfShowContacts, ID_TRAY_SHOW_CONTACTS},
        {1, ID_TRAY_ADD_NEW},
        {kPositionOfHelp, ID_TRAY_HELP},
        {4, ID_TRAY_ABOUT},
        {7, ID_TRAY_LAUNCH_ON_STARTUP},
        {kPositionOfExit, ID_TRAY_EXIT},
    };
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nPosition);
        g_commands.clear();
        ASSERT_TRUE(tray.ChooseDefaultItem(c.nPosition, TRUE));
        EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, WM_LBUTTONDBLCLK));
        EXPECT_EQ(std::vector<UINT>{c.nCommand}, g_commands);
    }
}

TEST_F(TrayIconTest, DoubleClickByPositionWithoutMenuSendsNothing) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray, kMissingMenuId));
    EXPECT_EQ(0, tray.HandleTrayMessage(kMissingMenuId, WM_LBUTTONDBLCLK));
    // By command the menu is not needed.
    tray.ChooseDefaultItem(ID_TRAY_HELP, FALSE);
    EXPECT_EQ(1, tray.HandleTrayMessage(kMissingMenuId, WM_LBUTTONDBLCLK));
    EXPECT_EQ(std::vector<UINT>{UINT(ID_TRAY_HELP)}, g_commands);
}

TEST_F(TrayIconTest, OtherMouseMessagesDoNothing) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    ASSERT_TRUE(tray.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE));
    CMenuWatcher watcher; // closes a menu that should not have opened
    ASSERT_TRUE(watcher.IsTimerRunning());
    for (UINT nMouse : {UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), UINT(WM_RBUTTONDOWN),
                        UINT(WM_RBUTTONDBLCLK), UINT(WM_MOUSEMOVE), UINT(WM_MBUTTONUP)}) {
        SCOPED_TRACE(nMouse);
        EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, nMouse));
    }
    PumpMessages();
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(0, watcher.m_nMenusSeen);
    EXPECT_EQ(0, g_nNullMessages);
}

TEST_F(TrayIconTest, PopupMenuShowsTheDefaultItemAndTheStartupCheck) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    int bLaunch = 0;

    struct Case {
        const char* pszName;
        const int* pFlag;
        int nFlag;
        UINT nExpectedCheck;
    };
    // The flag is read afresh for every menu, so a change shows in the next one.
    const Case cases[] = {
        {"no source", nullptr, 0, MF_UNCHECKED},        {"flag clear", &bLaunch, 0, MF_UNCHECKED},
        {"flag set", &bLaunch, 1, MF_CHECKED},          {"flag cleared again", &bLaunch, 0, MF_UNCHECKED},
        {"any nonzero flag", &bLaunch, -1, MF_CHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        bLaunch = c.nFlag;
        tray.SetCheckSource(c.pFlag, ID_TRAY_LAUNCH_ON_STARTUP);
        HMENU hMenu = tray.BuildPopupMenu();
        ASSERT_TRUE(hMenu != nullptr);
        EXPECT_EQ(kTrayMenuItemCount, GetMenuItemCount(hMenu));
        EXPECT_EQ(static_cast<UINT>(ID_TRAY_SHOW_CONTACTS), GetMenuItemID(hMenu, 0));
        EXPECT_EQ(c.nExpectedCheck,
                  GetMenuState(hMenu, ID_TRAY_LAUNCH_ON_STARTUP, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(0u, GetMenuState(hMenu, ID_TRAY_EXIT, MF_BYCOMMAND) & MF_CHECKED);
        DestroyMenu(hMenu);
    }

    ASSERT_TRUE(tray.ChooseDefaultItem(ID_TRAY_ADD_NEW, FALSE));
    HMENU hMenu = tray.BuildPopupMenu();
    ASSERT_TRUE(hMenu != nullptr);
    EXPECT_EQ(static_cast<UINT>(ID_TRAY_ADD_NEW), GetMenuDefaultItem(hMenu, FALSE, 0));
    DestroyMenu(hMenu);

    ASSERT_TRUE(tray.ChooseDefaultItem(kPositionOfHelp, TRUE));
    hMenu = tray.BuildPopupMenu();
    ASSERT_TRUE(hMenu != nullptr);
    EXPECT_EQ(kPositionOfHelp, GetMenuDefaultItem(hMenu, TRUE, 0));
    EXPECT_EQ(static_cast<UINT>(ID_TRAY_HELP), GetMenuDefaultItem(hMenu, FALSE, 0));
    DestroyMenu(hMenu);

    CTrayIcon missing;
    ASSERT_TRUE(AddWithOwner(missing, kMissingMenuId));
    EXPECT_EQ(nullptr, missing.BuildPopupMenu());
}

TEST_F(TrayIconTest, RightClickShowsThePopupAndTheChosenCommandReachesTheOwner) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    ASSERT_TRUE(tray.ChooseDefaultItem(ID_TRAY_SHOW_CONTACTS, FALSE));
    int bLaunch = 1;
    tray.SetCheckSource(&bLaunch, ID_TRAY_LAUNCH_ON_STARTUP);
    {
        // Up from no selection lands on the last item.
        CMenuWatcher watcher({VK_UP, VK_RETURN});
        ASSERT_TRUE(watcher.IsTimerRunning());
        EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, WM_RBUTTONUP));
        EXPECT_EQ(1, watcher.m_nMenusSeen);
        EXPECT_EQ(kTrayMenuItemCount, watcher.m_nItemCount);
        EXPECT_EQ(static_cast<UINT>(ID_TRAY_SHOW_CONTACTS), watcher.m_nFirstItem);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED), watcher.m_nLaunchState & MF_CHECKED);
        EXPECT_EQ(static_cast<UINT>(ID_TRAY_SHOW_CONTACTS), watcher.m_nDefaultCommand);
    }
    // The command and the closing null message are posted; the owner's loop delivers them.
    PumpMessages();
    EXPECT_EQ(std::vector<UINT>{UINT(ID_TRAY_EXIT)}, g_commands);
    EXPECT_EQ(1, g_nNullMessages);

    g_commands.clear();
    bLaunch = 0;
    {
        CMenuWatcher watcher; // closes the menu without a choice
        EXPECT_EQ(1, tray.HandleTrayMessage(IDR_TRAY_MENU, WM_RBUTTONUP));
        EXPECT_EQ(1, watcher.m_nMenusSeen);
        EXPECT_EQ(0u, watcher.m_nLaunchState & MF_CHECKED);
    }
    PumpMessages();
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(TrayIconTest, RightClickWithoutMenuReturnsZero) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray, kMissingMenuId));
    CMenuWatcher watcher;
    EXPECT_EQ(0, tray.HandleTrayMessage(kMissingMenuId, WM_RBUTTONUP));
    PumpMessages();
    EXPECT_EQ(0, watcher.m_nMenusSeen);
    EXPECT_EQ(0, g_nNullMessages);
}

TEST_F(TrayIconTest, HiddenWindowPassesOnlyTheCallbackMessage) {
    CRecordingTray tray;
    ASSERT_TRUE(tray.AddToTray(Instance(), nullptr, kTrayCallback, "tip", m_hIcon, IDR_TRAY_MENU));
    HWND hHidden = tray.m_wndOwn.m_hWnd;

    EXPECT_EQ(42, SendMessageA(hHidden, kTrayCallback, IDR_TRAY_MENU, WM_RBUTTONUP));
    ASSERT_EQ(1u, tray.m_calls.size());
    EXPECT_EQ(WPARAM(IDR_TRAY_MENU), tray.m_calls[0].first);
    EXPECT_EQ(LPARAM(WM_RBUTTONUP), tray.m_calls[0].second);

    ASSERT_TRUE(PostMessageA(hHidden, kTrayCallback, 7, WM_LBUTTONDBLCLK));
    PumpMessages();
    ASSERT_EQ(2u, tray.m_calls.size());
    EXPECT_EQ(WPARAM(7), tray.m_calls[1].first);

    SendMessageA(hHidden, kTrayCallback + 1, IDR_TRAY_MENU, WM_RBUTTONUP);
    SendMessageA(hHidden, WM_USER, IDR_TRAY_MENU, WM_RBUTTONUP);
    // Another window of the same class is not the live object's.
    HWND hStranger = CreateWindowExA(0, kTrayWindowClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     Instance(), nullptr);
    ASSERT_TRUE(hStranger != nullptr);
    SendMessageA(hStranger, kTrayCallback, IDR_TRAY_MENU, WM_RBUTTONUP);
    DestroyWindow(hStranger);
    EXPECT_EQ(2u, tray.m_calls.size());
}

TEST_F(TrayIconTest, TaskbarRecreatedPutsTheIconBack) {
    CTrayIcon tray;
    ASSERT_TRUE(AddWithOwner(tray));
    HWND hHidden = tray.m_wndOwn.m_hWnd;

    struct Case {
        const char* pszName;
        UINT nMessage;
        WPARAM wParam;
        bool bPost;
        bool bReinstalls;
    };
    const Case cases[] = {
        {"TaskbarCreated sent", CTrayIcon::s_uMsgTaskbarCreated, 0, false, true},
        {"TaskbarCreated posted", CTrayIcon::s_uMsgTaskbarCreated, 0, true, true},
        {"work area changed", WM_WININICHANGE, SPI_SETWORKAREA, false, true},
        {"another setting changed", WM_WININICHANGE, SPI_SETDESKWALLPAPER, false, false},
        {"display changed", WM_DISPLAYCHANGE, 32, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        // The shell lost the icon, as when Explorer restarts.
        ASSERT_TRUE(DeleteIcon(m_hOwner, IDR_TRAY_MENU));
        ASSERT_FALSE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
        if (c.bPost) {
            ASSERT_TRUE(PostMessageA(hHidden, c.nMessage, c.wParam, 0));
            PumpMessages();
        } else {
            SendMessageA(hHidden, c.nMessage, c.wParam, 0);
        }
        EXPECT_EQ(c.bReinstalls, IconIsShown(m_hOwner, IDR_TRAY_MENU));
        EXPECT_FALSE(tray.m_bIconDeleted);
        EXPECT_EQ(tray.m_uAddFlags, tray.m_data.uFlags);
        if (!c.bReinstalls) {
            tray.ReinstallIcon();
            ASSERT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
        }
    }
    // The icon is still there: a broadcast changes nothing, and removing it still works.
    SendMessageA(hHidden, CTrayIcon::s_uMsgTaskbarCreated, 0, 0);
    EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    EXPECT_FALSE(tray.m_bIconDeleted);

    ASSERT_TRUE(tray.RemoveFromTray());
    EXPECT_EQ(0u, tray.m_data.uFlags);
    SendMessageA(hHidden, CTrayIcon::s_uMsgTaskbarCreated, 0, 0);
    SendMessageA(hHidden, WM_WININICHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    EXPECT_TRUE(tray.m_bIconDeleted);
    EXPECT_EQ(0u, tray.m_data.uFlags);
}

TEST_F(TrayIconTest, RemoveFromTrayThenDestructorRemoveOnlyOnce) {
    HWND hHidden = nullptr;
    {
        CTrayIcon tray;
        ASSERT_TRUE(AddWithOwner(tray));
        hHidden = tray.m_wndOwn.m_hWnd;
        EXPECT_TRUE(tray.RemoveFromTray());
        EXPECT_TRUE(tray.m_bIconDeleted);
        EXPECT_FALSE(IconIsShown(m_hOwner, IDR_TRAY_MENU));

        // Someone else shows an icon with the same window and id: ours is gone, so removing
        // again (and destroying the object) must leave it alone.
        ASSERT_TRUE(AddForeignIcon(m_hOwner, IDR_TRAY_MENU));
        EXPECT_TRUE(tray.RemoveFromTray());
        EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    }
    EXPECT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    EXPECT_FALSE(IsWindow(hHidden));
    EXPECT_TRUE(DeleteIcon(m_hOwner, IDR_TRAY_MENU));
}

TEST_F(TrayIconTest, DestructorRemovesTheIcon) {
    {
        CTrayIcon tray;
        ASSERT_TRUE(AddWithOwner(tray));
        ASSERT_TRUE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
    }
    EXPECT_FALSE(IconIsShown(m_hOwner, IDR_TRAY_MENU));
}

// The user's animation setting, put back at the end.
class TrayAnimationTest : public TrayIconTest {
protected:
    void SetUp() override {
        TrayIconTest::SetUp();
        m_saved.cbSize = sizeof(m_saved);
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof(m_saved), &m_saved, 0));
    }
    void TearDown() override {
        SystemParametersInfoA(SPI_SETANIMATION, sizeof(m_saved), &m_saved, 0);
        TrayIconTest::TearDown();
    }
    // Switches the minimise animation for this session only; false when the system refuses.
    static bool SetAnimation(bool bOn) {
        ANIMATIONINFO info = {};
        info.cbSize = sizeof(info);
        info.iMinAnimate = bOn ? 1 : 0;
        return SystemParametersInfoA(SPI_SETANIMATION, sizeof(info), &info, 0) != FALSE;
    }

    ANIMATIONINFO m_saved = {};
};

TEST_F(TrayAnimationTest, MinimizeAnimationFollowsTheSystemSetting) {
    EXPECT_EQ(m_saved.iMinAnimate != 0, IsMinimizeAnimationOn() != FALSE);
    // Both ways where the system lets the setting change (Wine accepts the change but keeps
    // the animation off; the check above is then all there is).
    for (bool bOn : {true, false, true}) {
        SCOPED_TRACE(bOn);
        ASSERT_TRUE(SetAnimation(bOn));
        ANIMATIONINFO info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0));
        EXPECT_EQ(info.iMinAnimate != 0, IsMinimizeAnimationOn() != FALSE);
    }
}

TEST_F(TrayAnimationTest, NotifyRectIsInsideTheScreen) {
    RECT rc = {};
    ASSERT_TRUE(GetTrayNotifyRect(&rc));
    EXPECT_FALSE(IsRectEmpty(&rc));
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_GE(rc.left, x);
    EXPECT_GE(rc.top, y);
    EXPECT_LE(rc.right, x + GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_LE(rc.bottom, y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST_F(TrayAnimationTest, NotifyRectComesFromTheTaskbarPositionWhenThereIsNoNotifyWindow) {
    HWND hTaskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (hTaskbar && FindWindowExA(hTaskbar, nullptr, "TrayNotifyWnd", nullptr)) {
        GTEST_SKIP() << "the shell has a notification window, which is taken as it is";
    }
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    CRectI expected = {};
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &abd) ||
        !NotifyRectFromTaskbarPos({abd.rc.left, abd.rc.top, abd.rc.right, abd.rc.bottom}, abd.uEdge,
                                  &expected)) {
        GTEST_SKIP() << "the shell does not tell where its taskbar is";
    }
    RECT rc = {};
    ASSERT_TRUE(GetTrayNotifyRect(&rc));
    EXPECT_EQ(expected.left, rc.left);
    EXPECT_EQ(expected.top, rc.top);
    EXPECT_EQ(expected.right, rc.right);
    EXPECT_EQ(expected.bottom, rc.bottom);
}

TEST_F(TrayAnimationTest, HideAndRestoreWithAndWithoutAnimation) {
    for (bool bOn : {false, true}) {
        SCOPED_TRACE(bOn);
        if (!SetAnimation(bOn)) {
            continue;
        }
        ASSERT_TRUE(IsWindowVisible(m_hOwner));
        HideToTray(m_hOwner);
        EXPECT_FALSE(IsWindowVisible(m_hOwner));
        RestoreFromTray(m_hOwner);
        EXPECT_TRUE(IsWindowVisible(m_hOwner));
        EXPECT_EQ(m_hOwner, GetForegroundWindow());
        EXPECT_EQ(m_hOwner, GetActiveWindow());
    }
}
