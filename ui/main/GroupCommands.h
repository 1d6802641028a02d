// CGroupCommands: the list menu's commands that sort contacts into groups. "Add to Group" puts
// the selected contacts in one of the book's groups or a new one; "Remove from Group" takes them
// out of the group shown; "Manage Groups..." renames and deletes groups. Each change is one step
// that Undo takes back, a shown search stays shown, and deleting a group never deletes a contact.
// User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "ui/main/ContactCommands.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/GroupBar.h"
#include "ui/main/MainSearch.h"

#include <functional>
#include <vector>

class CGroupCommands : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CGroupCommands(CDialog& window, CContactBook& book, CContactListView& list, CMainSearch& search, CGroupBar& bar,
                   CContactCommands& commands, CExitCoordinator& exit, CStatusBarCtrl& statusBar)
        : m_window(window), m_book(book), m_list(list), m_search(search), m_bar(bar), m_commands(commands),
          m_exit(exit), m_statusBar(statusBar) {}
    CGroupCommands(const CGroupCommands&) = delete;
    CGroupCommands& operator=(const CGroupCommands&) = delete;

    // Readies the list menu's group items: the book's groups in "Add to Group" (checked where
    // every selected contact is in it already), "Remove from Group" named after the group shown,
    // and what has nothing to act on greyed.
    void PrepareMenu(HMENU hPopup);
    // The groups of "Add to Group" come in a range of commands.
    BOOL OnCmdMsg(UINT nId, UINT nCode) override;

private:
    void OnAddToNewGroup();
    void OnRemoveFromGroup();
    void OnManageGroups();
    // Puts the selected contacts in the group (stored form).
    void AddSelectedTo(const CString& strGroup);
    // The contacts of the selected rows, as indexes into the book.
    std::vector<int> SelectedContacts() const;
    // Changes each contact at the indexes that change changes, as one step Undo takes back, and
    // shows the list with them selected; returns how many changed.
    size_t ChangeContacts(const std::vector<int>& indexes, const std::function<bool(CContact&)>& change);
    // Every contact in the group.
    std::vector<int> ContactsInGroup(const CString& strGroup) const;
    void SetStatus(const CString& strText) { m_statusBar.SetText(strText, 0, 0); }

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainSearch& m_search;
    CGroupBar& m_bar;
    CContactCommands& m_commands;
    CExitCoordinator& m_exit;
    CStatusBarCtrl& m_statusBar;
    std::vector<CString> m_menuGroups; // the groups "Add to Group" offered, in command order
};
