// tbkutil beside the real program: an import goes into the running program's book, which the
// window then lists and keeps when it ends, whatever it had changed or had open meanwhile; with
// --quit-running the program still saves and ends first. The program's book is known however its
// path is spelled, and the program however its executable is named.
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "framework/core/WideText.h"
#include "process/ProgramDriver.h"
#include "res/resource.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Names = std::vector<std::string>;

const char kCard[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported;Ivy;;;\r\nTEL;TYPE=CELL:555 0101\r\nEND:VCARD\r\n";

const char kCardWithStrayLine[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Stray;Sam;;;\r\nthis is no property\r\nEND:VCARD\r\n";

// The folder of this test program, where the programs it starts lie, ending in a backslash.
std::string ProgramFolder() {
    wchar_t szPath[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::string strPath = FromWide(szPath).GetStdString();
    return strPath.substr(0, strPath.rfind('\\') + 1);
}

// Runs tbkutil (beside this test program) to its end; its exit code, or -1. With strOutput, what
// it printed goes into that file.
int RunTbkutil(const std::string& strArguments, const std::string& strOutput = std::string()) {
    std::string strCommand = "\"" + ProgramFolder() + "tbkutil.exe\" " + strArguments;
    std::wstring command = ToWide(strCommand.c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE hOutput = INVALID_HANDLE_VALUE;
    if (!strOutput.empty()) {
        hOutput = ::CreateFileA(strOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = hOutput;
        startup.hStdError = hOutput;
    }
    PROCESS_INFORMATION info = {};
    BOOL bStarted = ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, hOutput != INVALID_HANDLE_VALUE, 0,
                                     nullptr, nullptr, &startup, &info);
    if (hOutput != INVALID_HANDLE_VALUE) {
        ::CloseHandle(hOutput);
    }
    if (!bStarted) {
        return -1;
    }
    DWORD dwCode = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(info.hProcess, &dwCode);
    }
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);
    return static_cast<int>(dwCode);
}

Names NamesInBook(const std::string& strPath) {
    CXML root;
    CContactArray contacts;
    ReadAddressBook(strPath.c_str(), root, contacts, nullptr);
    Names names;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        names.push_back(contacts[i].lastname.GetStdString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Names ListedNames(const CProgram& program) {
    Names names;
    for (int nRow = 0, nRows = program.ListRowCount(); nRow < nRows; ++nRow) {
        names.push_back(program.ListText(nRow, 0));
    }
    return names;
}

std::string EditText(HWND hDialog, int nId) {
    char szText[256] = "";
    ::SendDlgItemMessageA(hDialog, nId, WM_GETTEXT, sizeof szText, reinterpret_cast<LPARAM>(szText));
    return szText;
}

CContactArray OneContact(const char* pszLast) {
    CContactArray contacts;
    CContact contact;
    contact.lastname = pszLast;
    contacts.Add(contact);
    return contacts;
}

class InterchangeProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        WriteBytes(m_folder.Path("phone.vcf"), kCard);
    }
    void TearDown() override { ResetProgramState(); }

    std::string Card() const { return "\"" + m_folder.Path("phone.vcf") + "\""; }

    // Writes the program's book, starts the program (or a copy of another name) and waits for its
    // window to list the book.
    bool StartWithBook(CProgram& program, const CContactArray& book, const char* pszProgram = "tbook.exe") {
        MakeDataFolder();
        WriteFileText(BookPath(), BuildAddressBookDocument(book).GetString());
        return program.Start("", pszProgram) &&
               WaitUntil([&] { return program.ListRowCount() == book.GetSize(); });
    }

    // Adds a contact through the window's editor, as the user does.
    static bool AddInWindow(CProgram& program, const char* pszLast) {
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, IDC_ADD_NEW, 0);
        HWND hEditor = nullptr;
        if (!WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; })) {
            return false;
        }
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, pszLast);
        ::PostMessageA(hEditor, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return program.FindEditor() == nullptr; });
    }

    CTempFolder m_folder;
};

} // namespace

// The window lists what tbkutil imported into its book, and keeps it when it ends, beside the
// contact the user added before.
TEST_F(InterchangeProgramTest, AnImportIntoTheRunningProgramsBookIsListedAndKept) {
    CProgram program;
    ASSERT_TRUE(StartWithBook(program, OneContact("Alpha")));
    ASSERT_TRUE(AddInWindow(program, "Bravo"));
    ASSERT_TRUE(WaitUntil([&] { return ListedNames(program) == Names{"Alpha", "Bravo"}; }));

    EXPECT_EQ(0, RunTbkutil("import " + Card()));
    EXPECT_TRUE(WaitUntil([&] { return ListedNames(program) == Names{"Alpha", "Bravo", "Imported"}; }))
        << ListedNames(program).size();
    EXPECT_EQ(0, RunProgram("-quit"));
    EXPECT_NE(-1, program.WaitForExit());
    EXPECT_EQ((Names{"Alpha", "Bravo", "Imported"}), NamesInBook(BookPath()));
    EXPECT_TRUE(PathExists(BookPath() + ".bak")) << "the import keeps the previous file";
}

