#include "ContactBook.h"

#include "ContactIdentity.h"
#include "ContactSort.h"
#include "framework/core/Parallel.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// Keeps the reader's first warning (a damaged file can hold thousands) and passes all of them on.
class CFirstWarningSink : public CXMLWarningSink {
public:
    CFirstWarningSink(CString& strFirst, CXMLWarningSink* pNext) : m_strFirst(strFirst), m_pNext(pNext) {}
    void OnWarning(const CString& strText, int64_t nOffset) override {
        if (m_strFirst.IsEmpty()) {
            m_strFirst = strText;
        }
        if (m_pNext) {
            m_pNext->OnWarning(strText, nOffset);
        }
    }

private:
    CString& m_strFirst;
    CXMLWarningSink* m_pNext;
};

} // namespace

CLoadResult CContactBook::LoadAddressBook(CXMLWarningSink* pSink) {
    CFirstWarningSink sink(m_strFirstWarning, pSink);
    CXML root;
    m_loadResult = m_store.Load(root, m_contacts, &sink);
    m_photos.NoteNamed(m_contacts);
    m_pending.Clear();
    m_searchIndex.Clear();
    m_bLoadFinished = !HasLoadProblems();
    return m_loadResult;
}

bool CContactBook::HasLoadProblems() const {
    return m_loadResult.status == LoadStatus::partial || m_loadResult.status == LoadStatus::unreadable;
}

bool CContactBook::IsTrulyEmpty() const {
    return m_contacts.GetSize() == 0 &&
           (m_loadResult.status == LoadStatus::missing || m_loadResult.status == LoadStatus::complete);
}

bool CContactBook::SaveAddressBook(CFileException* pError) {
    if (!m_store.IsLoaded()) {
        return m_store.Save(m_contacts, pError); // which refuses, saying why
    }
    // The check, a read again and the save are one step for every other writer.
    bool bLockedHere = !m_store.IsLocked();
    if (bLockedHere && !m_store.Lock(pError)) {
        return false;
    }
    CBookChange change;
    bool bSaved = Refresh(change, pError) && m_store.Save(m_contacts, pError);
    if (bSaved) {
        m_pending.Clear();
        m_photos.NoteNamed(m_contacts);
        // A book that never named a photo has none to remove: its saves pass over the undo steps.
        if (m_photos.HasSeenPhotos()) {
            // Undo may bring a removed contact back with its photo.
            std::unordered_set<std::string> undoable;
            for (const CUndoStep& step : m_undo) {
                for (const CContact& contact : step.removed) {
                    AddPhotoNames(contact, undoable);
                }
            }
            m_photos.RemoveUnnamed(m_contacts, undoable);
        }
    }
    if (bLockedHere) {
        m_store.Unlock();
    }
    return bSaved;
}

bool CContactBook::Refresh(CBookChange& change, CFileException* pError) {
    change = CBookChange();
    CFileException error;
    if (!m_store.IsLoaded() || m_store.IsFileAsLastSeen(&error)) {
        return true;
    }
    if (error.m_cause != CFileException::none) {
        if (pError) {
            *pError = error;
        }
        return false;
    }
    return Reread(change, pError);
}

bool CContactBook::Reread(CBookChange& change, CFileException* pError) {
    CXML root;
    CContactArray fresh;
    CFileStamp stamp;
    CLoadResult result = m_store.Read(root, fresh, nullptr, stamp);
    if (result.status == LoadStatus::unreadable) {
        if (pError) {
            *pError = result.failure;
        }
        return false;
    }
    if (result.status == LoadStatus::missing) {
        // Nothing of another writer to keep: the list as it is goes into the file at the next save.
        m_store.Accept(result, stamp);
        return true;
    }
    m_photos.NoteNamed(fresh);
    m_pending.ApplyTo(m_contacts, fresh);
    CContactArray before = std::move(m_contacts);
    m_contacts = std::move(fresh);
    // A file read only in part now is kept as a backup before the save, as at the first load.
    m_store.Accept(result, stamp);
    m_loadResult = result;
    change = PlaceMarked();
    change.bChanged = !m_pending.IsEmpty();
    change.bReread = true;
    for (CBookListener* pListener : m_listeners) {
        pListener->OnBookReread(before, change);
    }
    return true;
}

