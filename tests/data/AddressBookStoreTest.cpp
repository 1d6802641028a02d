#include "data/AddressBookStore.h"
#include "data/AddressBookWriter.h"
#include "support/FailingFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

CContactArray SomeContacts(int n) {
    CContactArray contacts;
    for (int i = 0; i < n; ++i) {
        CContact c;
        c.lastname.Format("Name%d", i);
        c.homeemail.Format("name%d@example.org", i);
        contacts.Add(c);
    }
    return contacts;
}

std::string Document(const CContactArray& contacts) {
    return BuildAddressBookDocument(contacts).GetStdString();
}

// The names of everything in the folder, to show that no stray backup or temporary file is left.
std::set<std::string> FolderContents(const CTempFolder& folder) {
    std::vector<std::string> names = folder.Files();
    return {names.begin(), names.end()};
}

// Files the loader reads only in part, each of them worth keeping.
std::vector<std::string> DamagedBooks() {
    std::string whole = Document(SomeContacts(40));
    std::string strayEndTag = whole;
    strayEndTag.insert(whole.find("\t\t</entry>"), "</x>");
    return {
        whole.substr(0, whole.size() / 2), // cut off
        strayEndTag,                       // swallows the rest of the document
        whole + "<more/>",                 // data after the root
        "no tags at all \x01\xFF\r\n",     // no root in a non-empty file
    };
}

CLoadResult LoadStore(CAddressBookStore& store) {
    CXML root;
    CContactArray contacts;
    return store.Load(root, contacts, nullptr);
}

} // namespace

TEST(AddressBookStoreTest, ACompleteLoadSavesWithoutBackup) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, Document(SomeContacts(3)));
    CAddressBookStore store(strPath.c_str());
    EXPECT_EQ(strPath, store.GetPath().GetStdString());
    EXPECT_EQ(LoadStatus::complete, LoadStore(store).status);
    EXPECT_TRUE(store.IsLoaded());
    EXPECT_FALSE(store.NeedsBackup());

    CContactArray contacts = SomeContacts(2);
    CFileException error;
    ASSERT_TRUE(store.Save(contacts, &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(Document(contacts), ReadBytes(strPath));
    EXPECT_TRUE(store.GetBackupPath().IsEmpty());
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));
}

TEST(AddressBookStoreTest, APartialLoadIsBackedUpOnceBeforeTheFirstSave) {
    std::vector<std::string> books = DamagedBooks();
    for (size_t i = 0; i < books.size(); ++i) {
        SCOPED_TRACE(static_cast<int>(i));
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        WriteBytes(strPath, books[i]);
        CAddressBookStore store(strPath.c_str());
        ASSERT_EQ(LoadStatus::partial, LoadStore(store).status);
        EXPECT_TRUE(store.NeedsBackup());
        EXPECT_TRUE(store.GetBackupPath().IsEmpty());

        CContactArray contacts = SomeContacts(5);
        CFileException error;
        ASSERT_TRUE(store.Save(contacts, &error)) << error.GetErrorMessage().GetString();
        EXPECT_EQ(strPath + ".bak", store.GetBackupPath().GetStdString());
        EXPECT_EQ(books[i], ReadBytes(strPath + ".bak"));
        EXPECT_EQ(Document(contacts), ReadBytes(strPath));
        EXPECT_FALSE(store.NeedsBackup());

        contacts.RemoveAt(0);
        ASSERT_TRUE(store.Save(contacts, &error)) << error.GetErrorMessage().GetString();
        EXPECT_EQ(Document(contacts), ReadBytes(strPath));
        EXPECT_EQ(books[i], ReadBytes(strPath + ".bak"));
        EXPECT_EQ(strPath + ".bak", store.GetBackupPath().GetStdString());
        EXPECT_EQ((std::set<std::string>{"tbk.xml", "tbk.xml.bak"}), FolderContents(folder));
    }
}

