#include "framework/core/File.h"
#include "framework/core/FileIdentity.h"
#include "framework/core/FileLock.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

TEST(FileTest, OpeningAMissingFileReportsItByName) {
    CTempFolder folder;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(folder.Path("absent.xml").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_FALSE(file.IsOpen());
    CString strMessage = error.GetErrorMessage();
    EXPECT_NE(-1, strMessage.Find("absent.xml")) << strMessage.GetString();

    EXPECT_FALSE(
        file.Open(folder.Path("no-folder/x.xml").c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_TRUE(error.m_cause == CFileException::badPath || error.m_cause == CFileException::fileNotFound);
}

TEST(FileTest, WritesReadsAndSeeks) {
    CTempFolder folder;
    std::string strPath = folder.Path("f.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite));
        ASSERT_TRUE(file.Write("hello world", 11));
        EXPECT_EQ(11, file.GetPosition());
        ASSERT_TRUE(file.Flush());
        ASSERT_TRUE(file.Close());
    }
    CFile file;
    ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeRead));
    char buf[32] = {};
    EXPECT_EQ(5u, file.Read(buf, 5));
    EXPECT_EQ(std::string("hello"), std::string(buf, 5));
    EXPECT_EQ(6, file.Seek(6, CFile::begin));
    EXPECT_EQ(5u, file.Read(buf, sizeof buf));
    EXPECT_EQ(std::string("world"), std::string(buf, 5));
    EXPECT_EQ(0u, file.Read(buf, sizeof buf));
    EXPECT_EQ(CFileException::none, file.GetFailure().m_cause);
    EXPECT_EQ(11, file.Seek(0, CFile::end));
}

// Opening again starts afresh: the earlier file is closed, its failure forgotten, and a failed
// open names the new file and leaves none open.
TEST(FileTest, OpeningAgainClosesTheEarlierFileAndForgetsItsFailure) {
    CTempFolder folder;
    WriteBytes(folder.Path("a.txt"), "aaa");
    WriteBytes(folder.Path("b.txt"), "bbb");
    CFile file;
    ASSERT_TRUE(file.Open(folder.Path("a.txt").c_str(), CFile::modeRead));
    EXPECT_EQ(-1, file.Seek(-1, CFile::begin));
    EXPECT_NE(CFileException::none, file.GetFailure().m_cause);
    ASSERT_TRUE(file.Open(folder.Path("b.txt").c_str(), CFile::modeRead));
    EXPECT_EQ(CFileException::none, file.GetFailure().m_cause);
    char buf[8] = {};
    EXPECT_EQ(3u, file.Read(buf, sizeof buf));
    EXPECT_EQ(std::string("bbb"), std::string(buf, 3));
    EXPECT_FALSE(file.Open(folder.Path("absent.txt").c_str(), CFile::modeRead));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(CFileException::fileNotFound, file.GetFailure().m_cause);
    EXPECT_STREQ(folder.Path("absent.txt").c_str(), file.GetFilePath().GetString());
}

TEST(FileTest, CreateTruncatesAnExistingFile) {
    CTempFolder folder;
    std::string strPath = folder.Path("f.txt");
    WriteBytes(strPath, "a long old content");
    CFile file;
    ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite));
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ("new", ReadBytes(strPath));
}

TEST(FileTest, CreateNewMakesAFileButNeverOpensAnExistingOne) {
    CTempFolder folder;
    std::string strPath = folder.Path("f.bak");
    {
        CFile file;
        CFileException error;
        ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreateNew | CFile::modeWrite, &error))
            << error.GetErrorMessage().GetString();
        ASSERT_TRUE(file.Write("first", 5));
        ASSERT_TRUE(file.Close());
    }
    EXPECT_EQ("first", ReadBytes(strPath));

    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(strPath.c_str(), CFile::modeCreateNew | CFile::modeWrite, &error));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(CFileException::alreadyExists, error.m_cause);
    EXPECT_EQ(strPath, error.m_strFileName.GetStdString());
    EXPECT_NE(-1, error.GetErrorMessage().Find("f.bak")) << error.GetErrorMessage().GetString();
    EXPECT_EQ("first", ReadBytes(strPath));

    // Read-write access refuses the existing file just the same.
    EXPECT_FALSE(file.Open(strPath.c_str(), CFile::modeCreateNew | CFile::modeReadWrite, &error));
    EXPECT_EQ(CFileException::alreadyExists, error.m_cause);
    EXPECT_EQ("first", ReadBytes(strPath));
}

