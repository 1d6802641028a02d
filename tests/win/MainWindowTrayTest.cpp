// The main window's life in the tray: hiding and showing, the exit path, the settings it
// remembers, and what it does with a damaged address book.
#include "MainWindowTestSupport.h"
#include "framework/base/AppContext.h"
#include "ui/shell/SignalWatcher.h"
#include "data/ContactSort.h"
#include "res/resource.h"
#include "framework/core/WideText.h"
#include "ui/birthdays/BirthdaysDlg.h"
#include "ui/main/SettingsLogic.h"

namespace {

CContactArray TwoContacts() {
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann"));
    contacts.Add(MakeContact("Baker", "Bob"));
    return contacts;
}

const char kDamagedBook[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                            "\t<addressbook name=\"Tovano Address Book\" value=\"1\">\r\n"
                            "\t\t<entry id=\"0\">\r\n\t\t\t<lastname value=\"Adams\"/>\r\n\t\t</entry>\r\n"
                            "\t\t</x>\r\n\t</addressbook>\r\n";

} // namespace

TEST_F(MainWindowTest, ExitSavesTheSettingsAndTheAddressBook) {
    CContactArray contacts = TwoContacts();
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    INT_PTR nResult = CStepRunner()
                          .Do([&] {
                              dlg.MoveWindow(30, 40, 700, 500);
                              dlg.List().SendMessage(LVM_SETCOLUMNWIDTH, 2, 77);
                              dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT, 0);
                          })
                          .ThenProgramEnds()
                          .RunModal(dlg);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(30, ReadSetting("WindowLeft", -1));
    EXPECT_EQ(40, ReadSetting("WindowTop", -1));
    EXPECT_EQ(730, ReadSetting("WindowRight", -1));
    EXPECT_EQ(540, ReadSetting("WindowBottom", -1));
    EXPECT_EQ(77, ReadSetting("HomePhoneWidth", -1));
    EXPECT_EQ(100, ReadSetting("OfficeEMailWidth", -1));
    SortContacts(contacts);
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadBytes(BookPath()));
}

TEST_F(MainWindowTest, StoredRectangleAndWidthsComeBack) {
    CRegistry registry;
    const int rect[4] = {50, 60, 850, 560};
    for (int i = 0; i < 4; ++i) {
        registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kWindowValueNames[i], rect[i]);
    }
    registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, "CompanyWidth", 0);
    registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, "LastNameWidth", 150);
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            RECT window;
            dlg.GetWindowRect(&window);
            EXPECT_EQ(50, window.left);
            EXPECT_EQ(60, window.top);
            EXPECT_EQ(850, window.right);
            EXPECT_EQ(560, window.bottom);
            EXPECT_EQ(150, dlg.List().GetColumnWidth(0));
            EXPECT_EQ(100, dlg.List().GetColumnWidth(5)); // a column of no width comes back
            EXPECT_EQ(100, dlg.List().GetColumnWidth(1));
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, AWindowParkedOffScreenKeepsTheStoredRectangle) {
    CRegistry registry;
    registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, "WindowLeft", 12);
    m_context.bStartHidden = true;
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            RECT window;
            dlg.GetWindowRect(&window);
            EXPECT_EQ(-5000, window.left);
            EXPECT_EQ(-5000, window.top);
            dlg.SendMessage(WM_COMMAND, IDOK, 0);
        })
        .ThenProgramEnds()
        .RunModal(dlg);
    EXPECT_EQ(12, ReadSetting("WindowLeft", -1));
    EXPECT_EQ(-1, ReadSetting("WindowTop", -1));
    EXPECT_EQ(100, ReadSetting("MobileWidth", -1)); // the widths are stored all the same
}

