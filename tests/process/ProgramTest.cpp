// The real tbook.exe under Wine: one instance, the signals of later starts, the options, the
// tray, and the exit path.
#include "ProgramDriver.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "framework/core/WideText.h"
#include "framework/base/Handles.h"
#include "res/resource.h"
#include "support/UnicodeNames.h"
#include "win/outreach/RecordingBrowserTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const UINT WM_TRAYNOTIFY = 0x8001;
const UINT kTrayIconId = 138;

CContactArray Contacts(std::initializer_list<std::pair<const char*, const char*>> names) {
    CContactArray contacts;
    for (const auto& name : names) {
        CContact contact;
        contact.lastname = name.first;
        contact.firstname = name.second;
        contacts.Add(contact);
    }
    return contacts;
}

CContactArray SampleContacts() { return Contacts({{"Zeta", "Zoe"}, {"adams", "Ann"}, {"Kent", "Clark"}}); }

void PostKey(HWND hWnd, WPARAM nKey) {
    ::PostMessageA(hWnd, WM_KEYDOWN, nKey, 1);
    ::PostMessageA(hWnd, WM_KEYUP, nKey, 1 | (1u << 30) | (1u << 31));
}

std::string SortedDocument(CContactArray contacts) {
    SortContacts(contacts);
    return BuildAddressBookDocument(contacts).GetStdString();
}

int ReadSetting(const char* pszName) {
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    LONG lStatus = ::RegGetValueA(HKEY_CURRENT_USER, "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Settings",
                                  pszName, RRF_RT_REG_DWORD, nullptr, &dwValue, &dwSize);
    return lStatus == ERROR_SUCCESS ? static_cast<int>(dwValue) : -1;
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        MakeDataFolder();
    }
    void TearDown() override { ResetProgramState(); }

    // Starts the program with a book and waits until its window shows the rows.
    void StartWithBook(CProgram& program, const CContactArray& contacts, const std::string& strArguments = "") {
        WriteFileText(BookPath(), BuildAddressBookDocument(contacts).GetStdString());
        ASSERT_TRUE(program.Start(strArguments));
        ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == contacts.GetSize(); }));
    }
};

} // namespace

TEST_F(ProgramTest, WindowListsTheContactsSorted) {
    CProgram program;
    StartWithBook(program, SampleContacts());
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(program.FindMainWindow()) != FALSE; }));
    EXPECT_EQ("adams", program.ListText(0, 0));
    EXPECT_EQ("Clark", program.ListText(1, 1));
    EXPECT_EQ("Zeta", program.ListText(2, 0));
}

TEST_F(ProgramTest, SecondStartEndsWithCodeOneAndShowsTheFirst) {
    CProgram program;
    StartWithBook(program, SampleContacts());
    HWND hMain = program.FindMainWindow();
    ::PostMessageA(hMain, WM_CLOSE, 0, 0); // into the tray
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hMain); }));
    EXPECT_EQ(0, RunProgram(""));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }, 3000));
    EXPECT_TRUE(program.IsRunning());
}

TEST_F(ProgramTest, QuitOptionMakesTheRunningProgramSaveAndEnd) {
    CProgram program;
    CContactArray contacts = SampleContacts();
    StartWithBook(program, contacts);
    DWORD dwStart = ::GetTickCount();
    EXPECT_EQ(0, RunProgram("-quit"));
    DWORD dwElapsed = ::GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 900u); // it waits a second for the first one to end
    EXPECT_EQ(0, program.WaitForExit(5000));
    // Nothing changed: the book stays as it was written, in its own order.
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadFileText(BookPath()));
    EXPECT_EQ(100, ReadSetting("LastNameWidth"));
}

