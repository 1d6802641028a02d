// CAddressBook: the main window's contacts and the file they come from. It loads the file once,
// remembers how completely it was read, shows the user what went wrong with it, and saves the
// whole list after every accepted change, backing a file it did not read completely up first
// (the store's rule). It owns the contact list, the parsed tree and the store for the whole run.
// User-interface thread only.
#pragma once

#include "data/AddressBookStore.h"
#include "data/ContactArray.h"
#include "data/ContactSearchIndex.h"
#include "data/XML.h"

class CWnd;

class CAddressBook {
public:
    explicit CAddressBook(const CString& strPath) : m_store(strPath) {}
    CAddressBook(const CAddressBook&) = delete;
    CAddressBook& operator=(const CAddressBook&) = delete;

    // Reads the file into the contact list (unsorted); returns 1 when a document was parsed.
    int LoadAddressBook();
    // Whether the load left something to tell the user (a damaged or unreadable file).
    bool HasLoadProblems() const;
    // Tells the user what went wrong with the file, over pOwner; the load is then finished.
    void ShowLoadProblems(CWnd* pOwner);
    // Loading ends when the user has seen what went wrong with the file; until then the list may
    // not hold everything the file does, and the exit path does not write it.
    bool IsLoadFinished() const { return m_bLoadFinished; }

    // Saves the list over the file; on failure tells the user why (unless !bReport) and returns
    // false.
    bool SaveAddressBook(bool bReport = true);
    // Saves after an accepted change to the list. A failed save keeps the change in memory as
    // unsaved; the next save writes it with everything else.
    bool CommitChange();
    bool HasUnsavedChanges() const { return m_store.HasUnsavedChanges(); }
    // Whether the exit path writes the file: not before the user has seen what went wrong with
    // it, and not when it was read only in part and nothing changed (it then stays as it is).
    bool IsWriteOnExitNeeded() const { return m_bLoadFinished && m_store.IsWriteOnExitNeeded(); }

    // The list to change; the search index is made again before the next search.
    CContactArray& Contacts() {
        m_searchIndex.Clear();
        return m_contacts;
    }
    const CContactArray& Contacts() const { return m_contacts; }
    // Sorts the list; the search index stays when no contact moved.
    void SortContacts();
    // Appends the index of every contact that holds strSearch (CContact::Matches), in order.
    void FindContacts(const CString& strSearch, CDWordArray& hits);

private:
    CContactArray m_contacts;
    CContactSearchIndex m_searchIndex;
    CXML m_xml;
    CAddressBookStore m_store;
    CLoadResult m_loadResult;
    CString m_strFirstWarning;
    bool m_bLoadFinished = false;
};