TEST_F(MainWindowTest, CloseBoxHidesToTheTrayAndTheIconBringsItBack) {
    WriteBook(TwoContacts());
    const std::string before = ReadBytes(BookPath());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            ASSERT_TRUE(dlg.IsTrayIconAdded());
            dlg.SendMessage(WM_CLOSE);
        })
        .Then([&] { return dlg.IsHiddenToTray(); })
        .Do([&] {
            EXPECT_FALSE(dlg.IsWindowVisible());
            EXPECT_EQ(before, ReadBytes(BookPath()));
            dlg.PostMessage(WM_TRAYNOTIFY, IDR_TRAY_MENU, WM_LBUTTONDOWN); // single clicks do nothing
            dlg.PostMessage(WM_TRAYNOTIFY, IDR_TRAY_MENU, WM_LBUTTONUP);
        })
        .Do([&] {
            EXPECT_FALSE(dlg.IsWindowVisible());
            dlg.PostMessage(WM_TRAYNOTIFY, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
        })
        .Then([&] { return dlg.IsWindowVisible() != FALSE; })
        .Do([&] {
            EXPECT_FALSE(dlg.IsHiddenToTray());
            // In front, with the keys in it.
            EXPECT_EQ(dlg.m_hWnd, ::GetForegroundWindow());
            EXPECT_TRUE(::IsChild(dlg.m_hWnd, ::GetFocus()));
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, TrayMenuShowsTheDefaultItemAndTheStartupCheckMark) {
    CTestableDlg dlg(m_context);
    auto checkMenu = [&](bool bChecked) {
        HMENU hMenu = dlg.GetTrayIcon().BuildPopupMenu();
        ASSERT_NE(nullptr, hMenu);
        EXPECT_EQ(static_cast<UINT>(ID_TRAY_SHOW_CONTACTS), ::GetMenuDefaultItem(hMenu, FALSE, 0));
        EXPECT_EQ(bChecked, (::GetMenuState(hMenu, ID_TRAY_LAUNCH_ON_STARTUP, MF_BYCOMMAND) & MF_CHECKED) != 0);
        EXPECT_EQ(16, ::GetMenuItemCount(hMenu));
        ::DestroyMenu(hMenu);
    };
    std::string strRun;
    CStepRunner()
        .Do([&] { checkMenu(false); })
        .Do([&] { dlg.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH_ON_STARTUP, 0); })
        .Do([&] {
            EXPECT_EQ(1, dlg.IsLaunchOnStartup());
            ASSERT_TRUE(ReadRunValue(&strRun));
            EXPECT_EQ("\"C:\\Programs\\Book\\tbook.exe\" -m", strRun);
            checkMenu(true);
            dlg.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH_ON_STARTUP, 0);
        })
        .Do([&] {
            EXPECT_EQ(0, dlg.IsLaunchOnStartup());
            EXPECT_FALSE(ReadRunValue(&strRun));
            checkMenu(false);
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, RunValueRemovedElsewhereStillUnchecks) {
    CRegistry registry;
    registry.WriteString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, "\"x.exe\" -m");
    CTestableDlg dlg(m_context);
    CMessageBoxAnswerer answerer;
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(1, dlg.IsLaunchOnStartup());
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName);
            dlg.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH_ON_STARTUP, 0);
            EXPECT_EQ(0, dlg.IsLaunchOnStartup());
        })
        .RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}