TEST_F(ProgramTest, QuitOptionAloneEndsAtOnceAndMakesTheDataFolder) {
    ::RemoveDirectoryA(DataFolder().c_str());
    ASSERT_FALSE(PathExists(DataFolder()));
    CProgram program;
    ASSERT_TRUE(program.Start("-quit"));
    EXPECT_EQ(0, program.WaitForExit(5000));
    EXPECT_EQ(nullptr, program.FindMainWindow());
    EXPECT_TRUE(PathExists(DataFolder()));
    EXPECT_FALSE(PathExists(BookPath()));
}

TEST_F(ProgramTest, OtherOptionTextsStartNormally) {
    CProgram program;
    StartWithBook(program, SampleContacts(), "-Quit");
    EXPECT_TRUE(program.IsRunning());
}

TEST_F(ProgramTest, StartHiddenParksTheWindowThenHidesItInTheTray) {
    HKEY hKey = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Settings", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    const char* const names[] = {"WindowLeft", "WindowTop", "WindowRight", "WindowBottom"};
    const DWORD sides[] = {40, 50, 740, 550};
    for (int i = 0; i < 4; ++i) {
        ::RegSetValueExA(hKey, names[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&sides[i]), sizeof(DWORD));
    }
    ::RegCloseKey(hKey);

    CProgram program;
    StartWithBook(program, SampleContacts(), "-m");
    HWND hMain = program.FindMainWindow();
    RECT rect;
    ::GetWindowRect(hMain, &rect);
    EXPECT_EQ(-5000, rect.left);
    EXPECT_EQ(-5000, rect.top);
    // Hidden first, then moved to its place; both happen at once for the user, not for a poll.
    EXPECT_TRUE(WaitUntil(
        [&] {
            ::GetWindowRect(hMain, &rect);
            return !::IsWindowVisible(hMain) && rect.left == 40 && rect.bottom == 550;
        },
        9000));

    EXPECT_EQ(0, RunProgram("")); // the Show signal brings it back
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }, 3000));
}

TEST_F(ProgramTest, TrayIconOpensItsMenuAndRestoresTheWindow) {
    CProgram program;
    StartWithBook(program, SampleContacts());
    HWND hMain = program.FindMainWindow();
    ::PostMessageA(hMain, WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return program.FindPopupMenu() != nullptr; }, 3000));
    ::PostMessageA(program.FindPopupMenu(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.FindPopupMenu() == nullptr; }, 3000));

    ::PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hMain); }));
    ::PostMessageA(hMain, WM_TRAYNOTIFY, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }, 3000));
}

TEST_F(ProgramTest, ExitFromTheTraySavesAndEnds) {
    CProgram program;
    CContactArray contacts = SampleContacts();
    StartWithBook(program, contacts);
    ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit(5000));
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadFileText(BookPath())); // unchanged
    EXPECT_NE(-1, ReadSetting("WindowLeft"));
}

TEST_F(ProgramTest, QuitWhileAStartUpWarningIsShownKeepsTheFile) {
    const std::string damaged = "<addressbook><entry><lastname value=\"Kept\"/></entry></stray></addressbook>";
    WriteFileText(BookPath(), damaged);
    CProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitUntil([&] { return program.FindMessageBox() != nullptr; }));
    EXPECT_EQ(0, RunProgram("-quit"));
    // Answer whatever the program still shows; it then ends without writing.
    EXPECT_TRUE(WaitUntil([&] {
        if (HWND hBox = program.FindMessageBox()) {
            ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        }
        return !program.IsRunning();
    }));
    EXPECT_EQ(damaged, ReadFileText(BookPath()));
    EXPECT_FALSE(PathExists(BookPath() + ".bak"));
}

