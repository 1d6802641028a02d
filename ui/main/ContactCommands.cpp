#include "ContactCommands.h"

#include "framework/win/FileError.h"
#include "res/resource.h"
#include "ui/editor/ContactDlg.h"
#include "ui/main/CommandLogic.h"
#include "ui/shell/Globals.h"
#include "ui/shell/SignalWatcher.h"

namespace {

const char kDeleteAll[] = "Are you sure you want to delete all contacts?";
const char kDeleteOne[] = "Deleting %s, %s...\r\nAre you sure?";
const UINT kQuestion = MB_YESNO | MB_DEFBUTTON2;

// While it lives a command runs; a request to end the program that came meanwhile is made again
// when the outermost command ends.
class CCommandScope {
public:
    CCommandScope(CExitCoordinator& exit, CWnd& window) : m_exit(exit), m_window(window) { m_exit.BeginCommand(); }
    ~CCommandScope() {
        switch (m_exit.EndCommand()) {
        case CExitCoordinator::EEnd::quitSignal: m_window.PostMessage(WM_WATCHER_QUIT); break;
        case CExitCoordinator::EEnd::exit: m_window.PostMessage(WM_COMMAND, IDOK, 0); break;
        case CExitCoordinator::EEnd::none: break;
        }
    }
    CCommandScope(const CCommandScope&) = delete;
    CCommandScope& operator=(const CCommandScope&) = delete;

private:
    CExitCoordinator& m_exit;
    CWnd& m_window;
};

} // namespace

INT_PTR CContactCommands::RunEditor(CContactDlg& dlg) {
    m_exit.SetOpenEditor(&dlg);
    INT_PTR nResult = dlg.DoModal();
    m_exit.SetOpenEditor(nullptr);
    return nResult;
}

void CContactCommands::Commit(const CBookChange& change) {
    CFileException error;
    if (!m_book.Commit(change, &error)) {
        ReportFileError(error);
    }
}

void CContactCommands::OnViewEdit() {
    CCommandScope command(m_exit, m_window);
    CContactDlg dlg;
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (nRow != -1 && !m_exit.IsEndPending()) {
        int nNext = m_list.GetNextItem(nRow, LVNI_SELECTED);
        int nIndex = m_list.RowContact(nRow);
        dlg.m_contact.CopyFrom(m_book.Contacts()[nIndex]);
        // One editor serves every contact; what the user did with the last one is not carried
        // over to this one.
        dlg.m_bSaved = 0;
        dlg.m_bDeleted = 0;
        if (RunEditor(dlg) == IDOK) {
            if (dlg.m_bDeleted) {
                Commit(DeleteRow(nRow));
            } else if (dlg.m_bSaved) {
                Commit(StoreEditedContact(nIndex, dlg.m_contact));
            }
            return;
        }
        nRow = nNext;
    }
}

CBookChange CContactCommands::StoreEditedContact(int nIndex, const CContact& contact) {
    CBookChange change = m_book.StoreEditedContact(nIndex, contact);
    m_buttons.SetSearchDown(false);
    m_list.RefillList(m_book, FALSE); // the book has sorted
    if (!change.placed.empty()) {
        m_list.SelectRow(change.placed.front());
    }
    return change;
}

void CContactCommands::OnAddNew() {
    CCommandScope command(m_exit, m_window);
    CContactDlg dlg;
    dlg.m_bNew = 1;
    // A new contact deleted through the editor's shortcut was never there: nothing to add.
    if (RunEditor(dlg) != IDOK || dlg.m_bDeleted) {
        return;
    }
    CBookChange change = m_book.AddContact(dlg.m_contact);
    m_list.RefillList(m_book, FALSE);
    Commit(change);
}

void CContactCommands::OnDelete() {
    CCommandScope command(m_exit, m_window);
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nRow == -1) {
        return;
    }
    if (m_list.GetSelectedCount() == m_list.GetItemCount()) {
        if (m_window.MessageBox(kDeleteAll, kSystemCaption, kQuestion) != IDNO) {
            Commit(DeleteShownRows());
        }
        return;
    }
    // Answered No for every contact, the command changes nothing: a book read only in part stays
    // as it is.
    CBookChange deleted;
    while (nRow != -1) {
        const CContact& contact = m_book.Contacts()[m_list.RowContact(nRow)];
        CString strQuestion;
        strQuestion.Format(kDeleteOne, contact.lastname.GetString(), contact.firstname.GetString());
        bool bDelete = m_window.MessageBox(strQuestion, kSystemCaption, kQuestion) != IDNO;
        if (bDelete) {
            deleted.bChanged |= DeleteRow(nRow).bChanged;
        } else {
            m_list.SetItemState(nRow, 0, LVIS_SELECTED);
        }
        nRow = m_list.GetNextItem(NextSelectedSearchStart(nRow, bDelete), LVNI_SELECTED);
    }
    Commit(deleted);
}

CBookChange CContactCommands::DeleteShownRows() {
    // The same as deleting the first row again and again, in one pass.
    CBookChange change = m_book.DeleteContacts(m_list.RowContacts());
    m_list.DeleteAllItems();
    return change;
}

CBookChange CContactCommands::DeleteRow(int nRow) {
    if (nRow < 0 || nRow >= m_list.GetItemCount()) {
        return CBookChange();
    }
    int nIndex = m_list.RowContact(nRow);
    CBookChange change = m_book.DeleteContacts({nIndex});
    // Every row whose item data changes would otherwise be redrawn on its own, a trip to the
    // window server each under Wine.
    m_list.SetRedraw(FALSE);
    m_list.ReindexRows(nRow, nIndex);
    m_list.DeleteItem(nRow);
    m_list.SetRedraw(TRUE);
    return change;
}
