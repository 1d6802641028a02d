// CListMenu: the contact list's context menu (a right click, Shift+F10, the menu key) and its
// ways to reach the contact it was opened for: Send E-mail, Open Web Page and Call. It also
// offers Copy, Undo, the group commands, Import and Export, which the window's other parts carry
// out. What has nothing to act on is greyed. The contact is copied when the menu opens, so a change to the
// book before the command arrives cannot turn it to another contact. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "ui/main/ContactListView.h"
#include "ui/main/GroupCommands.h"

class CListMenu : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CListMenu(CWnd& window, CContactListView& list, const CContactBook& book, CGroupCommands& groups)
        : m_window(window), m_list(list), m_book(book), m_groups(groups) {}
    CListMenu(const CListMenu&) = delete;
    CListMenu& operator=(const CListMenu&) = delete;

private:
    // The window's context menu: only the list's is this menu; any other goes on by default.
    BOOL OnContextMenu(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Opens the menu at ptScreen over the row there, or for (-1, -1), from the keyboard, below
    // the focused row, for that row. Its commands go to the window.
    void Show(POINT ptScreen);

    void OnSendEmail();
    void OnOpenWebPage();
    void OnCall();
    // The Birthday column from the keyboard too: the header's own menu needs the mouse.
    void OnBirthdayColumn() { m_list.ShowBirthdayColumn(!m_list.IsBirthdayColumnShown()); }

    CWnd& m_window;
    CContactListView& m_list;
    const CContactBook& m_book;
    CGroupCommands& m_groups;
    CContact m_contact; // the contact the menu was opened for, or an empty one
};
