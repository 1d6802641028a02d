// Opening pages with the recording browser (built beside this program) registered as the HTTP
// class's command in the test's own prefix. Under Wine the classes live in
// HKLM\Software\Classes: HKCU\Software\Classes does not reach HKEY_CLASSES_ROOT.
#include "ui/about/BrowserLauncher.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

const char kHttpKey[] = "Software\\Classes\\HTTP";
const char kTestSchemeKey[] = "Software\\Classes\\tbooktest";

std::string ProgramFolder() {
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.rfind('\\') + 1);
}

void SetDefault(const std::string& strPath, const std::string& strValue) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                     static_cast<DWORD>(strValue.size() + 1));
    ::RegCloseKey(hKey);
}

struct CLaunch {
    std::string strProcess;
    std::string strArguments;
};

class BrowserLauncherTest : public testing::Test {
protected:
    void SetUp() override {
        char szTemp[MAX_PATH] = "";
        ::GetTempPathA(sizeof szTemp, szTemp);
        m_strLog = std::string(szTemp) + "tbook-browser.log";
        ::DeleteFileA(m_strLog.c_str());
        ::SetEnvironmentVariableA("TBOOK_BROWSER_LOG", m_strLog.c_str());
        m_strBrowser = ProgramFolder() + "recording_browser.exe";
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
        // A scheme of its own shows when the shell's own opening of a URL is reached.
        SetDefault(kTestSchemeKey, "URL:tbooktest");
        HKEY hKey = nullptr;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTestSchemeKey, 0, KEY_SET_VALUE, &hKey);
        ::RegSetValueExA(hKey, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
        ::RegCloseKey(hKey);
        SetDefault(std::string(kTestSchemeKey) + "\\shell\\open\\command",
                   "\"" + m_strBrowser + "\" shell %1");
    }
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestSchemeKey);
        ::SetEnvironmentVariableA("TBOOK_BROWSER_LOG", nullptr);
    }

    void SetVerbCommand(const char* pszVerb, const std::string& strCommand) {
        SetDefault(std::string(kHttpKey) + "\\shell\\" + pszVerb + "\\command", strCommand);
    }

    // The launches recorded so far, once there are nCount of them (the browser starts on its own).
    std::vector<CLaunch> WaitForLaunches(size_t nCount) {
        std::vector<CLaunch> launches;
        for (int nTry = 0; nTry < 100; ++nTry) {
            launches.clear();
            std::ifstream log(m_strLog);
            for (std::string strLine; std::getline(log, strLine);) {
                size_t nBlank = strLine.find(' ');
                launches.push_back({strLine.substr(0, nBlank), strLine.substr(nBlank + 1)});
            }
            if (launches.size() >= nCount) {
                break;
            }
            ::Sleep(50);
        }
        // A moment more, so that a launch too many would show.
        ::Sleep(200);
        return launches;
    }

    std::string m_strLog;
    std::string m_strBrowser;
};

} // namespace

TEST_F(BrowserLauncherTest, DefaultVerbStartsANewBrowserForEachUrl) {
    SetDefault(std::string(kHttpKey) + "\\shell", "browse");
    SetVerbCommand("browse", "\"" + m_strBrowser + "\" -new-window -url \"%1\"");
    SetVerbCommand("open", "\"C:\\nowhere\\other.exe\" \"%1\"");
    CBrowserLauncher launcher;
    EXPECT_EQ(0, launcher.OpenUrl("http://www.tovanosoft.example/tbook/index.html"));
    EXPECT_EQ(0, launcher.OpenUrl("http://www.tovanosoft.example/tbook/tstats.html"));
    std::vector<CLaunch> launches = WaitForLaunches(2);
    ASSERT_EQ(2u, launches.size());
    // The two browsers run side by side and may record in either order.
    std::set<std::string> urls = {launches[0].strArguments, launches[1].strArguments};
    EXPECT_EQ((std::set<std::string>{"http://www.tovanosoft.example/tbook/index.html",
                                     "http://www.tovanosoft.example/tbook/tstats.html"}),
              urls);
    EXPECT_NE(launches[0].strProcess, launches[1].strProcess);
}

TEST_F(BrowserLauncherTest, OpenCommandServesWhenTheDefaultVerbDoesNot) {
    struct {
        const char* pszCase;
        const char* pszDefaultVerb; // null: no default verb
    } const cases[] = {{"no default verb", nullptr}, {"default verb's program missing", "browse"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.pszCase);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
        ::DeleteFileA(m_strLog.c_str());
        if (test.pszDefaultVerb) {
            SetDefault(std::string(kHttpKey) + "\\shell", test.pszDefaultVerb);
            SetVerbCommand(test.pszDefaultVerb, "\"C:\\nowhere\\gone.exe\" %1");
        }
        // Unquoted, after leading blanks: the program is what ends in ".exe".
        SetVerbCommand("open", "  " + m_strBrowser + " -nohome %1");
        CBrowserLauncher launcher;
        // A local page under a folder with blanks reaches the browser as one argument.
        EXPECT_EQ(0, launcher.OpenUrl("file:///C:/Program Files/Tovano/Help/index.html"));
        std::vector<CLaunch> launches = WaitForLaunches(1);
        ASSERT_EQ(1u, launches.size());
        EXPECT_EQ("\"file:///C:/Program Files/Tovano/Help/index.html\"", launches[0].strArguments);
    }
}

TEST_F(BrowserLauncherTest, WithoutAUsableBrowserTheShellOpensTheUrl) {
    struct {
        const char* pszCase;
        bool bHttpClass;
    } const cases[] = {{"no HTTP class", false}, {"no program of either command starts", true}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.pszCase);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
        ::DeleteFileA(m_strLog.c_str());
        if (test.bHttpClass) {
            SetDefault(std::string(kHttpKey) + "\\shell", "browse");
            SetVerbCommand("browse", "\"C:\\nowhere\\gone.exe\" %1");
            // No ".exe" at all: used as it stands, and it names nothing.
            SetVerbCommand("open", "C:\\nowhere\\browser -url %1");
        }
        CBrowserLauncher launcher;
        EXPECT_NE(0, launcher.OpenUrl("tbooktest://page/index.html"));
        std::vector<CLaunch> launches = WaitForLaunches(1);
        ASSERT_EQ(1u, launches.size());
        EXPECT_EQ("shell tbooktest://page/index.html", launches[0].strArguments);
    }
}