TEST(FileTest, RenameReplacesTheTargetAndRemoveDeletes) {
    CTempFolder folder;
    std::string strFrom = folder.Path("new.tmp");
    std::string strTo = folder.Path("book.xml");
    WriteBytes(strFrom, "new");
    WriteBytes(strTo, "old");
    CFile file;
    ASSERT_TRUE(file.Rename(strFrom.c_str(), strTo.c_str()));
    EXPECT_EQ("new", ReadBytes(strTo));
    EXPECT_FALSE(FileExists(strFrom));

    CFileException error;
    EXPECT_FALSE(file.Rename(strFrom.c_str(), strTo.c_str(), &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);

    EXPECT_TRUE(file.Remove(strTo.c_str()));
    EXPECT_FALSE(FileExists(strTo));
    EXPECT_FALSE(file.Remove(strTo.c_str(), &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
}

// On Windows a file that another program holds open cannot be replaced; the rename waits a
// moment for the holder to let go.
TEST(FileTest, RenameWaitsForABriefHoldOnTheTarget) {
    CTempFolder folder;
    std::string strFrom = folder.Path("new.tmp");
    std::string strTo = folder.Path("book.xml");
    WriteBytes(strFrom, "new");
    WriteBytes(strTo, "old");
    CFile holder;
    ASSERT_TRUE(holder.Open(strTo.c_str(), CFile::modeRead | CFile::shareDenyNone));
    std::thread release([&holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(holder.Close());
    });
    CFile file;
    CFileException error;
    bool bRenamed = file.Rename(strFrom.c_str(), strTo.c_str(), &error);
    release.join();
    EXPECT_TRUE(bRenamed) << error.GetErrorMessage().GetString();
    EXPECT_EQ("new", ReadBytes(strTo));
}

TEST(FileTest, EveryCauseHasItsOwnMessage) {
    CString strPrevious;
    for (int cause = CFileException::none; cause <= CFileException::alreadyExists; ++cause) {
        CString strMessage = CFileException(cause, 0, "C:\\data\\tbk.xml").GetErrorMessage();
        EXPECT_NE(-1, strMessage.Find("C:\\data\\tbk.xml")) << cause;
        EXPECT_NE(strPrevious, strMessage) << cause;
        strPrevious = strMessage;
    }
    EXPECT_NE(-1, CFileException(CFileException::accessDenied).GetErrorMessage().Find("nnamed"));
    // A name is shown as it is spelled, even where it starts the sentence.
    EXPECT_STREQ("pw.txt was not found.",
                 CFileException(CFileException::fileNotFound, 0, "pw.txt").GetErrorMessage().GetString());
    EXPECT_STREQ("An unnamed file was not found.",
                 CFileException(CFileException::fileNotFound).GetErrorMessage().GetString());
}

// One writer at a time: a second one waits, then gives up naming the file; the lock file goes
// with the last holder.
TEST(FileLockTest, ASecondWriterWaitsForTheFirstThenGivesUp) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CFileLock first;
    ASSERT_TRUE(first.Acquire(strPath.c_str(), 0, nullptr));
    CFileLock second;
    CFileException error;
    EXPECT_FALSE(second.Acquire(strPath.c_str(), 300, &error));
    EXPECT_EQ(CFileException::changingElsewhere, error.m_cause);
    EXPECT_EQ(strPath, error.m_strFileName.GetStdString());
    first.Release();
    EXPECT_TRUE(second.Acquire(strPath.c_str(), 0, &error));
    second.Release();
    EXPECT_TRUE(folder.Files().empty());
}

// One file by different names: "." and ".." in the folder, the other separator, a folder reached
// through a link where the system can make one; a file not there yet by its folder and name.
// Files of other names or folders are other files.
TEST(FileTest, IsSameFileTellsFilesByWhatTheyAreNotHowTheyAreSpelled) {
    CTempFolder folder;
    std::filesystem::create_directory(folder.Path("sub"));
    std::string strFile = folder.Path("sub/book.xml");
    WriteBytes(strFile, "book");
    WriteBytes(folder.Path("sub/other.xml"), "book");
    std::string strLinked = folder.Path("linked");
    std::error_code error;
    std::filesystem::create_directory_symlink(folder.Path("sub"), strLinked, error);
    std::string strSlashed = strFile;
    std::replace(strSlashed.begin(), strSlashed.end(), '\\', '/');
    const struct {
        std::string strA, strB;
        bool bSame;
    } cases[] = {
        {strFile, strFile, true},
        {strFile, folder.Path("sub/./../sub/book.xml"), true},
        {strFile, strSlashed, true},
        {folder.Path("sub/new.xml"), folder.Path("sub/../sub/new.xml"), true},
        {strFile, folder.Path("sub/other.xml"), false},
        {folder.Path("sub/new.xml"), folder.Path("new.xml"), false},
        {strFile, folder.Path("book.xml"), false},
        {folder.Path("gone/new.xml"), folder.Path("gone/new.xml"), true}, // told only by the text
        {folder.Path("gone/new.xml"), folder.Path("gone/../gone/new.xml"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.bSame, IsSameFile(c.strA.c_str(), c.strB.c_str())) << c.strA << " " << c.strB;
    }
    if (!error) {
        EXPECT_TRUE(IsSameFile(strFile.c_str(), (strLinked + "/book.xml").c_str()));
        EXPECT_TRUE(IsSameFile(folder.Path("sub/new.xml").c_str(), (strLinked + "/new.xml").c_str()));
    }
}
