#include "ui/about/BrowserCommand.h"
#include "ui/about/BuildText.h"
#include "ui/about/RecommendationText.h"

#include <gtest/gtest.h>

TEST(BrowserCommandTest, ProgramIsExtractedFromRegisteredCommandLines) {
    struct {
        const char* pszCommand;
        const char* pszProgram;
    } const cases[] = {
        {"\"C:\\Program Files\\Web Browser\\browser.exe\" -osint -url \"%1\"",
         "c:\\program files\\web browser\\browser.exe"},
        {"\"C:\\PROGRA~1\\Browser\\BROWSE.EXE\" -nohome", "c:\\progra~1\\browser\\browse.exe"},
        {"C:\\Program Files\\Web Browser\\browser.exe -url %1",
         "c:\\program files\\web browser\\browser.exe"},
        {"C:\\Program Files\\Web Browser\\browser.exe \"%1\"", "c:\\program files\\web browser\\browser.exe"},
        {"   \t\"C:\\Apps\\view.exe\" %1", "c:\\apps\\view.exe"},
        {"\"\"C:\\Apps\\view.exe\"\" \"%1\"", "c:\\apps\\view.exe"},
        {"\" C:\\Apps\\view.exe\"", "c:\\apps\\view.exe"},
        // Without ".exe" the rest stays, switches and all.
        {"\"C:\\Apps\\browser\" -url %1", "c:\\apps\\browser"},
        {"C:\\Apps\\browser -url %1", "c:\\apps\\browser -url %1"},
        {"\"C:\\Apps\\unfinished quote", "c:\\apps\\unfinished quote"},
        // Only the first ".exe" counts, wherever it is.
        {"C:\\Tools\\run.exe.bak\\browser.exe %1", "c:\\tools\\run.exe"},
        {"rundll32.exe url.dll,FileProtocolHandler %1", "rundll32.exe"},
        {"", ""},
        {"   ", ""},
        {"\"\"", ""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.pszProgram, ExtractBrowserProgram(test.pszCommand)) << test.pszCommand;
    }
}

TEST(BrowserCommandTest, UrlIsOneArgumentOfTheBrowser) {
    EXPECT_EQ("http://tovano.example/tbook/index.html",
              MakeBrowserParameters("http://tovano.example/tbook/index.html"));
    EXPECT_EQ("\"file:///C:/Program Files/Book/Help/index.html\"",
              MakeBrowserParameters("file:///C:/Program Files/Book/Help/index.html"));
    EXPECT_EQ("\"file:///C:/Tab\tFolder/index.html\"",
              MakeBrowserParameters("file:///C:/Tab\tFolder/index.html"));
}

TEST(RecommendationTextTest, MailReadsAsWritten) {
    EXPECT_EQ("Tovano Address Book", RecommendationSubject());
    EXPECT_EQ("Hi!\r\n\r\n"
              "Just found this cool free software  Tovano Address Book by TovanoSoft.\r\n"
              "Might be interesting for you, too. Here is the link:\r\n"
              "http://tovano.example/tbook/index.html\r\n\r\n",
              RecommendationBody());
}

TEST(BuildTextTest, DigitsOfTheVersionThenYearMonthAndDay) {
    const struct {
        const char* pszVersion;
        const char* pszDate;
        const char* pszNumber;
    } cases[] = {
        {"1.0", "Oct 22 2004", "10041022"},
        {"1.0", "Feb  5 2011", "10110205"}, // a one-digit day has a blank before it
        {"2.1.3", "Dec 31 1999", "213991231"},
        {"1.0", "Okt 22 2004", "1004Okt22"}, // no month of that name
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pszNumber, BuildNumber(c.pszVersion, c.pszDate)) << c.pszDate;
    }
    EXPECT_EQ("1.0 (build 10041022)", BuildText("1.0", kBuildDate));
}
