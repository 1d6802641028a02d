// CBookRefresh: the main window's part that shows the book as others change it: other programs
// (tbkutil importing or synchronising, another copy of the program) and, as the book announces
// it, this window's synchronisation with the server. It watches the book's folder; when
// something there changed, it asks the book whether the file is still the one it last read or
// wrote (its own saves pass that test) and, if not, has it read again with the window's unsaved
// changes applied. It also shows every such read again that a save made itself. The list then
// shows the book as it is now: a search that is shown stays shown, brought up to date, and the
// selected contacts stay selected, found by their values.
//
// The file is never read again under a command that holds contacts by their places (an open
// editor, a question, the duplicates window): the check waits until the command ends, as the
// exit coordinator tells. The editor keeps its text, and its save goes through the book's own
// read again. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Dialog.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/MainSearch.h"
#include "ui/shell/FolderWatcher.h"


// Posted by the folder's watcher: something changed beside the book.
const UINT WM_BOOK_FOLDER_CHANGED = WM_APP + 0x130;

class CBookRefresh : public CCmdTarget, private CBookListener {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CBookRefresh(CDialog& window, CContactBook& book, CContactListView& list, CMainSearch& search,
                 CExitCoordinator& exit, CStatusBarCtrl& statusBar);
    CBookRefresh(const CBookRefresh&) = delete;
    CBookRefresh& operator=(const CBookRefresh&) = delete;

    // Starts watching the book's folder, once the book is loaded. A folder that cannot be
    // watched is not reported: the next save still reads again what another program wrote.
    void Start();
    void Stop();

private:
    LRESULT OnFolderChanged(WPARAM wParam, LPARAM lParam);
    // Declines the timers that are not the refresh's.
    BOOL OnTimer(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // A synchronisation's outcome: a search the user is looking at stays, brought up to date;
    // otherwise the list shows what the sync brought.
    void OnBookChanged(const CBookChange& change) override;
    // The book as it is now in the list, the selection and a shown search kept.
    void OnBookReread(const CContactArray& before, const CBookChange& change) override;
    void SetStatus(const CString& strText) { m_statusBar.SetText(strText, 0, 0); }
    // Reads the file again when another writer changed it, and saves this window's unsaved
    // changes onto it.
    void CheckFile();

    CDialog& m_window;
    CContactBook& m_book;
    CContactListView& m_list;
    CMainSearch& m_search;
    CExitCoordinator& m_exit;
    CStatusBarCtrl& m_statusBar;
    CFolderWatcher m_watcher;
    int m_nRetries = 0; // reads of a file that could not be read, tried again
};