// A new user's first steps: an empty start opens the editor; the contact is added, found, edited
// and deleted, and the file follows every step.
TEST_F(ProgramTest, AFirstContactIsAddedSearchedEditedAndDeleted) {
    CProgram program;
    ASSERT_TRUE(program.Start());
    HWND hEditor = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; }));
    ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Kent");
    ::PostMessageA(hEditor, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 1 && program.FindEditor() == nullptr; }));
    EXPECT_EQ(SortedDocument(Contacts({{"Kent", ""}})), ReadFileText(BookPath()));

    HWND hMain = program.FindMainWindow();
    ::PostMessageA(hMain, WM_COMMAND, IDC_ADD_NEW, 0);
    ASSERT_TRUE(WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; }));
    ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Adams");
    ::PostMessageA(hEditor, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 2; }));

    HWND hSearch = ::GetDlgItem(hMain, IDC_SEARCH_EDIT);
    ::PostMessageA(hSearch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); // into the search box
    ::PostMessageA(hSearch, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ::SetDlgItemTextA(hMain, IDC_SEARCH_EDIT, "ENT");
    PostKey(hSearch, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 1; }));
    EXPECT_EQ("Kent", program.ListText(0, 0));

    HWND hList = ::GetDlgItem(hMain, IDC_LIST);
    ASSERT_TRUE(program.ClickListRow(0));
    PostKey(hList, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; }));
    ::SetDlgItemTextA(hEditor, IDC_EDIT_FIRSTNAME, "Clark");
    ::PostMessageA(hEditor, WM_COMMAND, IDOK, 0);
    // The saved edit keeps the search: its result shows the edited contact.
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 1 && program.ListText(0, 1) == "Clark"; }));
    EXPECT_EQ(SortedDocument(Contacts({{"Kent", "Clark"}, {"Adams", ""}})), ReadFileText(BookPath()));

    PostKey(hList, VK_DELETE); // the edited contact is still selected
    HWND hBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hBox = program.FindMessageBox()) != nullptr; }));
    ::PostMessageA(hBox, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 0; }));
    EXPECT_EQ(SortedDocument(Contacts({{"Adams", ""}})), ReadFileText(BookPath()));
}

// Ending the program while the editor is open closes the editor without its unsaved text and
// ends through the exit path, whether the quit option or the tray's Exit asks.
TEST_F(ProgramTest, EndingWhileTheEditorIsOpenKeepsTheSavedBook) {
    for (bool bQuitOption : {true, false}) {
        SCOPED_TRACE(bQuitOption ? "-quit" : "tray Exit");
        CProgram program;
        CContactArray contacts = SampleContacts();
        StartWithBook(program, contacts);
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, IDC_ADD_NEW, 0);
        HWND hEditor = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; }));
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Unsaved");
        if (bQuitOption) {
            EXPECT_EQ(0, RunProgram("-quit"));
        } else {
            ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
        }
        EXPECT_EQ(0, program.WaitForExit(5000));
        EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadFileText(BookPath()));
    }
}

// The tray's Help opens the page the build put beside the program; its About shows the
// version with the build and ends with Escape's command.
TEST_F(ProgramTest, TrayOpensTheHelpBesideTheProgramAndTheAboutBox) {
    CRecordingBrowser browser;
    browser.RegisterForHttp();
    CProgram program;
    StartWithBook(program, SampleContacts());
    HWND hMain = program.FindMainWindow();
    ::PostMessageA(hMain, WM_COMMAND, ID_TRAY_HELP, 0);
    std::vector<CLaunch> launches = browser.WaitForLaunches(1);
    ASSERT_EQ(1u, launches.size());
    std::string strUrl = launches[0].Unquoted();
    const std::string kPrefix = "file:///";
    ASSERT_EQ(0u, strUrl.find(kPrefix)) << strUrl;
    std::string strPath = strUrl.substr(kPrefix.size());
    EXPECT_EQ(std::string::npos, strPath.find('\\'));
    EXPECT_TRUE(PathExists(strPath)) << strPath;
    EXPECT_NE(std::string::npos, strPath.find("/Help/index.html"));

    ::PostMessageA(hMain, WM_COMMAND, ID_TRAY_ABOUT, 0);
    HWND hAbout = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hAbout = program.FindAbout()) != nullptr; }));
    char szVersion[128] = "";
    ::GetDlgItemTextA(hAbout, IDC_ABOUT_VERSION, szVersion, sizeof szVersion);
    EXPECT_STREQ("Version 1.0 (build 10041022)", szVersion);
    ::PostMessageA(hAbout, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return program.FindAbout() == nullptr; }));
    EXPECT_TRUE(program.IsRunning());
}

