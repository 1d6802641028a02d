#include "data/AddressBookWriter.h"
#include "support/FailingFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

CContactArray SomeContacts(int n) {
    CContactArray contacts;
    for (int i = 0; i < n; ++i) {
        CContact c;
        c.lastname.Format("Name%d", i);
        c.note = "line\\r\\nline";
        contacts.Add(c);
    }
    return contacts;
}

} // namespace

TEST(SaveTest, SaveCreatesAndReplacesTheFile) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CContactArray contacts = SomeContacts(3);
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), nullptr));
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadBytes(strPath));

    contacts.RemoveAt(1);
    CFileException error;
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), &error));
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadBytes(strPath));

    // A large book is written in pieces, which join into the same document.
    contacts = SomeContacts(6000);
    contacts[2999].note = CString('n', 3 << 20); // one contact longer than a piece
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), &error));
    std::string strDocument = BuildAddressBookDocument(contacts).GetStdString();
    ASSERT_GT(strDocument.size(), 5u << 20);
    EXPECT_TRUE(strDocument == ReadBytes(strPath));
    EXPECT_EQ(std::vector<std::string>{"tbk.xml"}, folder.Files());
}

TEST(SaveTest, AFailureAtAnyStepKeepsThePreviousFile) {
    const FailStep steps[] = {FailStep::open,  FailStep::write, FailStep::shortWrite, FailStep::laterWrite,
                              FailStep::flush, FailStep::close, FailStep::rename};
    const int causes[] = {CFileException::sharingViolation, CFileException::diskFull, CFileException::diskFull,
                          CFileException::diskFull,         CFileException::hardIO,   CFileException::hardIO,
                          CFileException::sharingViolation};
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        SCOPED_TRACE(static_cast<int>(i));
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        const std::string previous = "previous bytes \r\n\x01\xFF";
        WriteBytes(strPath, previous);

        CFailingFile file(steps[i]);
        CFileException error;
        // Large enough to be written in several pieces.
        EXPECT_FALSE(SaveAddressBook(SomeContacts(6000), strPath.c_str(), file, &error));
        EXPECT_EQ(causes[i], error.m_cause);
        EXPECT_EQ(strPath, error.m_strFileName.GetStdString());
        EXPECT_EQ(previous, ReadBytes(strPath));
        EXPECT_EQ(std::vector<std::string>{"tbk.xml"}, folder.Files()); // no temporary file left
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST(SaveTest, AMissingFolderIsReportedNotThrown) {
    CTempFolder folder;
    std::string strPath = folder.Path("gone/tbk.xml");
    CFileException error;
    EXPECT_FALSE(SaveAddressBook(SomeContacts(1), strPath.c_str(), &error));
    EXPECT_NE(CFileException::none, error.m_cause);
    EXPECT_NE(-1, error.GetErrorMessage().Find(strPath.c_str()));
    EXPECT_EQ(-1, error.GetErrorMessage().Find(".tmp"));
}

TEST(SaveTest, EverySaveWritesItsOwnTemporaryFileAndLeavesOthersAlone) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    // Left by a save that was killed.
    const std::string strStale = TemporaryFileName(strPath.c_str(), 999999, 1).GetStdString();
    WriteBytes(strStale, "half a book");
    CContactArray contacts = SomeContacts(2);
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), nullptr));
    // A name another save claimed first is passed over, not written into.
    CFailingFile taken(FailStep::nameTaken);
    CFileException error;
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), taken, &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(BuildAddressBookDocument(contacts).GetStdString(), ReadBytes(strPath));
    EXPECT_EQ("half a book", ReadBytes(strStale));
    EXPECT_EQ((std::vector<std::string>{"tbk.xml", strStale.substr(strStale.find_last_of("/\\") + 1)}), folder.Files());
}

TEST(SaveTest, AReadOnlyBookIsNotReplacedAndTheMessageSaysHowToAllowChanges) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, "protected");
    SetReadOnly(strPath, true);
    CFileException error;
    EXPECT_FALSE(SaveAddressBook(SomeContacts(1), strPath.c_str(), &error));
    EXPECT_EQ(CFileException::readOnly, error.m_cause);
    EXPECT_NE(-1, error.GetErrorMessage().Find(strPath.c_str()));
    EXPECT_NE(-1, error.GetErrorMessage().Find("read-only attribute"));
    SetReadOnly(strPath, false);
    EXPECT_EQ("protected", ReadBytes(strPath));
    EXPECT_TRUE(SaveAddressBook(SomeContacts(1), strPath.c_str(), nullptr));
}
