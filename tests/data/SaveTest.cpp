#include "data/AddressBookWriter.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

enum class Step { none, open, write, shortWrite, flush, close, rename };

// A real file that fails one chosen step of a save, as a full disk or a locked file would.
class CFailingFile : public CFile {
public:
    explicit CFailingFile(Step failAt) : m_failAt(failAt) {}

    bool Open(const char* pszFileName, unsigned nFlags, CFileException* pError) override {
        if (m_failAt == Step::open) {
            return Refuse(CFileException::accessDenied, pError);
        }
        return CFile::Open(pszFileName, nFlags, pError);
    }
    bool Write(const void* pBuf, unsigned nCount, CFileException* pError) override {
        if (m_failAt == Step::write) {
            return Refuse(CFileException::diskFull, pError);
        }
        if (m_failAt == Step::shortWrite) {
            CFile::Write(pBuf, nCount / 2, nullptr);
            return Refuse(CFileException::diskFull, pError);
        }
        return CFile::Write(pBuf, nCount, pError);
    }
    bool Flush(CFileException* pError) override {
        return m_failAt == Step::flush ? Refuse(CFileException::hardIO, pError) : CFile::Flush(pError);
    }
    bool Close(CFileException* pError) override {
        if (m_failAt == Step::close && IsOpen()) {
            CFile::Close(nullptr);
            return Refuse(CFileException::hardIO, pError);
        }
        return CFile::Close(pError);
    }
    bool Rename(const char* pszFrom, const char* pszTo, CFileException* pError) override {
        if (m_failAt == Step::rename) {
            return Refuse(CFileException::sharingViolation, pError);
        }
        return CFile::Rename(pszFrom, pszTo, pError);
    }

private:
    bool Refuse(int cause, CFileException* pError) {
        if (pError) {
            *pError = CFileException(cause, 0, GetFilePath());
        }
        return false;
    }
    Step m_failAt;
};

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
    EXPECT_FALSE(FileExists(strPath + ".tmp"));
}

TEST(SaveTest, AFailureAtAnyStepKeepsThePreviousFile) {
    const Step steps[] = {Step::open, Step::write, Step::shortWrite, Step::flush, Step::close, Step::rename};
    const int causes[] = {CFileException::accessDenied, CFileException::diskFull, CFileException::diskFull,
                          CFileException::hardIO,       CFileException::hardIO,   CFileException::sharingViolation};
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        SCOPED_TRACE(static_cast<int>(i));
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        const std::string previous = "previous bytes \r\n\x01\xFF";
        WriteBytes(strPath, previous);

        CFailingFile file(steps[i]);
        CFileException error;
        EXPECT_FALSE(SaveAddressBook(SomeContacts(500), strPath.c_str(), file, &error));
        EXPECT_EQ(causes[i], error.m_cause);
        EXPECT_EQ(strPath, error.m_strFileName.GetStdString());
        EXPECT_EQ(previous, ReadBytes(strPath));
        EXPECT_FALSE(FileExists(strPath + ".tmp"));
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
