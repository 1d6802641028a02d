// CContactCommands: the main window's View/Edit, Add New and Delete. They open the editor, have
// the book make the change, bring the rows up to date and save after every accepted change; a
// command that changes nothing writes nothing. Rows refer to their contacts through the list's
// shown order, so a search result stays right while rows leave it.
//
// Exit or a quit signal that arrives while a command runs waits for it (CExitCoordinator): an
// open editor is closed as by Close (what was not saved is not kept), the command ends, and
// then the exit path runs once. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Controls.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/MainSearch.h"
#include "ui/main/OutreachCommands.h"

#include <vector>

class CContactDlg;

class CContactCommands : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CContactCommands(CDialog& window, CContactBook& book, CContactListView& list, CMainSearch& search,
                     CExitCoordinator& exit, CStatusBarCtrl& statusBar, COutreachCommands& help)
        : m_window(window), m_book(book), m_list(list), m_search(search), m_exit(exit), m_statusBar(statusBar),
          m_help(help) {}
    CContactCommands(const CContactCommands&) = delete;
    CContactCommands& operator=(const CContactCommands&) = delete;

    // Removes the row and its contact; the other rows keep theirs and their selection.
    CBookChange DeleteRow(int nRow);
    // Replaces the contact at nIndex by the edited one, shows the full sorted list and selects
    // the contact at its new place.
    CBookChange StoreEditedContact(int nIndex, const CContact& contact);
    // Writes the book after a change; a failure is told the user, and the change stays for the
    // next save.
    void Commit(const CBookChange& change);

private:
    // Edits the selected contacts one after another, until one is saved or deleted.
    void OnViewEdit();
    void OnAddNew();
    // Deletes the selected contacts, asking first.
    void OnDelete();
    // Takes back the latest change of this run and saves; the contacts that came back are
    // selected.
    void OnUndo();
    // The duplicates window over the whole book, or over the selected rows.
    void OnFindDuplicates() { RunDuplicates({}); }
    void OnMergeSelected();
    // Lifts the lines earlier imports wrote at the ends of notes into values, as one change.
    void OnTidyNotes();
    // The birthdays and anniversaries coming up; the one chosen opens in the editor.
    void OnUpcomingBirthdays();
    // A double click edits the contact under it, or adds one below the last row.
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);

    // A line in the status bar on what the last command did.
    void SetStatus(const CString& strText) { m_statusBar.SetText(strText, 0, 0); }
    INT_PTR RunEditor(CContactDlg& dlg);
    void RunDuplicates(std::vector<int> chosen);
    // Removes every row shown and its contact.
    CBookChange DeleteShownRows();

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainSearch& m_search;
    CExitCoordinator& m_exit;
    CStatusBarCtrl& m_statusBar;
    COutreachCommands& m_help;
};