TEST(AddressBookStoreTest, AnEarlierBackupIsNeverOverwritten) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    const std::string damaged = DamagedBooks()[0];
    WriteBytes(strPath, damaged);
    WriteBytes(strPath + ".bak", "first backup");
    WriteBytes(strPath + ".2.bak", "second backup");

    CAddressBookStore store(strPath.c_str());
    ASSERT_EQ(LoadStatus::partial, LoadStore(store).status);
    CFileException error;
    ASSERT_TRUE(store.Save(SomeContacts(1), &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(strPath + ".3.bak", store.GetBackupPath().GetStdString());
    EXPECT_EQ(damaged, ReadBytes(strPath + ".3.bak"));
    EXPECT_EQ("first backup", ReadBytes(strPath + ".bak"));
    EXPECT_EQ("second backup", ReadBytes(strPath + ".2.bak"));
    EXPECT_EQ(Document(SomeContacts(1)), ReadBytes(strPath));
}

TEST(AddressBookStoreTest, BackUpFileTakesTheFirstFreeName) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, "book");
    WriteBytes(strPath + ".bak", "one");
    WriteBytes(strPath + ".3.bak", "three");

    const char* const expected[] = {".2.bak", ".4.bak", ".5.bak"};
    for (const char* pszSuffix : expected) {
        CString strBackup;
        CFileException error;
        ASSERT_TRUE(BackUpFile(strPath.c_str(), &strBackup, &error)) << error.GetErrorMessage().GetString();
        EXPECT_EQ(strPath + pszSuffix, strBackup.GetStdString());
        EXPECT_EQ("book", ReadBytes(strBackup.GetStdString()));
    }
    EXPECT_EQ("one", ReadBytes(strPath + ".bak"));
    EXPECT_EQ("three", ReadBytes(strPath + ".3.bak"));
    EXPECT_EQ(CString("x.xml.bak"), BackupFileName("x.xml", 1));
    EXPECT_EQ(CString("x.xml.12.bak"), BackupFileName("x.xml", 12));
}

TEST(AddressBookStoreTest, BackUpFileCopiesAnEmptyFileAndReportsAMissingOne) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, "");
    CString strBackup;
    CFileException error;
    ASSERT_TRUE(BackUpFile(strPath.c_str(), &strBackup, &error)) << error.GetErrorMessage().GetString();
    EXPECT_TRUE(FileExists(strPath + ".bak"));
    EXPECT_EQ("", ReadBytes(strPath + ".bak"));

    std::string strAbsent = folder.Path("absent.xml");
    strBackup.Empty();
    EXPECT_FALSE(BackUpFile(strAbsent.c_str(), &strBackup, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(strAbsent, error.m_strFileName.GetStdString());
    EXPECT_TRUE(strBackup.IsEmpty());
    EXPECT_FALSE(FileExists(strAbsent + ".bak"));
}

// Every step of the copy can fail: the file stays as it was, no part of a backup is left, the
// error names the file that failed, and the next save makes the backup after all.
TEST(AddressBookStoreTest, AFailedBackupKeepsTheFileAndIsRetriedByTheNextSave) {
    struct Case {
        bool bSourceFails; // else the backup's file object fails
        FailStep step;
        int cause;
    };
    const Case cases[] = {
        {true, FailStep::open, CFileException::sharingViolation},
        {true, FailStep::read, CFileException::hardIO},
        {false, FailStep::open, CFileException::sharingViolation},
        {false, FailStep::shortWrite, CFileException::diskFull},
        {false, FailStep::flush, CFileException::hardIO},
        {false, FailStep::close, CFileException::hardIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bSourceFails) + " " + std::to_string(static_cast<int>(c.step)));
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        const std::string damaged = DamagedBooks()[0];
        WriteBytes(strPath, damaged);
        CAddressBookStore store(strPath.c_str());
        ASSERT_EQ(LoadStatus::partial, LoadStore(store).status);

        CFailingFile failing(c.step);
        CFile plain;
        CFile document;
        CFileException error;
        CContactArray contacts = SomeContacts(2);
        bool bSaved = c.bSourceFails ? store.Save(contacts, failing, plain, document, &error)
                                     : store.Save(contacts, plain, failing, document, &error);
        EXPECT_FALSE(bSaved);
        EXPECT_EQ(c.cause, error.m_cause);
        std::string strInvolved = c.bSourceFails ? strPath : strPath + ".bak";
        EXPECT_EQ(strInvolved, error.m_strFileName.GetStdString());
        EXPECT_EQ(damaged, ReadBytes(strPath));
        EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));
        EXPECT_TRUE(store.NeedsBackup());
        EXPECT_TRUE(store.GetBackupPath().IsEmpty());

        ASSERT_TRUE(store.Save(contacts, &error)) << error.GetErrorMessage().GetString();
        EXPECT_EQ(damaged, ReadBytes(strPath + ".bak"));
        EXPECT_EQ(Document(contacts), ReadBytes(strPath));
        EXPECT_EQ((std::set<std::string>{"tbk.xml", "tbk.xml.bak"}), FolderContents(folder));
    }
}

