// CContactBook: the program's contacts and the file they live in, below any window. It owns the
// contact list, how completely the file was read and what that allows (a book read only in part
// is backed up before the first save and left alone on exit while nothing changed), whether
// changes are unsaved, and the search index. Every change to the contacts goes through it: add
// one or a batch, store an edited one, delete one or many, apply a synchronisation. Each change
// says what it did (where the contacts went, whether anything must be written), so the window
// only maps that onto rows and messages, and tbkutil onto its output.
//
// Other programs write the book too (tbkutil, another copy of the program). A save writes only
// over the file this book last read or wrote: when another writer has replaced it since, the
// book reads it again and applies its own unsaved changes to what it finds (CPendingChanges),
// then saves; the reread listener hears of it. One thread at a time.
#pragma once

#include "AddressBookStore.h"
#include "ContactArray.h"
#include "ContactSearchIndex.h"
#include "PendingChanges.h"
#include "PhotoFolder.h"

#include <deque>
#include <vector>

// What one operation did to the book.
struct CBookChange {
    bool bChanged = false; // the contacts changed: the file is to be written
    bool bSorted = false;  // contacts moved to new places: indexes from before are void
    std::vector<int> removed; // the indexes the removed contacts had, ascending
    std::vector<int> placed;  // where the contacts added or stored are now, in the order given
    // The file was read again, another writer having changed it: every index from before is
    // void, and placed says where this book's unsaved contacts are now.
    bool bReread = false;
    // The change is a synchronisation's outcome, not the user's.
    bool bSynchronised = false;
    // Undo steps that a synchronisation took away, since it changed the same contacts.
    size_t nUndoStepsDropped = 0;
};

// Hears the changes of a book as they are made, to show them or to act on them (the list, the
// search, synchronisation). It hears every change, whoever made it, once the contacts are in
// their new places and before the change is saved.
class CBookListener {
public:
    // The contacts changed: by the user (an add, an edit, a deletion, an undo, a merge, an
    // import) or by a synchronisation (change.bSynchronised).
    virtual void OnBookChanged(const CBookChange&) {}
    // The file was read again, another writer having changed it (change.bReread): before is the
    // list as it was.
    virtual void OnBookReread(const CContactArray& /*before*/, const CBookChange&) {}

protected:
    ~CBookListener() = default;
};

// Contacts of the book that become one.
struct CMergeGroup {
    std::vector<int> indexes;
    CContact merged;
};

class CContactBook {
public:
    // How many changes Undo can take back, the latest first.
    static constexpr size_t kUndoDepth = 20;

    explicit CContactBook(const CString& strPath) : m_store(strPath), m_photos(strPath) {}
    CContactBook(const CContactBook&) = delete;
    CContactBook& operator=(const CContactBook&) = delete;

    // Reads the file into the list, in the file's order (SortContacts puts it into the list's).
    // Warnings go to pSink as they come; the first is also kept. The parsed tree is not kept.
    CLoadResult LoadAddressBook(CXMLWarningSink* pSink = nullptr);
    const CLoadResult& GetLoadResult() const { return m_loadResult; }
    const CString& GetFirstWarning() const { return m_strFirstWarning; }
    // Whether the load left something to tell the user (a damaged or unreadable file).
    bool HasLoadProblems() const;
    // No file yet, or a file read completely that holds no contact: nothing to lose by adding one.
    bool IsTrulyEmpty() const;
    // Loading ends when the user has seen what went wrong with the file; until then the exit
    // path does not write it.
    void FinishLoad() { m_bLoadFinished = true; }
    bool IsLoadFinished() const { return m_bLoadFinished; }

    // The code page a book not yet in UTF-8 is read in (0: the system's).
    void SetLegacyCodePage(unsigned nCodePage) { m_store.SetLegacyCodePage(nCodePage); }
    // Claims the file for a read, change and save that no other writer may come between.
    [[nodiscard]] bool Lock(CFileException* pError) { return m_store.Lock(pError); }
    // Lets go of the claim that Lock made.
    void Unlock() { m_store.Unlock(); }
    // Whether the file is still the one this book last read or wrote. False when another writer
    // has replaced or changed it, or when that cannot be told (pError then says why). Under the
    // lock, true stays true until this book writes.
    [[nodiscard]] bool IsFileAsLastSeen(CFileException* pError) const { return m_store.IsFileAsLastSeen(pError); }
    // The next save copies the file to a backup first, whatever the load found.
    void KeepBackupBeforeNextSave() { m_store.KeepBackupBeforeNextSave(); }
    // Writes the list over the file, under the lock; when another writer changed the file since
    // this book last read or wrote it, it is read again first and this book's unsaved changes
    // are applied to it. False with the cause.
    [[nodiscard]] bool SaveAddressBook(CFileException* pError);
    // Writes the list when the change changed it; a failed save leaves the change unsaved, for
    // the next save to write with everything else. True when nothing failed.
    [[nodiscard]] bool Commit(const CBookChange& change, CFileException* pError);
    bool HasUnsavedChanges() const { return m_store.HasUnsavedChanges(); }
    // Whether the exit path writes the file: only a change not saved yet, and not before the user
    // has seen what went wrong with the file.
    bool IsWriteOnExitNeeded() const { return m_bLoadFinished && m_store.IsWriteOnExitNeeded(); }
    // When another writer has changed the file, reads it again and applies this book's unsaved
    // changes to it; change.bReread then says so (and the listeners hear it). A file that is gone
    // changes nothing here: the next save writes the list. False with the cause when the file
    // could not be read; the list stays as it was.
    [[nodiscard]] bool Refresh(CBookChange& change, CFileException* pError);
    // The listener hears every later change until the book ends; it must outlive the book's
    // changes.
    void AddListener(CBookListener& listener) { m_listeners.push_back(&listener); }
    const CString& GetPath() const { return m_store.GetPath(); }
    const CString& GetBackupPath() const { return m_store.GetBackupPath(); }
    // The folder of the contacts' photos: a photo is stored there before a contact names it, and
    // a save removes the ones no contact names any more.
    CPhotoFolder& Photos() { return m_photos; }
    const CPhotoFolder& Photos() const { return m_photos; }