// A normal start registers the automation object. While that instance runs, a creation fails:
// the server the system starts is a second instance, which shows the first and ends. Once it has
// ended, a client's creation starts the program, which then only hides on Exit, after saving
// its settings, until the client lets go.
TEST_F(ProgramTest, AutomationClientKeepsTheProgramUntilItLetsGo) {
    CKernelHandle created(::CreateEventA(nullptr, TRUE, FALSE, "TBookTestClientCreated"));
    CKernelHandle release(::CreateEventA(nullptr, TRUE, FALSE, "TBookTestClientRelease"));
    const char kClientArguments[] = "TBookTestClientCreated TBookTestClientRelease";
    {
        CProgram program;
        StartWithBook(program, SampleContacts());
        EXPECT_EQ(2, RunProgram(kClientArguments, 120000, "automation_client.exe"));
        ASSERT_TRUE(program.IsRunning());
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
        ASSERT_EQ(0, program.WaitForExit(5000));
    }
    char szClassId[64] = "";
    DWORD dwSize = sizeof szClassId;
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CLASSES_ROOT, "TovanoAddressBook.Application\\CLSID", nullptr,
                                            RRF_RT_REG_SZ, nullptr, szClassId, &dwSize));
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TovanoSoft");

    CProgram client;
    ASSERT_TRUE(client.Start(kClientArguments, "automation_client.exe"));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(created.Get(), 30000)) << "exit " << client.WaitForExit(0);
    HWND hMain = ::FindWindowA(nullptr, "Tovano Address Book - List View");
    ASSERT_NE(nullptr, hMain);
    DWORD dwServer = 0;
    ::GetWindowThreadProcessId(hMain, &dwServer);
    CKernelHandle server(::OpenProcess(SYNCHRONIZE, FALSE, dwServer));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hMain) != FALSE; }));

    ::PostMessageA(hMain, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hMain); }));
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), ::WaitForSingleObject(server.Get(), 500));
    EXPECT_NE(-1, ReadSetting("WindowLeft"));

    ::SetEvent(release.Get());
    EXPECT_EQ(0, client.WaitForExit(10000));
    ::PostMessageA(hMain, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(DWORD(WAIT_OBJECT_0), ::WaitForSingleObject(server.Get(), 10000));
}

