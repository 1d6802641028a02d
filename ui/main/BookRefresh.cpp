#include "BookRefresh.h"

#include "ui/main/ListLogic.h"

namespace {

const UINT_PTR kCheckTimerId = 0x1F30;
const UINT kSettleMs = 300;      // a save makes several changes in the folder: one check after them
const UINT kCommandWaitMs = 500; // while a command runs
const UINT kRetryMs = 3000;      // a file another program holds for a while
const int kMaxRetries = 2;

const char kShownAgain[] = "The address book was changed by another program; the list shows it as it is now.";
const char kShownInPart[] = "The address book was changed by another program and could be read only in part; "
                            "it is kept as a backup before the next change is saved.";

} // namespace

CBookRefresh::CBookRefresh(CDialog& window, CContactBook& book, CContactListView& list, CMainSearch& search,
                           CExitCoordinator& exit, CStatusBarCtrl& statusBar)
    : m_window(window), m_book(book), m_list(list), m_search(search), m_exit(exit), m_statusBar(statusBar) {
    m_book.AddListener(*this);
}

const CMessageTable* CBookRefresh::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CBookRefresh::OnFolderChanged>(WM_BOOK_FOLDER_CHANGED),
        OnMessageUnlessDeclined<&CBookRefresh::OnTimer>(WM_TIMER),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CBookRefresh::Start() {
    CString strPath = m_book.GetPath();
    int nSlash = strPath.ReverseFind('\\');
    if (nSlash > 0) {
        m_watcher.Start(m_window.m_hWnd, WM_BOOK_FOLDER_CHANGED, strPath.Left(nSlash));
    }
}

void CBookRefresh::Stop() {
    m_watcher.Stop();
    ::KillTimer(m_window.m_hWnd, kCheckTimerId);
}

LRESULT CBookRefresh::OnFolderChanged(WPARAM, LPARAM) {
    m_nRetries = 0;
    ::SetTimer(m_window.m_hWnd, kCheckTimerId, kSettleMs, nullptr);
    return 0;
}

BOOL CBookRefresh::OnTimer(WPARAM nTimer, LPARAM, LRESULT*) {
    if (nTimer != kCheckTimerId) {
        return FALSE;
    }
    // A command holds contacts by their places, and a book not yet seen by the user may be
    // damaged: wait for both.
    if (m_exit.IsCommandRunning() || !m_book.IsLoadFinished()) {
        ::SetTimer(m_window.m_hWnd, kCheckTimerId, kCommandWaitMs, nullptr);
        return TRUE;
    }
    ::KillTimer(m_window.m_hWnd, kCheckTimerId);
    // Changes from now on are heard again, also those during the check.
    m_watcher.Acknowledge();
    CheckFile();
    return TRUE;
}

void CBookRefresh::CheckFile() {
    CBookChange change;
    CFileException error;
    if (!m_book.Refresh(change, &error)) {
        // Held by another program for a moment, perhaps: tried again a little later, then left
        // to the next save, which reads it again before it writes.
        if (m_nRetries++ < kMaxRetries) {
            ::SetTimer(m_window.m_hWnd, kCheckTimerId, kRetryMs, nullptr);
        } else {
            SetStatus("The address book was changed by another program, but could not be read: " +
                                 error.GetErrorMessage());
        }
        return;
    }
    if (change.bReread && m_book.HasUnsavedChanges()) {
        // A change whose save failed, now applied to the other program's file: saved with it.
        // Its failure was told when it was made; only the status bar tells it again.
        if (!m_book.SaveAddressBook(&error)) {
            SetStatus("Your latest changes could not be saved yet: " + error.GetErrorMessage());
        }
    }
}

void CBookRefresh::OnBookChanged(const CBookChange& change) {
    // Not the user's doing: the group shown stays, whatever the server brought.
    if (change.bSynchronised && !m_search.Refresh()) {
        m_search.ShowGroup(change.placed);
    }
}

void CBookRefresh::OnBookReread(const CContactArray& before, const CBookChange&) {
    std::vector<CContact> selected;
    for (int nRow : m_list.SelectedRows()) {
        int nContact = m_list.RowContact(nRow);
        if (nContact >= 0 && nContact < before.GetSize()) {
            selected.push_back(before[nContact]);
        }
    }
    if (!m_search.Refresh()) {
        m_search.ShowAll({});
    }
    m_list.SelectRows(RowsShowingContacts(m_book.Contacts(), m_list.RowContacts(), selected));
    SetStatus(m_book.HasLoadProblems() ? kShownInPart : kShownAgain);
}
