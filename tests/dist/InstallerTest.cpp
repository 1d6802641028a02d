// The installer and its uninstaller, run silently in the test's own Wine prefix: what they put
// where, that the installed program runs, that an upgrade ends a running program and keeps the
// address book, and what the uninstaller takes away and leaves.
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "framework/core/WideText.h"
#include "process/ProgramDriver.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <string>

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TovanoAddressBook";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kClassesProgId[] = "Software\\Classes\\TovanoAddressBook.Application";

// The installer the build made, as Wine names a file of the host.
std::string SetupPath() {
    std::string strPath = std::string("Z:") + TBOOK_SETUP_PATH;
    for (char& ch : strPath) {
        if (ch == '/') {
            ch = '\\';
        }
    }
    return strPath;
}

std::string ShellFolder(int nFolder) {
    wchar_t szPath[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, nFolder, nullptr, 0, szPath);
    return FromWide(szPath).GetStdString();
}

std::string InstallDir() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tovano Address Book"; }
std::string StartMenuShortcut() { return ShellFolder(CSIDL_PROGRAMS) + "\\Tovano Address Book.lnk"; }
std::string DesktopShortcut() { return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\Tovano Address Book.lnk"; }

bool KeyExists(HKEY hRoot, const char* pszKey) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, pszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(hKey);
    return true;
}

int InstallSilently() { return RunProgram("/S", 120000, SetupPath().c_str()); }

// Whether the copy the uninstaller runs from (NSIS names it Au_.exe) is still running.
bool UninstallerCopyRuns() {
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool bFound = false;
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore && !bFound; bMore = ::Process32Next(hSnapshot, &entry)) {
        bFound = ::lstrcmpiA(entry.szExeFile, "Au_.exe") == 0;
    }
    ::CloseHandle(hSnapshot);
    return bFound;
}

// The uninstaller runs on from a copy of itself, so the end of its work shows as the folder and
// its uninstall entry going, and the copy ending.
bool UninstallSilently() {
    std::string strUninstaller = InstallDir() + "\\uninstall.exe";
    if (!PathExists(strUninstaller)) {
        return true;
    }
    RunProgram("/S", 120000, strUninstaller.c_str());
    return WaitUntil(
        [] { return !PathExists(InstallDir()) && !KeyExists(HKEY_CURRENT_USER, kUninstallKey) && !UninstallerCopyRuns(); },
        30000);
}

bool RegString(HKEY hRoot, const char* pszKey, const char* pszValue, std::string* pText) {
    wchar_t szText[1024] = L"";
    DWORD dwSize = sizeof szText;
    std::wstring value = ToWide(pszValue);
    if (::RegGetValueW(hRoot, ToWide(pszKey).c_str(), pszValue ? value.c_str() : nullptr, RRF_RT_REG_SZ, nullptr,
                       szText, &dwSize) != ERROR_SUCCESS) {
        return false;
    }
    *pText = FromWide(szText).GetStdString();
    return true;
}

// Whether a value of any type (such as an empty REG_NONE) is there.
bool ValueExists(HKEY hRoot, const std::string& strKey, const char* pszValue) {
    return ::RegGetValueA(hRoot, strKey.c_str(), pszValue, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string ShortcutTarget(const std::string& strShortcut) {
    std::string strTarget;
    IShellLinkA* pLink = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&pLink)))) {
        IPersistFile* pFile = nullptr;
        std::wstring strWide(strShortcut.begin(), strShortcut.end());
        if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pFile))) &&
            SUCCEEDED(pFile->Load(strWide.c_str(), STGM_READ))) {
            char szPath[MAX_PATH] = "";
            if (SUCCEEDED(pLink->GetPath(szPath, MAX_PATH, nullptr, 0))) {
                strTarget = szPath;
            }
        }
        if (pFile) {
            pFile->Release();
        }
        pLink->Release();
    }
    return strTarget;
}

std::string SortedBook() {
    CContactArray contacts;
    for (const char* pszName : {"Zeta", "Adams", "Kent"}) {
        CContact contact;
        contact.lastname = pszName;
        contacts.Add(contact);
    }
    SortContacts(contacts);
    return BuildAddressBookDocument(contacts).GetStdString();
}

class InstallerTest : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        ASSERT_TRUE(UninstallSilently());
        ResetProgramState();
        MakeDataFolder();
    }
    void TearDown() override {
        UninstallSilently();
        ResetProgramState();
        ::CoUninitialize();
    }

    // Starts the installed program with the prepared book and waits for its rows.
    void StartInstalled(CProgram& program, const std::string& strExe) {
        WriteFileText(BookPath(), SortedBook());
        ASSERT_TRUE(program.Start("", strExe.c_str()));
        ASSERT_TRUE(WaitUntil([&] { return program.ListRowCount() == 3; }));
    }
};

} // namespace