// A user whose name is outside the system's code page: the data folder below such a profile is
// made and its book shown, names of every script in it.
TEST_F(ProgramTest, ABookBelowAProfileOfAnyNameIsShown) {
    const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const std::string strProfile = "C:\\users\\Zo\xC3\xAB \xC5\x81ukasz \xE9\x99\xB3";
    CRegKey key;
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &hKey));
    key.Attach(hKey);
    wchar_t szOld[MAX_PATH] = L"";
    DWORD dwSize = sizeof szOld;
    DWORD dwType = REG_EXPAND_SZ;
    ::RegQueryValueExW(key, L"Local AppData", nullptr, &dwType, reinterpret_cast<BYTE*>(szOld), &dwSize);
    std::wstring local = ToWide((strProfile + "\\AppData\\Local").c_str());
    for (const char* pszPart : {"", "\\AppData", "\\AppData\\Local"}) {
        ::CreateDirectoryW(ToWide((strProfile + pszPart).c_str()).c_str(), nullptr);
    }
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"Local AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(local.c_str()),
                                              static_cast<DWORD>((local.size() + 1) * sizeof(wchar_t))));
    ASSERT_EQ(0u, DataFolder().find(strProfile));
    {
        // The first start makes the data folder, and the editor opens for the empty book.
        CProgram first;
        ASSERT_TRUE(first.Start());
        HWND hEditor = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hEditor = first.FindEditor()) != nullptr; }));
        EXPECT_TRUE(PathExists(DataFolder()));
        ::PostMessageW(hEditor, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(0, RunProgram("-quit"));
        EXPECT_EQ(0, first.WaitForExit());
    }

    CContactArray contacts;
    for (const CUnicodeName& name : kUnicodeNames) {
        CContact contact = Contacts({{name.pszLast, name.pszFirst}})[0];
        contact.EncodeStoredText();
        contacts.Add(contact);
    }
    CProgram program;
    StartWithBook(program, contacts);
    std::vector<std::string> shown;
    for (int nRow = 0; nRow < program.ListRowCount(); ++nRow) {
        shown.push_back(program.ListText(nRow, 1) + " " + program.ListText(nRow, 0));
    }
    for (const CUnicodeName& name : kUnicodeNames) {
        EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), std::string(name.pszFirst) + " " + name.pszLast))
            << name.pszScript;
    }
    EXPECT_EQ(0, RunProgram("-quit"));
    EXPECT_EQ(0, program.WaitForExit());
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadFileText(BookPath()));

    ResetProgramState();
    ::RegSetValueExW(key, L"Local AppData", 0, dwType, reinterpret_cast<const BYTE*>(szOld), dwSize);
    for (const char* pszPart : {"\\AppData\\Local\\TovanoSoft", "\\AppData\\Local", "\\AppData", ""}) {
        ::RemoveDirectoryW(ToWide((strProfile + pszPart).c_str()).c_str());
    }
}

// A book an earlier version wrote in the system's code page shows every name as typed and stays
// as it is until the first change, which keeps it as a backup and writes the book in UTF-8.
TEST_F(ProgramTest, ABookOfTheOldCodePageIsConvertedOnlyWithABackup) {
    const std::string strOld =
        BuildAddressBookDocument(Contacts({{"M\xFC" "ller", "Zo\xEB"}, {"\x80" "uro", ""}, {"Adams", ""}})).GetStdString();
    WriteFileText(BookPath(), strOld);
    CProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 3; }));
    EXPECT_EQ("M\xC3\xBCller", program.ListText(1, 0));
    EXPECT_EQ("Zo\xC3\xAB", program.ListText(1, 1));
    EXPECT_EQ("\xE2\x82\xAC" "uro", program.ListText(2, 0));
    EXPECT_EQ(strOld, ReadFileText(BookPath()));

    ASSERT_TRUE(program.ClickListRow(0));
    ::PostMessageW(program.FindMainWindow(), WM_COMMAND, IDC_DELETE, 0);
    HWND hBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hBox = program.FindMessageBox()) != nullptr; }));
    ::PostMessageW(hBox, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 2; }));
    EXPECT_EQ(strOld, ReadFileText(BookPath() + ".bak"));
    std::string strNew = ReadFileText(BookPath());
    EXPECT_NE(std::string::npos, strNew.find("\"M\xC3\xBCller\""));
    EXPECT_NE(std::string::npos, strNew.find("\"\xE2\x82\xAC" "uro\""));
    EXPECT_EQ(0, RunProgram("-quit"));
    EXPECT_EQ(0, program.WaitForExit());
}

