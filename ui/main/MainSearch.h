// CMainSearch: the main window's search. The toggle 1008 is the search state: while it is down
// the list shows the contacts that hold the text of the search box; when it goes up the full
// sorted list comes back. The user's own changes end a result; a background sync's changes
// refresh it (Refresh); editing the text ends it.
// It also knows whether the search box has the focus, which changes what keys do. User-interface
// thread only.
#pragma once

#include "data/ContactBook.h"
#include "ui/main/ContactListView.h"
#include "ui/main/MainButtons.h"

class CMainSearch : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CMainSearch(CDialog& window, CContactBook& book, CContactListView& list, CMainButtons& buttons)
        : m_window(window), m_book(book), m_list(list), m_buttons(buttons) {}
    CMainSearch(const CMainSearch&) = delete;
    CMainSearch& operator=(const CMainSearch&) = delete;

    // The toggle was clicked (or Enter in the search box put it down): search, or end the result.
    void OnSearch();
    // Ends a shown search result and shows the full list.
    void CancelSearch();
    // Ends a shown search result and shows the full list after a change that sorted the book,
    // the contacts at these indexes selected.
    void ShowAll(const std::vector<int>& selected);
    // The contacts changed from outside the window's commands: a shown result is searched again
    // and shown as it is now. False when no result is shown or none is found any more, for the
    // caller to show the full list.
    bool Refresh();
    bool SearchHasFocus() const { return m_bSearchHasFocus; }

private:
    // The text of the box was edited: a shown result ends.
    void OnSearchChange();
    void OnSearchSetFocus() { m_bSearchHasFocus = true; }
    void OnSearchKillFocus() { m_bSearchHasFocus = false; }
    CString GetSearchText() const;
    void ShowHits(const CDWordArray& hits);
    void FocusSearchEdit();

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainButtons& m_buttons;
    bool m_bSearchHasFocus = false;
};