TEST_F(InstallerTest, SilentInstallPutsTheProgramItsShortcutAndItsUninstallEntry) {
    ASSERT_EQ(0, InstallSilently());
    for (const char* pszFile : {"tbook.exe", "tbkutil.exe", "readme.txt", "uninstall.exe", "Help\\index.html",
                                "Help\\help.css"}) {
        EXPECT_TRUE(PathExists(InstallDir() + "\\" + pszFile)) << pszFile;
    }
    const std::string strExe = InstallDir() + "\\tbook.exe";
    EXPECT_EQ(strExe, ShortcutTarget(StartMenuShortcut()));
    EXPECT_FALSE(PathExists(DesktopShortcut())); // only when ticked
    std::string strRun;
    EXPECT_FALSE(RegString(HKEY_CURRENT_USER, kRunKey, "Tovano Address Book", &strRun));

    const struct {
        const char* pszName;
        std::string strValue;
    } values[] = {
        {"DisplayName", "Tovano Address Book"},
        {"DisplayVersion", "1.0"},
        {"Publisher", "TovanoSoft"},
        {"DisplayIcon", strExe + ",0"},
        {"InstallLocation", InstallDir()},
        {"UninstallString", "\"" + InstallDir() + "\\uninstall.exe\""},
        {"QuietUninstallString", "\"" + InstallDir() + "\\uninstall.exe\" /S"},
    };
    for (const auto& value : values) {
        std::string strText;
        EXPECT_TRUE(RegString(HKEY_CURRENT_USER, kUninstallKey, value.pszName, &strText)) << value.pszName;
        EXPECT_EQ(value.strValue, strText) << value.pszName;
    }
    for (const char* pszName : {"NoModify", "NoRepair", "EstimatedSize"}) {
        DWORD dwValue = 0;
        DWORD dwSize = sizeof dwValue;
        ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, pszName, RRF_RT_REG_DWORD, nullptr,
                                                &dwValue, &dwSize))
            << pszName;
        EXPECT_NE(0u, dwValue) << pszName;
    }

    // The program the shortcut names runs and lists the book.
    CProgram program;
    StartInstalled(program, ShortcutTarget(StartMenuShortcut()));
    EXPECT_EQ("Adams", program.ListText(0, 0));
    ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(0, program.WaitForExit(10000));
}

TEST_F(InstallerTest, UpgradeWhileTheProgramRunsEndsItAndKeepsTheBook) {
    ASSERT_EQ(0, InstallSilently());
    CProgram program;
    StartInstalled(program, InstallDir() + "\\tbook.exe");
    const std::string strBook = ReadFileText(BookPath());
    ASSERT_EQ(0, InstallSilently());
    EXPECT_EQ(0, program.WaitForExit(5000)) << "the upgrade did not end the running program";
    EXPECT_EQ(strBook, ReadFileText(BookPath()));
    EXPECT_TRUE(PathExists(InstallDir() + "\\tbook.exe"));
}

TEST_F(InstallerTest, SilentUninstallRemovesWhatItPutAndWhatTheProgramRegisteredButNotTheBook) {
    ASSERT_EQ(0, InstallSilently());
    {
        // A normal start registers the automation object; the tray menu's "Launch on Startup"
        // writes the Run value.
        CProgram program;
        StartInstalled(program, InstallDir() + "\\tbook.exe");
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_LAUNCH_ON_STARTUP, 0);
        std::string strRun;
        ASSERT_TRUE(WaitUntil([&] { return RegString(HKEY_CURRENT_USER, kRunKey, "Tovano Address Book", &strRun); }));
        EXPECT_EQ("\"" + InstallDir() + "\\tbook.exe\" -m", strRun);
        ::PostMessageA(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
        ASSERT_EQ(0, program.WaitForExit(10000));
    }
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kClassesProgId) || KeyExists(HKEY_CURRENT_USER, kClassesProgId));
    const std::string strBook = ReadFileText(BookPath());

    ASSERT_TRUE(UninstallSilently());
    EXPECT_FALSE(PathExists(InstallDir()));
    EXPECT_FALSE(PathExists(StartMenuShortcut()));
    std::string strText;
    EXPECT_FALSE(RegString(HKEY_CURRENT_USER, kRunKey, "Tovano Address Book", &strText));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (HKEY hRoot : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        EXPECT_FALSE(KeyExists(hRoot, kClassesProgId));
        EXPECT_FALSE(KeyExists(hRoot, "Software\\Classes\\CLSID\\{6F1C2A40-8B3D-4E52-9A7C-1D2E3F405162}"));
    }
    EXPECT_EQ(strBook, ReadFileText(BookPath()));
}