// "Open with" on a contacts file: a first start imports it once the user agrees to its being
// opened and to the import; a later start hands its file to the running program, which asks the
// same, and ends with code 1.
TEST_F(ProgramTest, AContactsFileOpenedWithTheProgramIsImportedByTheRunningOne) {
    wchar_t szTemp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, szTemp);
    const std::string strFolder = FromWide(szTemp).GetStdString();
    const std::string files[] = {strFolder + "first friends.vcf", strFolder + "second.vcf"};
    WriteFileText(files[0],
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Carl;;;\r\nFN:Carl Clark\r\nEND:VCARD\r\n");
    WriteFileText(files[1], "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dora;;;\r\nFN:Dora Dunn\r\nEND:VCARD\r\n");
    // Answers the next message box, which must begin with the text.
    auto answer = [](CProgram& program, const std::string& strStart) {
        HWND hBox = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hBox = program.FindMessageBox()) != nullptr; })) << strStart;
        EXPECT_EQ(strStart, WindowText(::GetDlgItem(hBox, 0xFFFF)).substr(0, strStart.size()));
        ::PostMessageA(hBox, WM_COMMAND, IDYES, 0);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hBox); }));
    };

    // The names came from another process: the program asks before it opens a file.
    const std::string strAsked =
        "You or another program asked Tovano Address Book to import the contacts of ";
    CProgram program;
    StartWithBook(program, SampleContacts(), "\"" + files[0] + "\"");
    answer(program, strAsked + "first friends.vcf in ");
    answer(program, "Import 1 contact from first friends.vcf into your address book?");
    answer(program, "Imported from first friends.vcf: added 1,");
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 4; }));

    CProgram later;
    ASSERT_TRUE(later.Start("\"" + files[1] + "\""));
    EXPECT_EQ(0, later.WaitForExit(20000));
    answer(program, strAsked + "second.vcf in ");
    answer(program, "Import 1 contact from second.vcf into your address book?");
    answer(program, "Imported from second.vcf: added 1,");
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 5; }));
    std::string strBook = ReadFileText(BookPath());
    EXPECT_NE(std::string::npos, strBook.find("Clark"));
    EXPECT_NE(std::string::npos, strBook.find("Dunn"));
    for (const std::string& strFile : files) {
        ::DeleteFileW(ToWide(strFile.c_str()).c_str());
    }
}

// Two contacts of one person merged in the real program: the book holds one contact with every
// value of both, Undo brings both back to the byte, and a merge stays merged after a restart.
TEST_F(ProgramTest, DuplicatesMergedInTheProgramStayMergedAndUndoTakesThemBack) {
    CContactArray contacts = SampleContacts();
    CContact anna;
    anna.lastname = "Meier";
    anna.firstname = "Anna";
    anna.mobile = "0171 5550100";
    anna.homeemail = "anna@example.org";
    contacts.Add(anna);
    anna.lastname = "MEIER";
    anna.firstname = "Ánna";
    anna.mobile = "+49 171 5550100";
    anna.homeemail = "";
    anna.company = "Acme";
    contacts.Add(anna);
    auto merge = [](CProgram& program) {
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_FIND_DUPLICATES, 0);
        HWND hWindow = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hWindow = program.FindDuplicates()) != nullptr; }));
        ::PostMessageA(hWindow, WM_COMMAND, IDC_DUP_MERGE, 0);
        ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 4; }));
        ::PostMessageA(hWindow, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return program.FindDuplicates() == nullptr; }));
    };

    CProgram program;
    StartWithBook(program, contacts);
    merge(program);
    std::string strMerged = ReadFileText(BookPath());
    for (const char* pszValue :
         {"+49 171 5550100", "<phone type=\"mobile\" value=\"0171 5550100\"/>", "anna@example.org", "Acme"}) {
        EXPECT_NE(std::string::npos, strMerged.find(pszValue)) << pszValue << "\n" << strMerged;
    }
    ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_UNDO, 0);
    ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 5; }));
    EXPECT_EQ(SortedDocument(contacts), ReadFileText(BookPath()));

    merge(program);
    ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit(5000));
    EXPECT_EQ(strMerged, ReadFileText(BookPath()));
    CProgram again;
    ASSERT_TRUE(again.Start());
    EXPECT_TRUE(WaitUntil([&] { return again.ListRowCount() == 4; }));
}