// A folder where the file should be cannot be read: natively it opens and then fails to read,
// on Windows it does not open at all. Either way nothing replaces it.
TEST(AddressBookStoreTest, AnUnreadableFileIsNotReplaced) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    std::filesystem::create_directory(strPath);
    CAddressBookStore store(strPath.c_str());
    ASSERT_EQ(LoadStatus::unreadable, LoadStore(store).status);
    EXPECT_TRUE(store.NeedsBackup());

    CFileException error;
    EXPECT_FALSE(store.Save(SomeContacts(1), &error));
    EXPECT_NE(CFileException::none, error.m_cause);
    EXPECT_NE(CFileException::fileNotFound, error.m_cause);
    EXPECT_NE(-1, error.GetErrorMessage().Find("tbk.xml")) << error.GetErrorMessage().GetString();
    EXPECT_TRUE(std::filesystem::is_directory(strPath));
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));
    EXPECT_TRUE(store.NeedsBackup());

    // Once a readable file is back in its place, the next save keeps a copy of it first.
    std::filesystem::remove(strPath);
    WriteBytes(strPath, "restored by hand");
    ASSERT_TRUE(store.Save(SomeContacts(1), &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ("restored by hand", ReadBytes(strPath + ".bak"));
    EXPECT_EQ(Document(SomeContacts(1)), ReadBytes(strPath));
}

TEST(AddressBookStoreTest, ABackupIsMadeOnceEvenWhenTheSaveAfterItFails) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    const std::string damaged = DamagedBooks()[1];
    WriteBytes(strPath, damaged);
    CAddressBookStore store(strPath.c_str());
    ASSERT_EQ(LoadStatus::partial, LoadStore(store).status);

    CFile source;
    CFile backup;
    CFailingFile document(FailStep::rename);
    CFileException error;
    EXPECT_FALSE(store.Save(SomeContacts(2), source, backup, document, &error));
    EXPECT_EQ(CFileException::sharingViolation, error.m_cause);
    EXPECT_EQ(damaged, ReadBytes(strPath));
    EXPECT_EQ(damaged, ReadBytes(strPath + ".bak"));
    EXPECT_EQ(strPath + ".bak", store.GetBackupPath().GetStdString());
    EXPECT_FALSE(store.NeedsBackup());

    ASSERT_TRUE(store.Save(SomeContacts(2), &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(Document(SomeContacts(2)), ReadBytes(strPath));
    EXPECT_EQ((std::set<std::string>{"tbk.xml", "tbk.xml.bak"}), FolderContents(folder));
}

TEST(AddressBookStoreTest, AFileThatIsGoneNeedsNoBackup) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CAddressBookStore store(strPath.c_str());
    EXPECT_EQ(LoadStatus::missing, LoadStore(store).status);
    EXPECT_FALSE(store.NeedsBackup());
    CFileException error;
    ASSERT_TRUE(store.Save(SomeContacts(1), &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(Document(SomeContacts(1)), ReadBytes(strPath));
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));

    // Read in part, then deleted before the first save: there is nothing left to keep.
    CTempFolder other;
    std::string strOther = other.Path("tbk.xml");
    WriteBytes(strOther, DamagedBooks()[0]);
    CAddressBookStore partial(strOther.c_str());
    ASSERT_EQ(LoadStatus::partial, LoadStore(partial).status);
    std::filesystem::remove(strOther);
    ASSERT_TRUE(partial.Save(SomeContacts(1), &error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ(Document(SomeContacts(1)), ReadBytes(strOther));
    EXPECT_TRUE(partial.GetBackupPath().IsEmpty());
    EXPECT_FALSE(partial.NeedsBackup());
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(other));
}

TEST(AddressBookStoreTest, NothingIsSavedBeforeTheLoad) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    const std::string bytes = Document(SomeContacts(4));
    WriteBytes(strPath, bytes);
    CAddressBookStore store(strPath.c_str());
    EXPECT_FALSE(store.IsLoaded());

    CFileException error;
    EXPECT_FALSE(store.Save(SomeContacts(1), &error));
    EXPECT_NE(CFileException::none, error.m_cause);
    EXPECT_EQ(strPath, error.m_strFileName.GetStdString());
    EXPECT_EQ(bytes, ReadBytes(strPath));
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));

    CTempFolder empty;
    CAddressBookStore absent(empty.Path("tbk.xml").c_str());
    EXPECT_FALSE(absent.Save(SomeContacts(1), nullptr));
    EXPECT_TRUE(FolderContents(empty).empty());
}

