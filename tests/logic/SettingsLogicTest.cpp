#include "app/Paths.h"
#include "ui/main/LoadReport.h"
#include "ui/main/SettingsLogic.h"

#include <gtest/gtest.h>

TEST(SettingsLogicTest, RectangleIsStoredOnlyWithoutNegativeSides) {
    EXPECT_TRUE(ShouldStoreWindowRect({0, 0, 620, 240}));
    EXPECT_FALSE(ShouldStoreWindowRect({-5000, -5000, -4500, -4500}));
    EXPECT_FALSE(ShouldStoreWindowRect({-8, 10, 600, 400})); // a maximised window's frame
    EXPECT_FALSE(ShouldStoreWindowRect({10, 10, 600, -1}));
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
