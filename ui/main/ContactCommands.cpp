// The contact commands: View/Edit, Add New and Delete. They open the editor, change the contact
// list, bring the rows up to date and save after every accepted change. Rows refer to their
// contacts through their item data, so a search result stays right while rows leave it.
//
// Exit or a quit signal that arrives while a command runs waits for it: an open editor is closed
// as by Close (what was not saved is not kept), the command ends, and then the exit path runs
// once.
#include "TBookDlg.h"

#include "ui/shell/Globals.h"
#include "res/resource.h"
#include "ui/editor/ContactDlg.h"
#include "ui/main/CommandLogic.h"

#include <utility>

namespace {

const char kDeleteAll[] = "Are you sure you want to delete all contacts?";
const char kDeleteOne[] = "Deleting %s, %s...\r\nAre you sure?";
const UINT kQuestion = MB_YESNO | MB_DEFBUTTON2;

} // namespace

CTBookDlg::CCommandScope::CCommandScope(CTBookDlg& dlg) : m_dlg(dlg) { ++m_dlg.m_nCommandDepth; }

CTBookDlg::CCommandScope::~CCommandScope() {
    if (--m_dlg.m_nCommandDepth > 0) {
        return;
    }
    switch (std::exchange(m_dlg.m_pendingEnd, EPendingEnd::none)) {
    case EPendingEnd::quitSignal: m_dlg.PostMessage(WM_WATCHER_QUIT); break;
    case EPendingEnd::exit: m_dlg.PostMessage(WM_COMMAND, IDOK, 0); break;
    case EPendingEnd::none: break;
    }
}

INT_PTR CTBookDlg::RunEditor(CContactDlg& dlg) {
    m_pOpenEditor = &dlg;
    INT_PTR nResult = dlg.DoModal();
    m_pOpenEditor = nullptr;
    return nResult;
}

void CTBookDlg::OnViewEdit() {
    CCommandScope command(*this);
    CContactDlg dlg;
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    while (nRow != -1 && m_pendingEnd == EPendingEnd::none) {
        int nNext = m_list.GetNextItem(nRow, LVNI_SELECTED);
        int nIndex = static_cast<int>(m_list.GetItemData(nRow));
        dlg.m_contact.CopyFrom(std::as_const(m_book).Contacts()[nIndex]);
        // One editor serves every contact; what the user did with the last one is not carried
        // over to this one.
        dlg.m_bSaved = 0;
        dlg.m_bDeleted = 0;
        if (RunEditor(dlg) == IDOK) {
            if (dlg.m_bDeleted) {
                DeleteRow(nRow);
            } else if (dlg.m_bSaved) {
                StoreEditedContact(nIndex, dlg.m_contact);
            }
            m_book.CommitChange();
            return;
        }
        nRow = nNext;
    }
}

void CTBookDlg::StoreEditedContact(int nIndex, CContact& contact) {
    // The mark finds the contact again after the sort; it is cleared at once.
    contact.marked = 1;
    m_book.Contacts()[nIndex] = contact;
    m_btnSearch.SetCheck(BST_UNCHECKED);
    RefillList(TRUE);
    int nSorted = FindMarkedContact();
    if (nSorted >= 0) {
        m_list.SelectRow(nSorted);
        contact.marked = 0;
        m_book.Contacts()[nSorted] = contact;
    }
}

void CTBookDlg::OnAddNew() {
    CCommandScope command(*this);
    CContactDlg dlg;
    dlg.m_bNew = 1;
    // A new contact deleted through the editor's shortcut was never there: nothing to add.
    if (RunEditor(dlg) != IDOK || dlg.m_bDeleted) {
        return;
    }
    CContactArray& contacts = m_book.Contacts();
    contacts.Add(dlg.m_contact);
    RefillList(TRUE);
    m_book.CommitChange();
}

void CTBookDlg::OnDelete() {
    CCommandScope command(*this);
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nRow == -1) {
        return;
    }
    if (m_list.GetSelectedCount() == m_list.GetItemCount()) {
        if (MessageBox(kDeleteAll, kSystemCaption, kQuestion) == IDNO) {
            return;
        }
        DeleteShownRows();
        m_book.CommitChange();
        return;
    }
    bool bDeletedAny = false;
    while (nRow != -1) {
        const CContact& contact = std::as_const(m_book).Contacts()[static_cast<int>(m_list.GetItemData(nRow))];
        CString strQuestion;
        strQuestion.Format(kDeleteOne, contact.lastname.GetString(), contact.firstname.GetString());
        bool bDelete = MessageBox(strQuestion, kSystemCaption, kQuestion) != IDNO;
        if (bDelete) {
            DeleteRow(nRow);
            bDeletedAny = true;
        } else {
            m_list.SetItemState(nRow, 0, LVIS_SELECTED);
        }
        nRow = m_list.GetNextItem(NextSelectedSearchStart(nRow, bDelete), LVNI_SELECTED);
    }
    // Answered No for every contact, the command changed nothing: a book read only in part
    // stays as it is.
    if (bDeletedAny) {
        m_book.CommitChange();
    }
}

void CTBookDlg::DeleteShownRows() {
    // The same as deleting the first row again and again, without moving the contacts after
    // each one once per row.
    RemoveContacts(m_book.Contacts(), m_list.RowContacts());
    m_list.DeleteAllItems();
}

void CTBookDlg::DeleteRow(int nRow) {
    if (nRow < 0 || nRow >= m_list.GetItemCount()) {
        return;
    }
    int nIndex = static_cast<int>(m_list.GetItemData(nRow));
    m_book.Contacts().RemoveAt(nIndex);
    // Every row whose item data changes would otherwise be redrawn on its own, a trip to the
    // window server each under Wine.
    m_list.SetRedraw(FALSE);
    ReindexRows(nRow, nIndex);
    m_list.DeleteItem(nRow);
    m_list.SetRedraw(TRUE);
}

void CTBookDlg::ReindexRows(int nRow, int nIndex) {
    std::vector<int> rowContacts = m_list.RowContacts();
    std::vector<int> before = rowContacts;
    ReindexRowContacts(rowContacts, nIndex);
    for (size_t r = 0; r < rowContacts.size(); ++r) {
        // The removed row goes next; what it points at no longer matters.
        if (static_cast<int>(r) != nRow && rowContacts[r] != before[r]) {
            m_list.SetItemData(static_cast<int>(r), static_cast<DWORD_PTR>(rowContacts[r]));
        }
    }
}
