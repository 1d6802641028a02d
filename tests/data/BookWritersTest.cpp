// Two writers of one book, as the program and tbkutil are: each can tell whether the file is
// still the one it last read or wrote. And the book's side of synchronisation: an outcome applied
// without an undo step, taking away the undo steps it overlaps.
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "framework/core/FileLock.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

CContact Named(const std::string& strLast, const std::string& strMobile = "") {
    CContact contact;
    contact.lastname = strLast.c_str();
    contact.mobile = (strMobile.empty() ? "555 " + strLast : strMobile).c_str();
    return contact;
}

Names SortedNames(const CContactArray& contacts) {
    Names names;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        names.push_back(contacts[i].lastname.GetStdString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int IndexOf(const CContactBook& book, const std::string& strLast) {
    for (int i = 0; i < book.Contacts().GetSize(); ++i) {
        if (book.Contacts()[i].lastname.GetStdString() == strLast) {
            return i;
        }
    }
    return -1;
}

} // namespace

// Another program's file in place of the one read: of another size, of the same size with other
// bytes and the time put back (only the bytes tell), or the very same bytes as a new file. Each is
// not the file last seen; this book's own save is, and the lock it held is let go by Unlock.
TEST(BookWritersTest, TheFileIsAsLastSeenUntilAnotherProgramChangesIt) {
    CContactArray start;
    for (const char* pszName : {"Adams", "Baker", "Clark"}) {
        start.Add(Named(pszName));
    }
    const std::string strStart = BuildAddressBookDocument(start).GetStdString();
    std::string strSameSize = strStart;
    strSameSize.replace(strSameSize.find("Baker"), 5, "Bakes");
    const struct {
        const char* pszName;
        std::string strOther;
        bool bInPlace; // rewritten where it is, its time put back; else a new file moved over it
    } cases[] = {
        {"other size", strStart + "\r\n", false},
        {"same size, other bytes", strSameSize, true},
        {"same bytes, new file", strStart, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        WriteBytes(strPath, strStart);
        CContactBook book(strPath.c_str());
        book.LoadAddressBook();
        EXPECT_TRUE(book.IsFileAsLastSeen(nullptr));
        if (c.bInPlace) {
            auto time = std::filesystem::last_write_time(strPath);
            WriteBytes(strPath, c.strOther);
            std::filesystem::last_write_time(strPath, time);
        } else {
            WriteBytes(folder.Path("other.xml"), c.strOther);
            std::filesystem::rename(folder.Path("other.xml"), strPath);
        }
        CFileException error;
        EXPECT_FALSE(book.IsFileAsLastSeen(&error));
        EXPECT_EQ(CFileException::none, error.m_cause);

        ASSERT_TRUE(book.Lock(&error));
        CFileLock other;
        EXPECT_FALSE(other.Acquire(strPath.c_str(), 0, nullptr));
        ASSERT_TRUE(book.Commit(book.AddContact(Named("New")), &error)) << error.GetErrorMessage().GetString();
        EXPECT_TRUE(book.IsFileAsLastSeen(nullptr));
        book.Unlock();
        EXPECT_TRUE(other.Acquire(strPath.c_str(), 0, nullptr));
    }
    // No file is a file as seen until one appears.
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CContactBook book(strPath.c_str());
    book.LoadAddressBook();
    EXPECT_TRUE(book.IsFileAsLastSeen(nullptr));
    WriteBytes(strPath, strStart);
    EXPECT_FALSE(book.IsFileAsLastSeen(nullptr));
}

// The outcome of a sync is no undo step of the user's; each undo step it overlaps goes, the others
// stay and still take back their change by value afterwards.
TEST(BookWritersTest, ASynchronisationDropsTheUndoStepsItOverlapsAndKeepsTheOthers) {
    // The user's three changes, the latest last: Dunn added, Baker edited into Baker2, Clark
    // deleted.
    CContactArray start;
    start.Add(Named("Adams", "030 1000001"));
    start.Add(Named("Baker", "030 1000002"));
    start.Add(Named("Clark", "030 1000003"));
    const CContact clark = start[2];
    CContact clarkChanged = clark;
    clarkChanged.note = "changed on the server";
    const CContact clarkElsewhere = Named("Clark", "040 2000003");
    const struct {
        const char* pszName;
        Names removed;
        std::vector<CContact> added;
        size_t nDropped;
        Names afterSync, afterUndoingTheRest;
    } cases[] = {
        {"nothing of the user's", {"Adams"}, {Named("Evans")}, 0,
         {"Baker2", "Dunn", "Evans"}, {"Baker", "Clark", "Evans"}},
        {"removes an added contact", {"Dunn"}, {}, 1, {"Baker2"}, {"Baker", "Clark"}},
        {"replaces an edited one", {"Baker2"}, {Named("Baker3")}, 1,
         {"Baker3", "Dunn"}, {"Baker3", "Clark"}},
        {"brings a deleted one back as it was", {}, {clark}, 1,
         {"Baker2", "Clark", "Dunn"}, {"Baker", "Clark"}},
        {"brings it back changed", {}, {clarkChanged}, 1, {"Baker2", "Clark", "Dunn"}, {"Baker", "Clark"}},
        {"adds another of that name", {}, {clarkElsewhere}, 0,
         {"Baker2", "Clark", "Dunn"}, {"Baker", "Clark", "Clark"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        WriteBytes(strPath, BuildAddressBookDocument(start).GetStdString());
        CContactBook book(strPath.c_str());
        book.LoadAddressBook();
        book.AddContact(Named("Dunn"));
        book.StoreEditedContact(IndexOf(book, "Baker"), Named("Baker2"));
        book.DeleteContacts({IndexOf(book, "Clark")});
        // Adams, whom the user left alone, is there after all but the first case's sync.
        std::vector<int> removed;
        for (const std::string& strName : c.removed) {
            removed.push_back(IndexOf(book, strName));
        }
        Names adams = c.removed == Names{"Adams"} ? Names() : Names{"Adams"};
        CBookChange change = book.ApplySynchronisation(removed, c.added);
        EXPECT_TRUE(change.bChanged);
        EXPECT_EQ(c.nDropped, change.nUndoStepsDropped);
        Names expected = c.afterSync;
        expected.insert(expected.end(), adams.begin(), adams.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, SortedNames(book.Contacts()));
        size_t nUndone = 0;
        for (; book.CanUndo(); ++nUndone) {
            EXPECT_TRUE(book.Undo().bChanged);
        }
        EXPECT_EQ(3 - c.nDropped, nUndone);
        expected = c.afterUndoingTheRest;
        expected.insert(expected.end(), adams.begin(), adams.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, SortedNames(book.Contacts()));
    }
}
