#include "ContactBook.h"

#include "ContactSort.h"

#include <algorithm>
#include <utility>

namespace {

// Keeps the reader's first warning (a damaged file can hold thousands) and passes all of them on.
class CFirstWarningSink : public CXMLWarningSink {
public:
    CFirstWarningSink(CString& strFirst, CXMLWarningSink* pNext) : m_strFirst(strFirst), m_pNext(pNext) {}
    void OnWarning(const CString& strText) override {
        if (m_strFirst.IsEmpty()) {
            m_strFirst = strText;
        }
        if (m_pNext) {
            m_pNext->OnWarning(strText);
        }
    }

private:
    CString& m_strFirst;
    CXMLWarningSink* m_pNext;
};

} // namespace

int CBookChange::NewIndexOf(int nIndex) const {
    auto it = std::lower_bound(removed.begin(), removed.end(), nIndex);
    if (it != removed.end() && *it == nIndex) {
        return -1;
    }
    return nIndex - static_cast<int>(it - removed.begin());
}

CLoadResult CContactBook::LoadAddressBook(CXMLWarningSink* pSink) {
    CFirstWarningSink sink(m_strFirstWarning, pSink);
    CXML root;
    m_loadResult = m_store.Load(root, m_contacts, &sink);
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

bool CContactBook::SaveAddressBook(CFileException* pError) { return m_store.Save(m_contacts, pError); }

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
    if (!::SortContacts(m_contacts)) {
        return false; // the index still fits
    }
    m_searchIndex.Clear();
    return true;
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
    return AddContacts(one);
}

CBookChange CContactBook::AddContacts(const CContactArray& contacts) {
    if (contacts.GetSize() == 0) {
        return CBookChange();
    }
    m_contacts.Reserve(m_contacts.GetSize() + contacts.GetSize());
    for (int i = 0; i < contacts.GetSize(); ++i) {
        m_contacts[m_contacts.Add(contacts[i])].marked = 1;
    }
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
    // The mark finds the contact again after the sort; it is cleared at once.
    m_contacts[nIndex] = contact;
    m_contacts[nIndex].marked = 1;
    CBookChange change = SortChanged();
    int nSorted = m_contacts.FindMarkedContact();
    if (nSorted >= 0) {
        change.placed.push_back(nSorted);
        m_contacts[nSorted].marked = 0;
    }
    return change;
}

CBookChange CContactBook::DeleteContacts(std::vector<int> indexes) {
    CBookChange change;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    indexes.erase(std::remove_if(indexes.begin(), indexes.end(),
                                 [&](int n) { return n < 0 || n >= m_contacts.GetSize(); }),
                  indexes.end());
    if (indexes.empty()) {
        return change;
    }
    // One pass: removing them one at a time would move every contact after each, quadratic for
    // a whole list.
    int nKept = 0;
    size_t nNext = 0;
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        if (nNext < indexes.size() && indexes[nNext] == i) {
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