// Installed below a folder of any name, the program runs and registers itself for the automation
// object and the start at logon under its own path; its uninstaller takes it away again.
TEST_F(InstallerTest, AProgramBelowAFolderOfAnyNameRegistersItsOwnPath) {
    const std::string strDir = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tovano \xC5\x81\xC3\xB3" "d\xC5\xBA \xE9\x99\xB3";
    const std::string strExe = strDir + "\\tbook.exe";
    ASSERT_EQ(0, RunProgram("/S /D=" + strDir, 120000, SetupPath().c_str()));
    ASSERT_TRUE(PathExists(strExe));
    {
        CProgram program;
        StartInstalled(program, strExe);
        ::PostMessageW(program.FindMainWindow(), WM_COMMAND, ID_TRAY_LAUNCH_ON_STARTUP, 0);
        std::string strRun;
        EXPECT_TRUE(WaitUntil([&] { return RegString(HKEY_CURRENT_USER, kRunKey, "Tovano Address Book", &strRun); }));
        EXPECT_EQ("\"" + strExe + "\" -m", strRun);
        ::PostMessageW(program.FindMainWindow(), WM_COMMAND, ID_TRAY_EXIT, 0);
        ASSERT_EQ(0, program.WaitForExit(10000));
    }
    std::string strServer;
    EXPECT_TRUE(RegString(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{6F1C2A40-8B3D-4E52-9A7C-1D2E3F405162}\\LocalServer32",
                          nullptr, &strServer));
    EXPECT_EQ("\"" + strExe + "\"", strServer);
    RunProgram("/S", 120000, (strDir + "\\uninstall.exe").c_str());
    EXPECT_TRUE(WaitUntil([&] { return !PathExists(strDir) && !UninstallerCopyRuns(); }, 30000));
}

// "Open with" offers the installed program for cards and contact lists, and neither the install
// nor the uninstall takes an extension from the program that owns it (.vcf here; .csv has none).
TEST_F(InstallerTest, OpenWithOffersTheProgramAndLeavesAnotherProgramsAssociation) {
    const std::string strApp = "Software\\Classes\\Applications\\tbook.exe";
    const std::string strProgId = "Software\\Classes\\TovanoAddressBook.Contacts";
    const struct {
        const char* pszType;
        const char* pszOther;
    } extensions[] = {{".vcf", "OtherApp.vcf"}, {".csv", nullptr}};
    auto classKey = [](const char* pszType) { return std::string("Software\\Classes\\") + pszType; };
    for (const auto& ext : extensions) {
        const std::string strKey = classKey(ext.pszType);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, strKey.c_str());
        if (ext.pszOther) {
            ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, strKey.c_str(), nullptr, REG_SZ,
                                                       ext.pszOther, ::lstrlenA(ext.pszOther) + 1));
            ASSERT_EQ(ERROR_SUCCESS,
                      ::RegSetKeyValueA(HKEY_CURRENT_USER, (strKey + "\\OpenWithProgids").c_str(),
                                        ext.pszOther, REG_NONE, nullptr, 0));
        }
    }
    auto expectAssociations = [&](bool bInstalled) {
        EXPECT_EQ(bInstalled, KeyExists(HKEY_CURRENT_USER, strApp.c_str()));
        EXPECT_EQ(bInstalled, KeyExists(HKEY_CURRENT_USER, strProgId.c_str()));
        for (const auto& ext : extensions) {
            const std::string strKey = classKey(ext.pszType);
            const std::string strOpenWith = strKey + "\\OpenWithProgids";
            std::string strText;
            EXPECT_EQ(bInstalled, RegString(HKEY_CURRENT_USER, (strApp + "\\SupportedTypes").c_str(),
                                            ext.pszType, &strText))
                << ext.pszType;
            EXPECT_EQ(bInstalled, ValueExists(HKEY_CURRENT_USER, strOpenWith, "TovanoAddressBook.Contacts"))
                << ext.pszType;
            // The default stays the other program's, or nobody's.
            EXPECT_EQ(ext.pszOther != nullptr,
                      RegString(HKEY_CURRENT_USER, strKey.c_str(), nullptr, &strText))
                << ext.pszType;
            if (ext.pszOther) {
                EXPECT_EQ(ext.pszOther, strText);
                EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, strOpenWith, ext.pszOther));
            } else {
                EXPECT_EQ(bInstalled, KeyExists(HKEY_CURRENT_USER, strKey.c_str())) << ext.pszType;
            }
        }
    };

    ASSERT_EQ(0, InstallSilently());
    expectAssociations(true);
    const std::string strExe = InstallDir() + "\\tbook.exe";
    const struct {
        std::string strKey;
        const char* pszValue;
        std::string strText;
    } values[] = {
        {strApp, "FriendlyAppName", "Tovano Address Book"},
        {strApp + "\\shell\\open\\command", nullptr, "\"" + strExe + "\" \"%1\""},
        {strApp + "\\DefaultIcon", nullptr, strExe + ",0"},
        {strProgId, nullptr, "Contacts file"},
        {strProgId + "\\shell\\open\\command", nullptr, "\"" + strExe + "\" \"%1\""},
        {strProgId + "\\DefaultIcon", nullptr, strExe + ",0"},
    };
    for (const auto& value : values) {
        std::string strText;
        EXPECT_TRUE(RegString(HKEY_CURRENT_USER, value.strKey.c_str(), value.pszValue, &strText))
            << value.strKey;
        EXPECT_EQ(value.strText, strText) << value.strKey;
    }

    ASSERT_TRUE(UninstallSilently());
    expectAssociations(false);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, classKey(".vcf").c_str());
}
