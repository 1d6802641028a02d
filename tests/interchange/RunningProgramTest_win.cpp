// Import next to the real program: it refuses while the program runs, since the program would
// write its own list over the file at its next change, and with --quit-running it has the
// program save and end first.
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "process/ProgramDriver.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const char kCard[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported;Ivy;;;\r\nTEL;TYPE=CELL:555 0101\r\nEND:VCARD\r\n";

// Runs tbkutil (beside this test program) to its end; its exit code, or -1.
int RunTbkutil(const std::string& strArguments) {
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strExe = szPath;
    strExe = strExe.substr(0, strExe.rfind('\\') + 1) + "tbkutil.exe";
    std::string strCommand = "\"" + strExe + "\" " + strArguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
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
};

TEST_F(InterchangeProgramTest, ImportRefusesWhileTheProgramRunsAndQuitsItWhenAsked) {
    CContactArray contacts;
    CContact alpha;
    alpha.lastname = "Alpha";
    contacts.Add(alpha);
    MakeDataFolder();
    WriteFileText(BookPath(), BuildAddressBookDocument(contacts).GetString());
    CTempFolder folder;
    std::string strCard = folder.Path("phone.vcf");
    WriteBytes(strCard, kCard);

    CProgram program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(WaitUntil([&] { return program.FindMainWindow() != nullptr; }));

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

} // namespace
