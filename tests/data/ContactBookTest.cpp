// The contact book below the window: each operation as a table of what the list holds after it
// and what it says it did, and what reaches the file.
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

CContact Named(const std::string& strLast) {
    CContact contact;
    contact.lastname = strLast.c_str();
    contact.mobile = ("555 " + strLast).c_str();
    return contact;
}

CContactArray Contacts(const Names& names) {
    CContactArray contacts;
    for (const std::string& strName : names) {
        contacts.Add(Named(strName));
    }
    return contacts;
}

Names NamesOf(const CContactArray& contacts) {
    Names names;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        names.push_back(contacts[i].lastname.GetStdString());
    }
    return names;
}

// A book loaded from a file of these contacts, in this order, and sorted as the window shows it.
class CLoadedBook {
public:
    explicit CLoadedBook(const Names& names) : m_book(m_folder.Path("tbk.xml").c_str()) {
        WriteBytes(Path(), BuildAddressBookDocument(Contacts(names)).GetStdString());
        m_book.LoadAddressBook();
        m_book.SortContacts();
    }
    std::string Path() const { return m_folder.Path("tbk.xml"); }
    CContactBook& operator*() { return m_book; }
    CContactBook* operator->() { return &m_book; }

private:
    CTempFolder m_folder;
    CContactBook m_book;
};

} // namespace

TEST(ContactBookTest, AddingSortsAndSaysWhereTheContactsWent) {
    const struct {
        Names book, added, after;
        std::vector<int> placed;
    } cases[] = {
        {{"Baker", "Dunn"}, {"Carter"}, {"Baker", "Carter", "Dunn"}, {1}},
        {{"Baker", "Dunn"}, {"Evans", "Adams"}, {"Adams", "Baker", "Dunn", "Evans"}, {0, 3}},
        {{}, {"Adams"}, {"Adams"}, {0}},
        {{"Baker"}, {}, {"Baker"}, {}},
    };
    for (const auto& c : cases) {
        CLoadedBook book(c.book);
        CBookChange change = book->AddContacts(Contacts(c.added));
        EXPECT_EQ(c.after, NamesOf(book->Contacts()));
        EXPECT_EQ(c.placed, change.placed);
        EXPECT_EQ(!c.added.empty(), change.bChanged);
        EXPECT_EQ(-1, book->Contacts().FindMarkedContact());
    }
}

TEST(ContactBookTest, AnEditedContactIsStoredAndFoundAtItsNewPlace) {
    const struct {
        int nIndex;
        const char* pszNewName;
        Names after;
        std::vector<int> placed;
    } cases[] = {
        {0, "Zeta", {"Clark", "Evans", "Zeta"}, {2}},
        {2, "Baker", {"Adams", "Baker", "Clark"}, {1}},
        {1, "Clark", {"Adams", "Clark", "Evans"}, {1}},
        {3, "Nobody", {"Adams", "Clark", "Evans"}, {}}, // no such contact: nothing changes
    };
    for (const auto& c : cases) {
        CLoadedBook book({"Adams", "Clark", "Evans"});
        CBookChange change = book->StoreEditedContact(c.nIndex, Named(c.pszNewName));
        EXPECT_EQ(c.after, NamesOf(book->Contacts()));
        EXPECT_EQ(c.placed, change.placed);
        EXPECT_EQ(!c.placed.empty(), change.bChanged);
        EXPECT_EQ(-1, book->Contacts().FindMarkedContact());
    }
}

// The remaining contacts keep their order, and the change names each removed index once, in
// order, for the rows to follow.
TEST(ContactBookTest, DeletingKeepsTheOthersAndSaysWhichWent) {
    const struct {
        std::vector<int> indexes;
        Names after;
        std::vector<int> removed;
    } cases[] = {
        {{1, 3}, {"A", "C", "E"}, {1, 3}},
        {{4, 0, 4, 9, -1}, {"B", "C", "D"}, {0, 4}},
        {{0, 1, 2, 3, 4}, {}, {0, 1, 2, 3, 4}},
        {{}, {"A", "B", "C", "D", "E"}, {}},
    };
    for (const auto& c : cases) {
        CLoadedBook book({"A", "B", "C", "D", "E"});
        CBookChange change = book->DeleteContacts(c.indexes);
        EXPECT_EQ(c.after, NamesOf(book->Contacts()));
        EXPECT_EQ(c.after.size() != 5, change.bChanged);
        EXPECT_FALSE(change.bSorted);
        EXPECT_EQ(c.removed, change.removed);
    }
}