bool CContactBook::Commit(const CBookChange& change, CFileException* pError) {
    if (!change.bChanged) {
        return true; // nothing changed, so a book read only in part stays as it is
    }
    m_store.NoteChange();
    return SaveAddressBook(pError);
}

void CContactBook::FindContacts(const CString& strSearch, CDWordArray& hits) {
    if (!m_searchIndex.IsBuilt()) {
        m_searchIndex.Build(m_contacts);
    }
    m_searchIndex.Find(strSearch, hits);
}

bool CContactBook::SortContacts() {
    std::vector<int> order;
    if (!::SortContacts(m_contacts, &order)) {
        return false; // the index still fits
    }
    // The texts are the same, only in other places: the index follows them instead of being made
    // again, which for a large book is most of a search.
    m_searchIndex.Reorder(order);
    return true;
}

CBookChange CContactBook::Announce(CBookChange change) const {
    if (change.bChanged) {
        for (CBookListener* pListener : m_listeners) {
            pListener->OnBookChanged(change);
        }
    }
    return change;
}

CBookChange CContactBook::SortChanged() {
    CBookChange change;
    m_searchIndex.Clear();
    change.bChanged = true;
    change.bSorted = true;
    SortContacts();
    return change;
}

CBookChange CContactBook::AddContact(const CContact& contact) {
    CContactArray one;
    one.Add(contact);
    return AddContacts(std::move(one));
}

CBookChange CContactBook::AddContacts(CContactArray contacts) {
    if (contacts.GetSize() == 0) {
        return CBookChange();
    }
    CUndoStep step;
    // What Undo finds the contacts by, made on every processor: a large import adds thousands.
    const size_t nAdded = static_cast<size_t>(contacts.GetSize());
    step.added.resize(nAdded);
    const int nParts = WorkParts(nAdded, kMinContactsPerPart);
    RunParts(nParts, [&](int k) {
        for (size_t i = PartStart(nAdded, k, nParts); i < PartStart(nAdded, k + 1, nParts); ++i) {
            step.added[i] = ContactValueKey(contacts[static_cast<int>(i)]);
        }
    });
    for (const std::string& strKey : step.added) {
        m_pending.NoteAdded(strKey);
    }
    const int nFirstAdded = m_contacts.GetSize();
    if (nFirstAdded == 0) {
        m_contacts = std::move(contacts); // the first import into a new book moves no contact
    } else {
        m_contacts.Append(std::move(contacts));
    }
    for (int i = nFirstAdded; i < m_contacts.GetSize(); ++i) {
        m_contacts[i].marked = 1;
        StorePhotos(m_contacts[i]);
    }
    CBookChange change = PlaceMarked();
    Remember(std::move(step));
    return Announce(std::move(change));
}

CBookChange CContactBook::Append(const std::vector<const CContact*>& contacts) {
    if (contacts.empty()) {
        return CBookChange();
    }
    m_contacts.Reserve(m_contacts.GetSize() + static_cast<int>(contacts.size()));
    for (const CContact* pContact : contacts) {
        m_pending.NoteAdded(ContactValueKey(*pContact));
        CContact& added = m_contacts[m_contacts.Add(*pContact)];
        added.marked = 1;
        StorePhotos(added);
    }
    return PlaceMarked();
}

void CContactBook::StorePhotos(CContact& contact) {
    (void)m_photos.StoreInline(contact, nullptr);
}

CBookChange CContactBook::PlaceMarked() {
    CBookChange change = SortChanged();
    // The marks find the contacts again after the sort; none stays marked.
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        if (m_contacts[i].marked) {
            change.placed.push_back(i);
            m_contacts[i].marked = 0;
        }
    }
    return change;
}