TEST_F(MainWindowTest, WatcherRequestsHideAndShowTheWindow) {
    CRegistry registry;
    const int rect[4] = {100, 110, 800, 600};
    for (int i = 0; i < 4; ++i) {
        registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kWindowValueNames[i], rect[i]);
    }
    m_context.bStartHidden = true;
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] { dlg.SendMessage(WM_WATCHER_HIDE); })
        .Do([&] {
            EXPECT_FALSE(dlg.IsWindowVisible());
            EXPECT_TRUE(dlg.IsHiddenToTray());
            RECT window;
            dlg.GetWindowRect(&window);
            EXPECT_EQ(100, window.left);
            EXPECT_EQ(600, window.bottom);
            dlg.SendMessage(WM_WATCHER_SHOW);
        })
        .Do([&] {
            EXPECT_TRUE(dlg.IsWindowVisible());
            EXPECT_FALSE(dlg.IsHiddenToTray());
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, TrayOnlyBringsAnOpenMessageBoxForward) {
    WriteBook(TwoContacts());
    CTestableDlg dlg(m_context);
    CMessageBoxAnswerer answerer;
    answerer.m_onOpen = [&](HWND) {
        // Arrives while the box is open: it must not run "Show Contacts" inside the box.
        dlg.PostMessage(WM_TRAYNOTIFY, IDR_TRAY_MENU, WM_LBUTTONDBLCLK);
    };
    CStepRunner()
        .Do([&] { dlg.SendMessage(WM_CLOSE); })
        .Then([&] { return dlg.IsHiddenToTray(); })
        .Do([&] { AfxMessageBox("A question"); })
        .Do([&] {
            EXPECT_TRUE(dlg.IsHiddenToTray());
            EXPECT_FALSE(dlg.IsWindowVisible());
        })
        .RunModal(dlg);
    EXPECT_EQ(1u, answerer.m_boxes.size());
}

TEST_F(MainWindowTest, DamagedFileIsReportedOnceAndBackedUpBeforeTheFirstSave) {
    WriteBytes(BookPath(), kDamagedBook);
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    INT_PTR nResult = CStepRunner()
                          .Then([&] { return dlg.IsLoadFinished(); })
                          .Do([&] {
                              dlg.AddContact(MakeContact("Adams", "Bob"));
                              EXPECT_FALSE(dlg.Book().HasUnsavedChanges());
                              dlg.SendMessage(WM_COMMAND, IDOK, 0);
                          })
                          .ThenProgramEnds()
                          .RunModal(dlg);
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(2u, answerer.m_boxes.size());
    EXPECT_EQ("tbook", answerer.m_boxes[0].strCaption);
    EXPECT_EQ("Warning Element Terminator exists without matching initial Block /x", answerer.m_boxes[0].strText);
    EXPECT_EQ("Tovano Address Book", answerer.m_boxes[1].strCaption);
    EXPECT_NE(std::string::npos, answerer.m_boxes[1].strText.find("1 more warnings"));
    EXPECT_EQ(kDamagedBook, ReadBytes(BookPath() + ".bak"));
    EXPECT_NE(kDamagedBook, ReadBytes(BookPath()));
}

// A book that was not read completely is reported at once, and no editor opens at start: a
// contact saved there would replace the book before the user knew. A long warning is cut short.
TEST_F(MainWindowTest, AnUnreadBookIsReportedAndOpensNoEditor) {
    const struct {
        const char* pszName;
        std::string strBook; // empty: a folder stands in its place
        size_t nBoxes;
    } cases[] = {
        {"a stray end tag with a long name", "</" + std::string(5000, 'x') + ">", 2},
        {"no tags at all", "\x01\x02 random \xFF bytes", 1},
        {"a folder in its place", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        m_context.strAddressBookPath = folder.Path("tbk.xml").c_str();
        if (c.strBook.empty()) {
            ASSERT_TRUE(::CreateDirectoryA(m_context.strAddressBookPath, nullptr));
        } else {
            WriteBytes(folder.Path("tbk.xml"), c.strBook);
        }
        CMessageBoxAnswerer answerer;
        CTestableDlg dlg(m_context);
        int nTicks = 0;
        CStepRunner()
            .Then([&] { return dlg.IsLoadFinished() && ++nTicks > 5; })
            .Do([&] {
                EXPECT_TRUE(dlg.m_commands.empty());
                ASSERT_EQ(c.nBoxes, answerer.m_boxes.size());
                const std::string& strFirst = answerer.m_boxes[0].strText;
                if (c.nBoxes == 2) {
                    EXPECT_EQ(203u, strFirst.size());
                    EXPECT_EQ("...", strFirst.substr(strFirst.size() - 3));
                }
            })
            .RunModal(dlg);
    }
}

TEST_F(MainWindowTest, ExitWhileTheLoadWarningIsShownWritesNothing) {
    WriteBytes(BookPath(), kDamagedBook);
    CTestableDlg dlg(m_context);
    CMessageBoxAnswerer answerer;
    answerer.m_onOpen = [&](HWND) {
        if (answerer.m_boxes.empty()) {
            dlg.PostMessage(WM_COMMAND, IDOK, 0); // as the quit signal or the tray's Exit would
        }
    };
    INT_PTR nResult = CStepRunner().ThenProgramEnds().RunModal(dlg);
    EXPECT_EQ(IDOK, nResult);
    EXPECT_EQ(kDamagedBook, ReadBytes(BookPath()));
    EXPECT_FALSE(FileExists(BookPath() + ".bak"));
}

// A book that cannot be written never keeps the program from ending unless changes would be
// lost: the user is asked then, and the quit signal, which nobody may answer, leaves it running.
TEST_F(MainWindowTest, FailedSaveOnExitEndsUnlessChangesWouldBeLost) {
    struct Case {
        const char* pszName;
        bool bUnsavedChange; // a change whose save failed (a folder stands in place of the book)
        bool bQuitSignal;
        int nAnswer;
        bool bEnds;
        size_t nBoxes;
    };
    const Case cases[] = {
        {"nothing unsaved, Exit", false, false, IDOK, true, 0},            // nothing to write
        {"nothing unsaved, quit signal", false, true, IDOK, true, 0},      //
        {"unsaved, Exit answered No", true, false, IDNO, false, 4},        // load, change, exit, question
        {"unsaved, Exit answered Yes", true, false, IDYES, true, 4},       //
        {"unsaved, two quit signals", true, true, IDYES, false, 3},        // the second one silent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        if (c.bUnsavedChange) {
            m_context.strAddressBookPath = folder.Path("tbk.xml").c_str();
            ASSERT_TRUE(::CreateDirectoryA(m_context.strAddressBookPath, nullptr));
        } else {
            m_context.strAddressBookPath = folder.Path("missing-folder\\tbk.xml").c_str();
        }
        CMessageBoxAnswerer answerer(c.nAnswer);
        CTestableDlg dlg(m_context);
        auto request = [&] {
            if (c.bQuitSignal) {
                dlg.SendMessage(WM_WATCHER_QUIT);
            } else {
                dlg.SendMessage(WM_COMMAND, IDOK, 0);
            }
        };
        CStepRunner steps;
        steps.Then([&] { return dlg.IsLoadFinished(); }).Do([&] {
            if (c.bUnsavedChange) {
                dlg.AddContact(MakeContact("Adams", "Bob"));
                EXPECT_TRUE(dlg.Book().HasUnsavedChanges());
            }
            request();
        });
        if (c.bQuitSignal && c.bUnsavedChange) {
            steps.Do(request);
        }
        if (c.bEnds) {
            steps.ThenProgramEnds();
        } else {
            steps.Do([&] {
                EXPECT_NE(nullptr, dlg.m_hWnd);
                EXPECT_TRUE(dlg.Watcher().IsRunning());
            });
        }
        INT_PTR nResult = steps.RunModal(dlg);
        EXPECT_EQ(c.bEnds ? IDOK : -2, nResult); // -2: ended by the test, not by the exit path
        EXPECT_EQ(c.nBoxes, answerer.m_boxes.size());
        bool bAsked = false;
        for (const CMessageBoxRecord& box : answerer.m_boxes) {
            bAsked |= box.strText.find("End Tovano Address Book anyway?") != std::string::npos;
        }
        EXPECT_EQ(c.bUnsavedChange && !c.bQuitSignal, bAsked);
    }
}

// A book another program held while it was loaded was not read: once the lock is gone, ending
// the program leaves the file exactly as it was, with no backup made.
TEST_F(MainWindowTest, BookLockedAtStartIsLeftAsItWas) {
    WriteBook(TwoContacts());
    std::string strBefore = ReadBytes(BookPath());
    HANDLE hLock = ::CreateFileA(BookPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    INT_PTR nResult = CStepRunner()
                          .Then([&] { return dlg.IsLoadFinished(); })
                          .Do([&] {
                              ::CloseHandle(hLock);
                              dlg.SendMessage(WM_COMMAND, IDOK, 0);
                          })
                          .ThenProgramEnds()
                          .RunModal(dlg);
    EXPECT_EQ(IDOK, nResult);
    ASSERT_EQ(1u, answerer.m_boxes.size()); // what went wrong with the load
    EXPECT_NE(std::string::npos, answerer.m_boxes[0].strText.find("could not be read"));
    EXPECT_EQ(strBefore, ReadBytes(BookPath()));
    EXPECT_FALSE(FileExists(BookPath() + ".bak"));
}

// At start the icon names today's birthday in a notification, and a click on it opens Upcoming
// Birthdays; the tray menu turns the reminders off (kept in the registry), and then none comes.
TEST_F(MainWindowTest, BirthdayRemindersComeFromTheIconUntilTurnedOff) {
    const CValueDate today = LocalToday();
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann"));
    contacts[0].values = {{EValueKind::date, "birthday", "", ValueDateText({1980, today.nMonth, today.nDay})}};
    contacts.Add(MakeContact("Baker", "Bob"));
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    auto info = [&] { return FromWide(dlg.GetTrayIcon().m_data.szInfo).GetStdString(); };
    auto birthdays = [] { return ::FindWindowA("#32770", "Tovano Address Book - Upcoming Birthdays"); };
    CStepRunner()
        .Do([&] {
            EXPECT_EQ("Birthday", FromWide(dlg.GetTrayIcon().m_data.szInfoTitle).GetStdString());
            EXPECT_EQ("Today: Adams, Ann, birthday (" + std::to_string(today.nYear - 1980) + ")", info());
            dlg.PostMessage(WM_TRAYNOTIFY, IDR_TRAY_MENU, NIN_BALLOONUSERCLICK);
        })
        .Then([&] { return birthdays() != nullptr; })
        .Do([&] {
            ::PostMessageA(birthdays(), WM_COMMAND, IDCANCEL, 0);
            dlg.GetTrayIcon().m_data.szInfo[0] = L'\0';
            dlg.SendMessage(WM_COMMAND, ID_TRAY_BIRTHDAY_REMINDERS, 0);
            EXPECT_EQ(0, ReadSetting(kBirthdayRemindersValueName, 1));
            HMENU hMenu = dlg.GetTrayIcon().BuildPopupMenu();
            EXPECT_EQ(0u, ::GetMenuState(hMenu, ID_TRAY_BIRTHDAY_REMINDERS, MF_BYCOMMAND) & MF_CHECKED);
            ::DestroyMenu(hMenu);
        })
        .Then([&] { return birthdays() == nullptr; })
        .RunModal(dlg);
    EXPECT_EQ("", info());

    CTestableDlg again(m_context);
    CStepRunner().Do([&] { EXPECT_EQ("", FromWide(again.GetTrayIcon().m_data.szInfo).GetStdString()); }).RunModal(again);
}