    const CContactArray& Contacts() const { return m_contacts; }
    // Appends the index of every contact that holds strSearch in any field, ignoring case, in
    // increasing order. The index it searches is made on the first search after a change.
    void FindContacts(const CString& strSearch, CDWordArray& hits);

    // Puts the list into its order; true when any contact moved.
    bool SortContacts();
    // Appends the contact and sorts the list.
    CBookChange AddContact(const CContact& contact);
    // Appends the contacts (an import, a merge, a synchronisation) and sorts the list once.
    CBookChange AddContacts(CContactArray contacts);
    // Replaces the contact at nIndex by the edited one and sorts the list; placed says where it
    // went.
    CBookChange StoreEditedContact(int nIndex, const CContact& contact);
    // Removes the contacts at the given indexes (any order; out of range and repeated ones count
    // once or not at all); the others keep their order.
    CBookChange DeleteContacts(std::vector<int> indexes);

    // Changes made between these two calls are taken back as one (a deletion confirmed contact
    // by contact). Calls nest.
    void BeginUndoGroup();
    void EndUndoGroup();
    // Replaces each group's contacts (the indexes of two at least) by its merged contact, all in
    // one change that one undo takes back; placed says where the merged contacts went. Groups
    // must not share a contact.
    CBookChange MergeContacts(const std::vector<CMergeGroup>& groups);

    // Removes the contacts at the indexes and adds the others, as one change that one undo takes
    // back; placed says where the added contacts went.
    CBookChange ReplaceContacts(std::vector<int> indexes, const std::vector<CContact>& added);
    // The outcome of a synchronisation: removes the contacts at the indexes and adds the others,
    // placed saying where they went. It is not the user's change, so no undo takes it back; and
    // an undo step it overlaps would take back what another device made (or bring back a contact
    // the server gave anew), so every such step goes: one whose added contacts it removed or
    // replaced, or whose removed contacts it brings back as the same person. nUndoStepsDropped
    // says how many went; the others still undo by value, wherever the sync moved contacts.
    CBookChange ApplySynchronisation(std::vector<int> removed, const std::vector<CContact>& added);
    // Puts these contacts in place of every contact and sorts them, as the one change the next
    // save writes whatever the file holds by then (tbkutil resave). No undo takes it back.
    CBookChange ReplaceAllContacts(CContactArray contacts);

    // Whether a change of this run can be taken back.
    bool CanUndo() const { return !m_undo.empty(); }
    // Takes back the latest change (an add, an import, an edit, a deletion of one or many): the
    // contacts it added go, the ones it removed come back, and the list is sorted. placed says
    // where the contacts that came back are.
    CBookChange Undo();

private:
    // What a change removed and added, by value: enough to take it back, whatever the sorts
    // since have done to the positions. An added contact is only ever looked for by its values,
    // so it is kept as the one text of them that it is found by, not as a copy.
    struct CUndoStep {
        std::vector<CContact> removed;
        std::vector<std::string> added;
    };

    // Tells the listeners of a change that changed the contacts, and hands it on.
    CBookChange Announce(CBookChange change) const;
    // Sorts after contacts were marked to be found again; the change says so.
    CBookChange SortChanged();
    // The file again, this book's unsaved changes applied (the lock is held); false with the cause.
    [[nodiscard]] bool Reread(CBookChange& change, CFileException* pError);
    // Removes and appends without an undo step.
    CBookChange Replace(std::vector<int> indexes, const std::vector<CContact>& added);
    // Drops the undo steps that the removal of these contacts and the coming of those overlap;
    // returns how many.
    size_t DropOverlappingUndoSteps(const std::vector<int>& removed, const std::vector<CContact>& added);
    // Appends the contacts, sorts, and says where they went.
    CBookChange Append(const std::vector<const CContact*>& contacts);
    // Sorts the appended contacts, marked, into the list and says where they went.
    CBookChange PlaceMarked();
    // The indexes sorted, each once, the ones out of range left out.
    std::vector<int> ValidIndexes(std::vector<int> indexes) const;
    // Removes the contacts at sorted, distinct, valid indexes in one pass.
    CBookChange RemoveAt(std::vector<int> indexes);
    void Remember(CUndoStep step);
    // Gives the contact's inline photos their files. One that cannot be written stays inline,
    // in the book's own file, which loses nothing; a later change of the contact tries again.
    void StorePhotos(CContact& contact);

    CContactArray m_contacts;
    CContactSearchIndex m_searchIndex;
    CAddressBookStore m_store;
    CPhotoFolder m_photos;
    CPendingChanges m_pending;
    std::vector<CBookListener*> m_listeners;
    CLoadResult m_loadResult;
    CString m_strFirstWarning;
    bool m_bLoadFinished = false;
    std::deque<CUndoStep> m_undo; // oldest first
    int m_nUndoGroupDepth = 0;
    bool m_bUndoGroupStarted = false; // the group's first change made its step
};