// An editor open while tbkutil imports keeps its text, and its save goes into the book that holds
// the import.
TEST_F(InterchangeProgramTest, AnEditorOpenDuringAnImportKeepsItsTextAndItsSaveLands) {
    CProgram program;
    ASSERT_TRUE(StartWithBook(program, OneContact("Alpha")));
    ::PostMessageA(program.FindMainWindow(), WM_COMMAND, IDC_ADD_NEW, 0);
    HWND hEditor = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hEditor = program.FindEditor()) != nullptr; }));
    ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Charlie");

    EXPECT_EQ(0, RunTbkutil("import " + Card()));
    EXPECT_EQ((Names{"Alpha", "Imported"}), NamesInBook(BookPath()));
    // Time for the window to hear of the change; it waits for the editor.
    ::Sleep(1000);
    EXPECT_EQ(program.FindEditor(), hEditor);
    EXPECT_EQ("Charlie", EditText(hEditor, IDC_EDIT_LASTNAME));
    ::PostMessageA(hEditor, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return ListedNames(program) == Names{"Alpha", "Charlie", "Imported"}; }));
    EXPECT_EQ((Names{"Alpha", "Charlie", "Imported"}), NamesInBook(BookPath()));
}

// Asked to, tbkutil still has the program save and end before it imports.
TEST_F(InterchangeProgramTest, QuitRunningEndsTheProgramBeforeTheImport) {
    CProgram program;
    ASSERT_TRUE(StartWithBook(program, OneContact("Alpha")));
    EXPECT_EQ(0, RunTbkutil("import " + Card() + " --quit-running"));
    EXPECT_NE(-1, program.WaitForExit(1000));
    EXPECT_EQ((Names{"Alpha", "Imported"}), NamesInBook(BookPath()));
    EXPECT_TRUE(PathExists(BookPath() + ".bak")) << "the previous file is kept";
}

// The program's book by other names: another case, forward slashes, a detour through "..", the
// drive Wine maps the prefix's folder to, and a drive substituted for the users' folder (the
// test environment links T: there, as subst would). Each asks a renamed copy of the program to
// end; another book does not.
TEST_F(InterchangeProgramTest, TheProgramsBookIsKnownByAnyNameAndARenamedProgramIsFound) {
    std::string strRenamed = ProgramFolder() + "renamed-book.exe";
    ASSERT_TRUE(::CopyFileW(ToWide((ProgramFolder() + "tbook.exe").c_str()).c_str(),
                            ToWide(strRenamed.c_str()).c_str(), FALSE));
    const std::string strBook = BookPath(); // C:\users\NAME\AppData\Local\TovanoSoft\...
    ASSERT_EQ(0u, strBook.find("C:\\users\\"));
    std::string strUpper = strBook, strSlashes = strBook;
    std::transform(strUpper.begin(), strUpper.end(), strUpper.begin(), ::toupper);
    std::replace(strSlashes.begin(), strSlashes.end(), '\\', '/');
    std::string strDetour = strBook;
    strDetour.insert(strDetour.find("\\TovanoSoft\\") + 11, "\\..\\TovanoSoft");
    std::string strPrefix = FromWide(_wgetenv(L"WINEPREFIX") ? _wgetenv(L"WINEPREFIX") : L"").GetStdString();
    std::replace(strPrefix.begin(), strPrefix.end(), '/', '\\');
    const std::string aliases[] = {strUpper, strSlashes, strDetour, "Z:" + strPrefix + "\\drive_c" + strBook.substr(2),
                                   "T:" + strBook.substr(strlen("C:\\users"))};
    for (const std::string& strAlias : aliases) {
        SCOPED_TRACE(strAlias);
        CProgram program;
        ASSERT_TRUE(StartWithBook(program, OneContact("Alpha"), "renamed-book.exe"));
        EXPECT_EQ(0, RunTbkutil("import " + Card() + " --into \"" + strAlias + "\" --quit-running"));
        EXPECT_NE(-1, program.WaitForExit(1000));
        EXPECT_EQ((Names{"Alpha", "Imported"}), NamesInBook(BookPath()));
        ResetProgramState();
    }

    CProgram program;
    ASSERT_TRUE(StartWithBook(program, OneContact("Alpha"), "renamed-book.exe"));
    WriteBytes(m_folder.Path("stray.vcf"), kCardWithStrayLine);
    std::string strOther = m_folder.Path("other.xml");
    EXPECT_EQ(1, RunTbkutil("import \"" + m_folder.Path("stray.vcf") + "\" --into \"" + strOther +
                            "\" --quit-running")); // 1: the stray line
    EXPECT_EQ(Names{"Stray"}, NamesInBook(strOther));
    EXPECT_TRUE(program.IsRunning());
    EXPECT_EQ(0, RunProgram("-quit", 10000, "renamed-book.exe"));
    EXPECT_NE(-1, program.WaitForExit());
    ::DeleteFileW(ToWide(strRenamed.c_str()).c_str());
}