TEST(AddressBookStoreTest, TheExitWritesOnlyAnUnsavedChange) {
    struct Case {
        const char* pszName;
        const char* pszBytes; // null: no file
        bool bChange;
        bool bWrite;
    };
    const std::string whole = Document(SomeContacts(2));
    const Case cases[] = {
        {"complete, unchanged", whole.c_str(), false, false},
        {"missing, unchanged", nullptr, false, false},
        {"complete, changed", whole.c_str(), true, true},
        {"damaged, unchanged", "<addressbook><entry>", false, false},
        {"damaged, changed", "<addressbook><entry>", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        if (c.pszBytes) {
            WriteBytes(strPath, c.pszBytes);
        }
        CAddressBookStore store(strPath.c_str());
        EXPECT_FALSE(store.IsWriteOnExitNeeded()); // nothing is known before the load
        LoadStore(store);
        if (c.bChange) {
            store.NoteChange();
        }
        EXPECT_EQ(c.bWrite, store.IsWriteOnExitNeeded());
    }
}

TEST(AddressBookStoreTest, AChangeStaysUnsavedUntilASaveSucceeds) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CAddressBookStore store(strPath.c_str());
    LoadStore(store);
    EXPECT_FALSE(store.HasUnsavedChanges());
    store.NoteChange();
    CFailingFile source(FailStep::none), backup(FailStep::none), failing(FailStep::write);
    CFileException error;
    EXPECT_FALSE(store.Save(SomeContacts(1), source, backup, failing, &error));
    EXPECT_TRUE(store.HasUnsavedChanges());
    ASSERT_TRUE(store.Save(SomeContacts(1), &error));
    EXPECT_FALSE(store.HasUnsavedChanges());
}

TEST(AddressBookStoreTest, AReadOnlyBookIsNeitherBackedUpNorReplaced) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    const std::string damaged = DamagedBooks()[0];
    WriteBytes(strPath, damaged);
    SetReadOnly(strPath, true);
    CAddressBookStore store(strPath.c_str());
    LoadStore(store);
    store.NoteChange();
    CFileException error;
    EXPECT_FALSE(store.Save(SomeContacts(1), &error));
    EXPECT_EQ(CFileException::readOnly, error.m_cause);
    EXPECT_EQ(std::set<std::string>{"tbk.xml"}, FolderContents(folder));
    SetReadOnly(strPath, false);
    EXPECT_EQ(damaged, ReadBytes(strPath));
}

// A save killed in the middle leaves its temporary file; the next load removes it, and nothing
// else: not the files of a save that still runs, not files that only look alike.
TEST(AddressBookStoreTest, ALoadRemovesWhatKilledSavesLeftBehind) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, Document(SomeContacts(2)));
    // No system gives a process this number.
    const unsigned long kEnded = 2147483000;
    auto temporary = [&](unsigned long nProcess) {
        std::string strName = TemporaryFileName(strPath.c_str(), nProcess, 3).GetStdString();
        return strName.substr(strName.find_last_of("/\\") + 1);
    };
    const std::string kept[] = {"tbk.xml", temporary(CurrentProcessId()), "tbk.xml.bak", "other.xml.2147483000-3.tmp",
                                "tbk.xml.2147483000-3.tmp.bak", "tbk.xml.x2147483000-3.tmp", "tbk.xml.-3.tmp"};
    for (const std::string& strName : kept) {
        if (strName != "tbk.xml") {
            WriteBytes(folder.Path(strName), "kept");
        }
    }
    WriteBytes(folder.Path(temporary(kEnded)), "half a book");
    CAddressBookStore store(strPath.c_str());
    EXPECT_EQ(LoadStatus::complete, LoadStore(store).status);
    EXPECT_EQ(std::set<std::string>(std::begin(kept), std::end(kept)), FolderContents(folder));
}
