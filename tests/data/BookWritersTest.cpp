// Two writers of one book, as the program and tbkutil are: each writes only over the file it last
// read or wrote, and otherwise reads it again and applies its own changes, so neither loses the
// other's work in any order of loading and saving. And the book's side of synchronisation: an
// outcome applied without an undo step, taking away the undo steps it overlaps.
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

CContactArray Contacts(const Names& names) {
    CContactArray contacts;
    for (const std::string& strName : names) {
        contacts.Add(Named(strName));
    }
    return contacts;
}

Names SortedNames(const CContactArray& contacts) {
    Names names;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        names.push_back(contacts[i].lastname.GetStdString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Names NamesInFile(const std::string& strPath) {
    CContactBook book(strPath.c_str());
    EXPECT_EQ(LoadStatus::complete, book.LoadAddressBook().status);
    return SortedNames(book.Contacts());
}

int IndexOf(const CContactBook& book, const std::string& strLast) {
    for (int i = 0; i < book.Contacts().GetSize(); ++i) {
        if (book.Contacts()[i].lastname.GetStdString() == strLast) {
            return i;
        }
    }
    return -1;
}

// What one writer does between its load and its commit, and what that does to the names.
enum class Op { add, edit, remove, import };
const Op kOps[] = {Op::add, Op::edit, Op::remove, Op::import};
const int kImported = 40;

CBookChange Apply(CContactBook& book, Op op, const std::string& strWho) {
    switch (op) {
    case Op::add: return book.AddContact(Named("New" + strWho));
    case Op::edit: return book.StoreEditedContact(IndexOf(book, "Baker"), Named("Baker" + strWho));
    case Op::remove: return book.DeleteContacts({IndexOf(book, "Clark")});
    case Op::import: {
        CContactArray imported;
        for (int i = 0; i < kImported; ++i) {
            imported.Add(Named("Imp" + strWho + std::to_string(100 + i)));
        }
        return book.AddContacts(std::move(imported));
    }
    }
    return CBookChange();
}

// The names after both writers' changes: each removal once, each addition of either. A writer
// that loaded the file as it was at the start edits Baker even when the other one did too.
void ExpectOp(Names& names, Op op, const std::string& strWho, bool bSawStart) {
    auto erase = [&](const std::string& strName) {
        auto it = std::find(names.begin(), names.end(), strName);
        bool bFound = it != names.end();
        if (bFound) {
            names.erase(it);
        }
        return bFound;
    };
    switch (op) {
    case Op::add: names.push_back("New" + strWho); break;
    case Op::edit:
        if (erase("Baker") || bSawStart) {
            names.push_back("Baker" + strWho); // both edits survive: the contact is there twice
        }
        break;
    case Op::remove: erase("Clark"); break;
    case Op::import:
        for (int i = 0; i < kImported; ++i) {
            names.push_back("Imp" + strWho + std::to_string(100 + i));
        }
        break;
    }
}

const Names kStart = {"Adams", "Baker", "Clark"};

// Hears a book's reads again: how many, and the list before the last one.
struct CRereadRecorder : CBookListener {
    void OnBookReread(const CContactArray& old, const CBookChange& change) override {
        EXPECT_TRUE(change.bReread);
        ++nRereads;
        before = SortedNames(old);
    }
    int nRereads = 0;
    Names before;
};

} // namespace

// Every pair of changes, in every order of the second writer's load and both commits: the file
// ends with both writers' work. A change that is read again says so.
TEST(BookWritersTest, BothWritersChangesReachTheFileInEveryOrder) {
    enum class Order { bothLoadFirstCommitsFirst, bothLoadSecondCommitsFirst, oneAfterTheOther };
    for (Order order : {Order::bothLoadFirstCommitsFirst, Order::bothLoadSecondCommitsFirst, Order::oneAfterTheOther}) {
        for (Op opA : kOps) {
            for (Op opB : kOps) {
                SCOPED_TRACE(std::to_string(static_cast<int>(order)) + " " + std::to_string(static_cast<int>(opA)) +
                             " " + std::to_string(static_cast<int>(opB)));
                CTempFolder folder;
                std::string strPath = folder.Path("tbk.xml");
                WriteBytes(strPath, BuildAddressBookDocument(Contacts(kStart)).GetStdString());
                CContactBook a(strPath.c_str());
                CContactBook b(strPath.c_str());
                CRereadRecorder rereads;
                a.AddListener(rereads);
                a.LoadAddressBook();
                if (order != Order::oneAfterTheOther) {
                    b.LoadAddressBook();
                }
                CBookChange changeA = Apply(a, opA, "A");
                if (order == Order::bothLoadSecondCommitsFirst) {
                    ASSERT_TRUE(b.Commit(Apply(b, opB, "B"), nullptr));
                }
                ASSERT_TRUE(a.Commit(changeA, nullptr));
                EXPECT_EQ(order == Order::bothLoadSecondCommitsFirst ? 1 : 0, rereads.nRereads);
                if (order == Order::oneAfterTheOther) {
                    b.LoadAddressBook();
                }
                if (order != Order::bothLoadSecondCommitsFirst) {
                    ASSERT_TRUE(b.Commit(Apply(b, opB, "B"), nullptr));
                }
                Names expected = kStart;
                ExpectOp(expected, opA, "A", true);
                ExpectOp(expected, opB, "B", order != Order::oneAfterTheOther);
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(expected, NamesInFile(strPath));
                EXPECT_FALSE(a.HasUnsavedChanges());
                EXPECT_FALSE(b.HasUnsavedChanges());
            }
        }
    }
}

// Another program's file in place of the one read: of another size, of the same size with other
// bytes and the time put back (only the bytes tell), or the very same bytes as a new file. Each is
// not the file last seen, and is read again before this book's save; the saved file is the one
// last seen, and the lock held for the save is let go by Unlock.
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
        Names after;   // the other program's contacts survive this book's save, none doubled
    } cases[] = {
        {"other size", BuildAddressBookDocument(Contacts({"Adams", "Zimmer"})).GetStdString(), false,
         {"Adams", "New", "Zimmer"}},
        {"same size, other bytes", strSameSize, true, {"Adams", "Bakes", "Clark", "New"}},
        {"same bytes, new file", strStart, false, {"Adams", "Baker", "Clark", "New"}},
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
        EXPECT_EQ(c.after, NamesInFile(strPath));
        EXPECT_EQ(c.after, SortedNames(book.Contacts()));
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

// A change whose save failed stays this writer's: it is applied to what another writer saved
// meanwhile, both when the window reads the file again and when the next save does.
TEST(BookWritersTest, AFailedSavesChangeSurvivesAReadAgain) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    WriteBytes(strPath, BuildAddressBookDocument(Contacts(kStart)).GetStdString());
    CContactBook a(strPath.c_str());
    CContactBook b(strPath.c_str());
    a.LoadAddressBook();
    b.LoadAddressBook();
    SetReadOnly(strPath, true);
    CFileException error;
    EXPECT_FALSE(a.Commit(a.DeleteContacts({IndexOf(a, "Adams")}), &error));
    EXPECT_EQ(CFileException::readOnly, error.m_cause);
    EXPECT_FALSE(a.Commit(a.AddContact(Named("Dunn")), &error));
    EXPECT_TRUE(a.HasUnsavedChanges());
    SetReadOnly(strPath, false);
    ASSERT_TRUE(b.Commit(b.AddContact(Named("Evans")), nullptr));

    CRereadRecorder rereads;
    a.AddListener(rereads);
    CBookChange change;
    ASSERT_TRUE(a.Refresh(change, &error)) << error.GetErrorMessage().GetString();
    EXPECT_TRUE(change.bReread);
    EXPECT_TRUE(change.bChanged);
    ASSERT_EQ(1u, change.placed.size());
    EXPECT_EQ("Dunn", a.Contacts()[change.placed[0]].lastname.GetStdString());
    EXPECT_EQ((Names{"Baker", "Clark", "Dunn"}), rereads.before);
    EXPECT_EQ((Names{"Baker", "Clark", "Dunn", "Evans"}), SortedNames(a.Contacts()));
    EXPECT_TRUE(a.HasUnsavedChanges());
    // Read once: the next refresh finds the file as it was read.
    ASSERT_TRUE(a.Refresh(change, nullptr));
    EXPECT_FALSE(change.bReread);

    ASSERT_TRUE(b.Commit(b.DeleteContacts({IndexOf(b, "Clark")}), nullptr));
    ASSERT_TRUE(a.SaveAddressBook(&error)) << error.GetErrorMessage().GetString();
    EXPECT_EQ((Names{"Baker", "Dunn", "Evans"}), NamesInFile(strPath));
    EXPECT_FALSE(a.HasUnsavedChanges());
    EXPECT_FALSE(a.IsWriteOnExitNeeded());
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