// The search sees every change at once.
TEST(ContactBookTest, TheSearchFollowsEveryChange) {
    CLoadedBook book({"Adams", "Baker"});
    auto find = [&](const char* pszText) {
        CDWordArray hits;
        book->FindContacts(pszText, hits);
        std::vector<uint32_t> found;
        for (int i = 0; i < hits.GetSize(); ++i) {
            found.push_back(hits[i]);
        }
        return found;
    };
    EXPECT_EQ(std::vector<uint32_t>{1}, find("bak"));
    book->AddContact(Named("Abbot"));
    EXPECT_EQ(std::vector<uint32_t>{2}, find("bak"));
    book->StoreEditedContact(2, Named("Zimmer"));
    EXPECT_EQ(std::vector<uint32_t>{}, find("bak"));
    EXPECT_EQ(std::vector<uint32_t>{2}, find("zim"));
    book->DeleteContacts({0});
    EXPECT_EQ(std::vector<uint32_t>{1}, find("zim"));

    // Names equal apart from case trade places on every sort; the index follows them, for the
    // texts and for the phone numbers it makes only at the first search for one.
    CContactArray pair = Contacts({"Same", "same"});
    pair[0].note = "first";
    pair[1].note = "second";
    pair[1].mobile = "030 1234";
    book->AddContacts(pair);
    find("first");
    EXPECT_TRUE(book->SortContacts());
    for (int nSort = 0; nSort < 3; ++nSort) {
        std::vector<uint32_t> second = find("SECOND");
        ASSERT_EQ(1u, second.size());
        EXPECT_EQ("second", book->Contacts()[static_cast<int>(second[0])].note) << nSort;
        std::vector<uint32_t> number = find("(030) 12-34");
        ASSERT_EQ(1u, number.size());
        EXPECT_EQ(second, number) << nSort;
        EXPECT_EQ(3u, find("555").size());
        EXPECT_TRUE(book->SortContacts());
    }
}

