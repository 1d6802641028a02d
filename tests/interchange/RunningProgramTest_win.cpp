// Import next to the real program: it refuses while the program runs, since the program would
// write its own list over the file at its next change, and with --quit-running it has the
// program save and end first. Another book is the user's to import into at any time.
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "process/ProgramDriver.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const char kCard[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported;Ivy;;;\r\nTEL;TYPE=CELL:555 0101\r\nEND:VCARD\r\n";

const char kCardWithStrayLine[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Stray;Sam;;;\r\nthis is no property\r\nEND:VCARD\r\n";

// Runs tbkutil (beside this test program) to its end; its exit code, or -1. With strOutput, what
// it printed goes into that file.
int RunTbkutil(const std::string& strArguments, const std::string& strOutput = std::string()) {
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strExe = szPath;
    strExe = strExe.substr(0, strExe.rfind('\\') + 1) + "tbkutil.exe";
    std::string strCommand = "\"" + strExe + "\" " + strArguments;
    STARTUPINFOA startup = {};
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
    BOOL bStarted = ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr,
                                     hOutput != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &startup, &info);
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

class InterchangeProgramTest : public testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }

    // Writes the program's book, starts the program and waits for its window.
    bool StartWithBook(CProgram& program, const CContactArray& book) {
        MakeDataFolder();
        WriteFileText(BookPath(), BuildAddressBookDocument(book).GetString());
        return program.Start() && WaitUntil([&] { return program.FindMainWindow() != nullptr; });
    }
};

TEST_F(InterchangeProgramTest, ImportRefusesWhileTheProgramRunsAndQuitsItWhenAsked) {
    CContactArray contacts;
    CContact alpha;
    alpha.lastname = "Alpha";
    contacts.Add(alpha);
    CTempFolder folder;
    std::string strCard = folder.Path("phone.vcf");
    WriteBytes(strCard, kCard);

    CProgram program;
    ASSERT_TRUE(StartWithBook(program, contacts));

    std::string strBefore = ReadFileText(BookPath());
    EXPECT_EQ(2, RunTbkutil("import \"" + strCard + "\""));
    EXPECT_EQ(strBefore, ReadFileText(BookPath()));
    EXPECT_TRUE(program.IsRunning());

    EXPECT_EQ(0, RunTbkutil("import \"" + strCard + "\" --quit-running"));
    EXPECT_NE(-1, program.WaitForExit(1000));
    CXML root;
    CContactArray after;
    ReadAddressBook(BookPath().c_str(), root, after, nullptr);
    ASSERT_EQ(2, after.GetSize());
    EXPECT_STREQ("Alpha", after[0].lastname.GetString());
    EXPECT_STREQ("555 0101", after[1].mobile.GetString());
    EXPECT_TRUE(PathExists(BookPath() + ".bak")) << "the previous file is kept";
}

// The refusal comes before the file is read, so none of its warnings are printed; the book's path
// is known in any case of its letters. A book of the user's own is imported into at once.
TEST_F(InterchangeProgramTest, ImportRefusesOnlyTheRunningProgramsOwnBookAndBeforeReadingTheFile) {
    CTempFolder folder;
    std::string strCard = folder.Path("stray.vcf");
    WriteBytes(strCard, kCardWithStrayLine);
    CProgram program;
    ASSERT_TRUE(StartWithBook(program, CContactArray()));

    std::string strBook = BookPath();
    std::string strBookUpper(strBook);
    for (char& c : strBookUpper) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    std::string strBefore = ReadFileText(strBook);
    std::string strOutput = folder.Path("output.txt");
    EXPECT_EQ(2, RunTbkutil("import \"" + strCard + "\" --into \"" + strBookUpper + "\"", strOutput));
    std::string strPrinted = ReadFileText(strOutput);
    EXPECT_NE(std::string::npos, strPrinted.find("is running")) << strPrinted;
    EXPECT_EQ(std::string::npos, strPrinted.find("skipped a line")) << strPrinted;
    EXPECT_EQ(strBefore, ReadFileText(strBook));

    std::string strOther = folder.Path("other.xml");
    EXPECT_EQ(1, RunTbkutil("import \"" + strCard + "\" --into \"" + strOther + "\"")); // 1: the stray line
    CXML root;
    CContactArray other;
    ReadAddressBook(strOther.c_str(), root, other, nullptr);
    ASSERT_EQ(1, other.GetSize());
    EXPECT_STREQ("Stray", other[0].lastname.GetString());
    EXPECT_TRUE(program.IsRunning());
}

} // namespace