CBookChange CContactBook::StoreEditedContact(int nIndex, const CContact& contact) {
    if (nIndex < 0 || nIndex >= m_contacts.GetSize()) {
        return CBookChange();
    }
    std::string strEdited = ContactValueKey(contact);
    if (ContactValueKey(m_contacts[nIndex]) != strEdited) {
        // A save of what was there is nothing to take back, nor anything for another writer's
        // file.
        Remember({{m_contacts[nIndex]}, {strEdited}});
        m_pending.NoteRemoved(std::move(m_contacts[nIndex]));
        m_pending.NoteAdded(std::move(strEdited));
    }
    // The mark finds the contact again after the sort; it is cleared at once.
    m_contacts[nIndex] = contact;
    m_contacts[nIndex].marked = 1;
    StorePhotos(m_contacts[nIndex]);
    CBookChange change = SortChanged();
    int nSorted = m_contacts.FindMarkedContact();
    if (nSorted >= 0) {
        change.placed.push_back(nSorted);
        m_contacts[nSorted].marked = 0;
    }
    return Announce(std::move(change));
}

CBookChange CContactBook::DeleteContacts(std::vector<int> indexes) {
    indexes = ValidIndexes(std::move(indexes));
    if (indexes.empty()) {
        return CBookChange();
    }
    CUndoStep step;
    for (int nIndex : indexes) {
        step.removed.push_back(m_contacts[nIndex]);
    }
    Remember(std::move(step));
    return Announce(RemoveAt(std::move(indexes)));
}

std::vector<int> CContactBook::ValidIndexes(std::vector<int> indexes) const {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(),
                                 [&](int n) { return n < 0 || n >= m_contacts.GetSize(); }),
                  indexes.end());
    return indexes;
}

CBookChange CContactBook::MergeContacts(const std::vector<CMergeGroup>& groups) {
    std::vector<int> indexes;
    std::vector<CContact> merged;
    for (const CMergeGroup& group : groups) {
        std::vector<int> members = ValidIndexes(group.indexes);
        if (members.size() >= 2) {
            indexes.insert(indexes.end(), members.begin(), members.end());
            merged.push_back(group.merged);
        }
    }
    if (merged.empty()) {
        return CBookChange();
    }
    return ReplaceContacts(std::move(indexes), merged);
}

CBookChange CContactBook::ReplaceContacts(std::vector<int> indexes, const std::vector<CContact>& added) {
    indexes = ValidIndexes(std::move(indexes));
    if (indexes.empty() && added.empty()) {
        return CBookChange();
    }
    CUndoStep step;
    for (int nIndex : indexes) {
        step.removed.push_back(m_contacts[nIndex]);
    }
    for (const CContact& contact : added) {
        step.added.push_back(ContactValueKey(contact));
    }
    Remember(std::move(step));
    return Announce(Replace(std::move(indexes), added));
}

CBookChange CContactBook::ApplySynchronisation(std::vector<int> removed, const std::vector<CContact>& added) {
    removed = ValidIndexes(std::move(removed));
    if (removed.empty() && added.empty()) {
        return CBookChange();
    }
    size_t nDropped = DropOverlappingUndoSteps(removed, added);
    CBookChange change = Replace(std::move(removed), added);
    change.nUndoStepsDropped = nDropped;
    change.bSynchronised = true;
    return Announce(std::move(change));
}

size_t CContactBook::DropOverlappingUndoSteps(const std::vector<int>& removed, const std::vector<CContact>& added) {
    std::unordered_set<std::string> gone;
    for (int nIndex : removed) {
        gone.insert(ContactValueKey(m_contacts[nIndex]));
    }
    std::unordered_set<std::string> coming;
    std::unordered_map<std::string, std::vector<const CContact*>> comingByName;
    for (const CContact& contact : added) {
        coming.insert(ContactValueKey(contact));
        std::string strName = NameKey(contact);
        if (!strName.empty()) {
            comingByName[strName].push_back(&contact);
        }
    }
    auto comesBack = [&](const CContact& contact) {
        if (coming.count(ContactValueKey(contact))) {
            return true;
        }
        auto it = comingByName.find(NameKey(contact));
        return it != comingByName.end() &&
               std::any_of(it->second.begin(), it->second.end(),
                           [&](const CContact* pComing) { return IsSamePerson(contact, *pComing); });
    };
    auto overlaps = [&](const CUndoStep& step) {
        return std::any_of(step.added.begin(), step.added.end(),
                           [&](const std::string& strKey) { return gone.count(strKey) > 0; }) ||
               std::any_of(step.removed.begin(), step.removed.end(), comesBack);
    };
    size_t nBefore = m_undo.size();
    bool bGroupStepGone = m_bUndoGroupStarted && !m_undo.empty() && overlaps(m_undo.back());
    m_undo.erase(std::remove_if(m_undo.begin(), m_undo.end(), overlaps), m_undo.end());
    if (bGroupStepGone) {
        m_bUndoGroupStarted = false; // the group's next change starts a step of its own
    }
    return nBefore - m_undo.size();
}

