// CMainSearch: what the main window's list shows. The group chosen above the list limits it to
// that group's contacts (or those in none). The toggle 1008 is the search state: while it is down
// the list shows the contacts of the group that hold the text of the search box; when it goes up
// the group's full sorted list comes back. The user's own changes and a background sync's refresh
// a result (a result left without a hit ends); editing the text ends it.
// It also knows whether the search box has the focus, which changes what keys do. User-interface
// thread only.
#pragma once

#include "data/ContactBook.h"
#include "data/ContactGroups.h"
#include "ui/main/ContactListView.h"
#include "ui/main/MainButtons.h"

#include <functional>

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
    // Shows the list again after the user's change that sorted the book, the contacts at these
    // indexes selected and in view: a shown search result is searched again and keeps them even
    // when they no longer hold the text; without a result, or when it has no hit left, the group's
    // full list. When one of them is not in the group shown, every contact is shown instead.
    void ShowAll(const std::vector<int>& selected);
    // Ends a shown search result and shows the group's full list after a change the user did not
    // make: the group stays, and only the contacts in it are selected.
    void ShowGroup(const std::vector<int>& selected);
    // After a command that leaves the search as it is (a change of groups): a shown result is
    // searched again, else the group is shown; the contacts at these indexes are selected where
    // they are shown.
    void ShowChanged(const std::vector<int>& selected);
    // Shows the chosen contacts: a shown search result is searched again among them.
    void SetGroup(const CGroupChoice& group);
    const CGroupChoice& Group() const { return m_group; }
    // Heard when the search itself changes the group (to show what the user did).
    void SetGroupListener(std::function<void()> onGroupChanged) { m_onGroupChanged = std::move(onGroupChanged); }
    // The contacts changed from outside the window's commands: a shown result is searched again
    // and shown as it is now. False when no result is shown or none is found any more, for the
    // caller to show the full list.
    // kept: contacts shown beside the hits, as long as there is a hit.
    bool Refresh(const std::vector<int>& kept = std::vector<int>());
    // The toggle is down on a search text: the list shows a result.
    bool IsResultShown() const;
    bool SearchHasFocus() const { return m_bSearchHasFocus; }

private:
    // The text of the box was edited: a shown result ends.
    void OnSearchChange();
    void OnSearchSetFocus() { m_bSearchHasFocus = true; }
    void OnSearchKillFocus() { m_bSearchHasFocus = false; }
    CString GetSearchText() const;
    // The hits within the group and the kept contacts, in the list; false when no hit is in the
    // group.
    bool ShowHits(const CDWordArray& hits, const std::vector<int>& kept = std::vector<int>());
    // The group's contacts, the toggle up.
    void ShowWholeGroup();
    // Selects the rows of the contacts at these indexes that the list shows.
    void SelectContacts(const std::vector<int>& selected);
    void FocusSearchEdit();

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainButtons& m_buttons;
    bool m_bSearchHasFocus = false;
    CGroupChoice m_group = CGroupChoice::All();
    std::function<void()> m_onGroupChanged;
};
