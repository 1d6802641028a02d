// CListMenu: the contact list's context menu (a right click, Shift+F10, the menu key) and its
// ways to reach the contact it was opened for: Send E-mail, Open Web Page and Call. It also
// offers Copy, Undo, Import and Export, which the window's other parts carry out. What has
// nothing to act on is greyed. The contact is copied when the menu opens, so a change to the
// book before the command arrives cannot turn it to another contact. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "ui/main/ContactListView.h"

class CListMenu {
public:
    // Opens the menu at ptScreen over the row there, or for (-1, -1), from the keyboard, below
    // the focused row, for that row. Its commands go to pWindow.
    void Show(CWnd* pWindow, const CContactListView& list, const CContactBook& book, POINT ptScreen);

    void OnSendEmail(HWND hOwner) const;
    void OnOpenWebPage(HWND hOwner) const;
    void OnCall(HWND hOwner) const;

private:
    CContact m_contact; // the contact the menu was opened for, or an empty one
};