CBookChange CContactBook::Replace(std::vector<int> indexes, const std::vector<CContact>& added) {
    CBookChange removal = RemoveAt(std::move(indexes));
    std::vector<const CContact*> contacts;
    for (const CContact& contact : added) {
        contacts.push_back(&contact);
    }
    CBookChange change = contacts.empty() ? removal : Append(contacts);
    change.bChanged = true;
    change.bSorted = change.bSorted || !removal.removed.empty();
    change.removed = removal.removed;
    return change;
}

CBookChange CContactBook::ReplaceAllContacts(CContactArray contacts) {
    m_contacts = std::move(contacts);
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        StorePhotos(m_contacts[i]);
    }
    m_pending.SetWhole();
    return Announce(SortChanged());
}

CBookChange CContactBook::RemoveAt(std::vector<int> indexes) {
    CBookChange change;
    // One pass: removing them one at a time would move every contact after each, quadratic for
    // a whole list.
    int nKept = 0;
    size_t nNext = 0;
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        if (nNext < indexes.size() && indexes[nNext] == i) {
            m_pending.NoteRemoved(std::move(m_contacts[i]));
            ++nNext;
        } else if (nKept++ != i) {
            m_contacts[nKept - 1] = std::move(m_contacts[i]);
        }
    }
    m_contacts.SetSize(nKept);
    m_searchIndex.Clear();
    change.bChanged = true;
    change.removed = std::move(indexes);
    return change;
}

void CContactBook::BeginUndoGroup() {
    if (m_nUndoGroupDepth++ == 0) {
        m_bUndoGroupStarted = false;
    }
}

void CContactBook::EndUndoGroup() {
    if (m_nUndoGroupDepth > 0) {
        --m_nUndoGroupDepth;
    }
}

void CContactBook::Remember(CUndoStep step) {
    if (m_nUndoGroupDepth > 0 && m_bUndoGroupStarted && !m_undo.empty()) {
        // One step for the group's net effect: a contact the group added and then removed was
        // never there for the user.
        CUndoStep& group = m_undo.back();
        for (CContact& removed : step.removed) {
            auto it = std::find(group.added.begin(), group.added.end(), ContactValueKey(removed));
            if (it != group.added.end()) {
                group.added.erase(it);
            } else {
                group.removed.push_back(std::move(removed));
            }
        }
        for (std::string& strAdded : step.added) {
            group.added.push_back(std::move(strAdded));
        }
        return;
    }
    m_bUndoGroupStarted = m_nUndoGroupDepth > 0;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > kUndoDepth) {
        m_undo.pop_front();
    }
}

CBookChange CContactBook::Undo() {
    if (m_undo.empty()) {
        return CBookChange();
    }
    CUndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    // Each contact the change added is found by its values; of contacts alike in every value,
    // any one will do, since nobody can tell them apart. One pass over the book, so taking back
    // a large import into a large book stays quick.
    std::unordered_map<std::string, int> wanted;
    for (const std::string& strAdded : step.added) {
        ++wanted[strAdded];
    }
    std::vector<int> indexes;
    for (int i = m_contacts.GetSize() - 1; i >= 0 && indexes.size() < step.added.size(); --i) {
        auto it = wanted.find(ContactValueKey(m_contacts[i]));
        if (it != wanted.end() && it->second > 0) {
            --it->second;
            indexes.push_back(i);
        }
    }
    std::sort(indexes.begin(), indexes.end());
    CBookChange removal = RemoveAt(std::move(indexes));
    std::vector<const CContact*> removed;
    for (const CContact& contact : step.removed) {
        removed.push_back(&contact);
    }
    CBookChange change = Append(removed);
    if (!change.bChanged && removal.bChanged) {
        // Only removed: nothing to sort, but the rows shown before no longer fit.
        change.bChanged = change.bSorted = true;
    }
    change.removed = removal.removed;
    return Announce(std::move(change));
}