// What a book is, after its load, for the program: whether it is empty enough for the editor at
// start, and what a change writes.
TEST(ContactBookTest, WhatTheLoadFoundDecidesWhatIsWritten) {
    const std::string strWhole = BuildAddressBookDocument(Contacts({"A", "B", "C", "D"})).GetStdString();
    const struct {
        const char* pszName;
        std::string strFile; // "-": no file
        bool bTrulyEmpty;
        bool bBackupWhenChanged;
    } cases[] = {
        {"no file", "-", true, false},
        {"an empty book", BuildAddressBookDocument(CContactArray()).GetStdString(), true, false},
        {"a whole book", strWhole, false, false},
        {"a cut-off book", strWhole.substr(0, strWhole.size() / 2), false, true},
        {"no tags at all", "\x01 noise", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        if (c.strFile != "-") {
            WriteBytes(strPath, c.strFile);
        }
        CContactBook book(strPath.c_str());
        book.LoadAddressBook();
        book.FinishLoad();
        EXPECT_EQ(c.bTrulyEmpty, book.IsTrulyEmpty());
        // Whatever the load found, the exit writes only a change not saved yet: another writer's
        // file is never replaced by a list that did not change.
        EXPECT_FALSE(book.IsWriteOnExitNeeded());
        // A change that changed nothing writes nothing.
        EXPECT_TRUE(book.Commit(book.DeleteContacts({}), nullptr));
        EXPECT_EQ(c.strFile == "-", !FileExists(strPath));
        EXPECT_FALSE(book.HasUnsavedChanges());
        ASSERT_TRUE(book.Commit(book.AddContact(Named("New")), nullptr));
        EXPECT_EQ(c.bBackupWhenChanged, FileExists(strPath + ".bak"));
        EXPECT_FALSE(book.IsWriteOnExitNeeded());
    }
}

// Undo takes back the changes of the run one by one, the latest first, until there is none.
TEST(ContactBookTest, UndoTakesBackEveryKindOfChangeInTurn) {
    CLoadedBook book({"Adams", "Baker", "Clark"});
    std::vector<Names> states = {NamesOf(book->Contacts())};
    book->AddContact(Named("Dunn"));
    states.push_back(NamesOf(book->Contacts()));
    book->StoreEditedContact(0, Named("Zeta")); // Adams becomes Zeta
    states.push_back(NamesOf(book->Contacts()));
    book->BeginUndoGroup(); // a deletion confirmed contact by contact is one change
    for (int i = 0; i < 3; ++i) {
        book->DeleteContacts({0});
    }
    book->EndUndoGroup();
    states.push_back(NamesOf(book->Contacts()));
    book->AddContacts(Contacts({"Evans", "Zeta"})); // an import: a second Zeta alike in every value
    EXPECT_EQ((Names{"Evans", "Zeta", "Zeta"}), NamesOf(book->Contacts()));
    states.push_back(NamesOf(book->Contacts()));
    EXPECT_TRUE(book->MergeContacts({{{0, 2}, Named("Merged")}}).bChanged); // a merge is one change too
    EXPECT_EQ((Names{"Merged", "Zeta"}), NamesOf(book->Contacts()));
    while (!states.empty()) {
        ASSERT_TRUE(book->CanUndo());
        size_t nBefore = static_cast<size_t>(book->Contacts().GetSize());
        CBookChange change = book->Undo();
        EXPECT_TRUE(change.bChanged);
        // The counts the status bar tells: the contacts taken out and those put back.
        EXPECT_EQ(nBefore - change.removed.size() + change.placed.size(),
                  static_cast<size_t>(book->Contacts().GetSize()));
        EXPECT_EQ(states.back(), NamesOf(book->Contacts()));
        states.pop_back();
    }
    EXPECT_FALSE(book->CanUndo());
    EXPECT_FALSE(book->Undo().bChanged);
    EXPECT_EQ("555 Adams", book->Contacts()[0].mobile.GetStdString()); // every value back

    for (size_t i = 0; i < CContactBook::kUndoDepth + 5; ++i) {
        book->AddContact(Named("More"));
    }
    size_t nUndone = 0;
    for (; book->CanUndo(); ++nUndone) {
        book->Undo();
    }
    EXPECT_EQ(CContactBook::kUndoDepth, nUndone);
    EXPECT_EQ(3 + 5, book->Contacts().GetSize());
}

// Every change reaches the listeners once, as the change its maker got back, the
// synchronisation's marked as such; a call that changed nothing is not announced.
TEST(ContactBookTest, EveryChangeIsAnnouncedOnceAsItsMakerSeesIt) {
    struct CRecorder : CBookListener {
        void OnBookChanged(const CBookChange& change) override { heard.push_back(change); }
        std::vector<CBookChange> heard;
    };
    const struct {
        const char* pszName;
        CBookChange (*make)(CContactBook& book);
    } cases[] = {
        {"add", [](CContactBook& b) { return b.AddContact(Named("Dunn")); }},
        {"import", [](CContactBook& b) { return b.AddContacts(Contacts({"Dunn", "Evans"})); }},
        {"edit", [](CContactBook& b) { return b.StoreEditedContact(1, Named("Zeta")); }},
        {"delete", [](CContactBook& b) { return b.DeleteContacts({0, 2}); }},
        {"merge", [](CContactBook& b) { return b.MergeContacts({{{0, 1}, Named("Merged")}}); }},
        {"sync", [](CContactBook& b) { return b.ApplySynchronisation({1}, {Named("Evans")}); }},
        {"resave", [](CContactBook& b) { return b.ReplaceAllContacts(Contacts({"Evans"})); }},
        {"undo", [](CContactBook& b) {
             b.DeleteContacts({0});
             return b.Undo();
         }},
        {"nothing to add", [](CContactBook& b) { return b.AddContacts(CContactArray()); }},
        {"nothing to delete", [](CContactBook& b) { return b.DeleteContacts({7}); }},
        {"nothing to undo", [](CContactBook& b) { return b.Undo(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CLoadedBook book({"Adams", "Baker", "Clark"});
        CRecorder recorder;
        book->AddListener(recorder);
        CBookChange change = c.make(*book);
        if (!change.bChanged) {
            EXPECT_TRUE(recorder.heard.empty());
            continue;
        }
        ASSERT_FALSE(recorder.heard.empty());
        const CBookChange& heard = recorder.heard.back();
        EXPECT_EQ(change.placed, heard.placed);
        EXPECT_EQ(change.removed, heard.removed);
        EXPECT_EQ(std::string(c.pszName) == "sync", heard.bSynchronised);
        // The undo's own deletion is heard first.
        EXPECT_EQ(std::string(c.pszName) == "undo" ? 2u : 1u, recorder.heard.size());
    }
}

// A photo's file is there before a book names it, stays while the list or an undo step names it,
// and goes at the save after the last contact that named it; a file no version of the book named
// (another writer's, not saved yet) stays.
TEST(ContactBookTest, APhotoFileLivesAsLongAsAContactNamesIt) {
    CLoadedBook book({"Brown", "Young"});
    CString strPhoto, strOther, strStray;
    const std::string strJpeg = "\xFF\xD8\xFF\xE0 a picture";
    ASSERT_TRUE(book->Photos().Store(strJpeg, strPhoto, nullptr));
    ASSERT_TRUE(book->Photos().Store(strJpeg, strOther, nullptr)); // the same bytes, one file
    EXPECT_EQ(strPhoto, strOther);
    EXPECT_TRUE(book->Photos().Store("\x89PNG another", strOther, nullptr));
    EXPECT_TRUE(book->Photos().Store("GIF89a someone else's", strStray, nullptr));
    EXPECT_EQ(strJpeg, ReadBytes(book->Photos().PathOf(strPhoto).GetStdString()));
    auto exists = [&](const CString& strName) { return FileExists(book->Photos().PathOf(strName).GetStdString()); };

    CContact withPhoto = Named("Able");
    withPhoto.values.push_back({EValueKind::photo, "", "", strPhoto});
    CContact withOther = Named("Baker");
    withOther.values.push_back({EValueKind::photo, "", "", strOther});
    CFileException error;
    book->AddContact(withPhoto);
    ASSERT_TRUE(book->Commit(book->AddContact(withOther), &error));

    ASSERT_TRUE(book->Commit(book->DeleteContacts({0}), &error)); // Able, whose undo keeps the photo
    EXPECT_TRUE(exists(strPhoto));
    ASSERT_TRUE(book->Commit(book->Undo(), &error));
    for (size_t i = 0; i < CContactBook::kUndoDepth + 1; ++i) {
        ASSERT_TRUE(book->Commit(book->AddContact(Named("Zed")), &error));
    }
    ASSERT_TRUE(book->Commit(book->DeleteContacts({0, 1}), &error)); // Able and Baker
    EXPECT_TRUE(exists(strPhoto) && exists(strOther)) << "undo still brings them back";
    for (size_t i = 0; i < CContactBook::kUndoDepth; ++i) {
        ASSERT_TRUE(book->Commit(book->AddContact(Named("Zed")), &error));
    }
    EXPECT_FALSE(exists(strPhoto));
    EXPECT_FALSE(exists(strOther));
    EXPECT_TRUE(exists(strStray));
}

TEST(ContactBookTest, OnlyAPhotoNameReachesIntoThePhotoFolder) {
    struct {
        const char* pszName;
        bool bPhoto;
    } const cases[] = {
        {"0123456789abcdef.jpg", true}, {"0123456789abcdef-2.png", true}, {"0123456789abcdef.img", true},
        {"0123456789ABCDEF.jpg", false}, {"0123456789abcdef", false},     {"0123456789abcde.jpg", false},
        {"../123456789abcdef.jpg", false}, {"0123456789abcdef.jpg/..", false}, {"0123456789abcdef-.jpg", false},
        {"0123456789abcdef.jpg.exe", false}, {"..\\0123456789abcdef.jpg", false}, {"", false},
    };
    CPhotoFolder folder("C:\\Users\\A\\tbk.xml");
    EXPECT_EQ(CString("C:\\Users\\A\\tbk photos"), folder.GetPath());
    for (const auto& c : cases) {
        EXPECT_EQ(c.bPhoto, IsPhotoFileName(c.pszName)) << c.pszName;
        EXPECT_EQ(c.bPhoto, !folder.PathOf(c.pszName).IsEmpty()) << c.pszName;
    }
}
