#include "ui/shell/Paths.h"
#include "ui/main/LoadReport.h"
#include "ui/main/SettingsLogic.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SettingsLogicTest, RectangleIsStoredOnlyWithoutNegativeSides) {
    EXPECT_TRUE(ShouldStoreWindowRect({0, 0, 620, 240}));
    EXPECT_FALSE(ShouldStoreWindowRect({-5000, -5000, -4500, -4500}));
    EXPECT_FALSE(ShouldStoreWindowRect({-8, 10, 600, 400})); // a maximised window's frame
    EXPECT_FALSE(ShouldStoreWindowRect({10, 10, 600, -1}));
}

TEST(SettingsLogicTest, StoredWidthsOutsideTheSaneRangeReadAsTheDefault) {
    const int cases[][2] = {{1, 1}, {150, 150}, {2000, 2000}, {0, 100}, {-20, 100}, {2001, 100}, {6513249, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(c[1], SaneColumnWidth(c[0])) << c[0];
    }
}

TEST(SettingsLogicTest, AStoredRectangleIsKeptWholeOnItsMonitor) {
    const CRectI work = {0, 0, 1024, 700};
    const CRectI fallback = {10, 10, 630, 250};
    struct Case {
        const char* pszName;
        CRectI stored;
        CRectI expected;
    };
    const Case cases[] = {
        {"inside", {50, 60, 850, 560}, {50, 60, 850, 560}},
        {"partly right and below", {900, 600, 1400, 900}, {524, 400, 1024, 700}},
        {"partly left and above", {-100, -50, 400, 350}, {0, 0, 500, 400}},
        {"larger than the work area", {-10, -10, 2000, 1500}, {0, 0, 1024, 700}},
        {"off every monitor", {32767, 32767, 33367, 33167}, fallback},
        {"no size", {100, 100, 100, 400}, fallback},
        {"left beyond right", {800, 100, 200, 400}, fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CRectI placed = FitWindowRect(c.stored, fallback, &work);
        EXPECT_EQ((std::vector<int>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}),
                  (std::vector<int>{placed.left, placed.top, placed.right, placed.bottom}));
    }
    CRectI noMonitor = FitWindowRect({50, 60, 850, 560}, fallback, nullptr);
    EXPECT_EQ(fallback.left, noMonitor.left);
}

TEST(SettingsLogicTest, RunValueStartsTheProgramHidden) {
    EXPECT_EQ("\"C:\\Program Files\\Book\\tbook.exe\" -m", MakeRunValue("C:\\Program Files\\Book\\tbook.exe"));
    EXPECT_FALSE(IsRegisteredToRun("NULL"));
    EXPECT_TRUE(IsRegisteredToRun(""));
    EXPECT_TRUE(IsRegisteredToRun("null"));
}

TEST(PathsTest, FoldersComeFromTheSystemsAnswers) {
    EXPECT_EQ("C:\\Programs\\Book", ProgramFolderFromHelpPath("C:\\Programs\\Book\\TBOOK.HLP"));
    EXPECT_EQ("C:\\Users\\ann\\AppData\\Local\\TovanoSoft\\Tovano Address Book",
              DataFolderBelow("C:\\Users\\ann\\AppData\\Local"));
    EXPECT_EQ("C:\\Users\\ann\\AppData\\Local\\TovanoSoft",
              ParentFolderOf(DataFolderBelow("C:\\Users\\ann\\AppData\\Local")));
    // Without a shell folder the data lands at the root of the current drive.
    EXPECT_EQ("\\TovanoSoft\\Tovano Address Book", DataFolderBelow(""));
    EXPECT_EQ("C:\\WINDOWS\\Application Data\\TovanoSoft\\Tovano Address Book", LegacyDataFolderBelow("C:\\WINDOWS"));
    EXPECT_EQ("file:///D:/Programs/My Book/Help/index.html", HelpPageUrl("D:\\Programs\\My Book\\"));
}

TEST(LoadReportTest, TellsWhatWentWrongAndThatTheFileIsKept) {
    CLoadResult damaged;
    damaged.status = LoadStatus::partial;
    damaged.nWarnings = 4;
    CString strText = DescribeIncompleteLoad("C:\\data\\tbk.xml", damaged);
    EXPECT_NE(-1, strText.Find("C:\\data\\tbk.xml"));
    EXPECT_NE(-1, strText.Find("3 more warnings"));
    EXPECT_NE(-1, strText.Find("kept"));

    CLoadResult cut;
    cut.status = LoadStatus::partial;
    EXPECT_EQ(-1, DescribeIncompleteLoad("x", cut).Find("more warnings"));

    CLoadResult locked;
    locked.status = LoadStatus::unreadable;
    locked.failure = CFileException(CFileException::sharingViolation, 32, "C:\\data\\tbk.xml");
    EXPECT_NE(-1, DescribeIncompleteLoad("C:\\data\\tbk.xml", locked).Find(locked.failure.GetErrorMessage()));
}
