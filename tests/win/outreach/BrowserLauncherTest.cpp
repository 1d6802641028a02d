// The browser launcher's three ways of opening a page, against the recording browser.
#include "RecordingBrowserTest.h"
#include "ui/about/BrowserLauncher.h"

#include <set>

using BrowserLauncherTest = RecordingBrowserTest;

TEST_F(BrowserLauncherTest, DefaultVerbStartsANewBrowserForEachUrl) {
    SetDefault(std::string(kHttpKey) + "\\shell", "browse");
    SetVerbCommand("browse", "\"" + m_strBrowser + "\" -new-window -url \"%1\"");
    SetVerbCommand("open", "\"C:\\nowhere\\other.exe\" \"%1\"");
    CBrowserLauncher launcher;
    EXPECT_EQ(0, launcher.OpenUrl("http://tovano.example/tbook/index.html"));
    EXPECT_EQ(0, launcher.OpenUrl("http://tovano.example/tbook/tstats.html"));
    std::vector<CLaunch> launches = WaitForLaunches(2);
    ASSERT_EQ(2u, launches.size());
    // The two browsers run side by side and may record in either order.
    std::set<std::string> urls = {launches[0].strArguments, launches[1].strArguments};
    EXPECT_EQ((std::set<std::string>{"http://tovano.example/tbook/index.html",
                                     "http://tovano.example/tbook/tstats.html"}),
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
    // A URL nothing at all opens says so.
    EXPECT_EQ(2, CBrowserLauncher().OpenUrl("tbooknowhere://page/index.html"));
}
