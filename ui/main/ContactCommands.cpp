#include "ContactCommands.h"

#include "framework/base/FileError.h"
#include "interchange/NoteTidy.h"
#include "res/resource.h"
#include "ui/birthdays/BirthdaysDlg.h"
#include "ui/duplicates/DuplicatesDlg.h"
#include "ui/editor/ContactDlg.h"
#include "ui/main/CommandLogic.h"
#include "ui/main/CommandScope.h"
#include "ui/shell/Globals.h"

namespace {

const char kDeleteAll[] = "Are you sure you want to delete all contacts?";
const char kDeleteOne[] = "Deleting %s, %s...\r\nAre you sure?";
const UINT kQuestion = MB_YESNO | MB_DEFBUTTON2;

CString Contacts(size_t nCount) { return CountOf(nCount, "contact", "contacts"); }

CString DeletedStatus(size_t nCount) {
    return "Deleted " + Contacts(nCount) + ". Undo (Ctrl+Z) brings " + (nCount == 1 ? "it" : "them") +
           " back.";
}

} // namespace

const CMessageTable* CContactCommands::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CContactCommands::OnViewEdit>(IDC_VIEW_EDIT),
        OnCommand<&CContactCommands::OnAddNew>(IDC_ADD_NEW),
        OnCommand<&CContactCommands::OnAddNew>(ID_TRAY_ADD_NEW),
        OnCommand<&CContactCommands::OnDelete>(IDC_DELETE),
        OnCommand<&CContactCommands::OnUndo>(ID_UNDO),
        OnCommand<&CContactCommands::OnFindDuplicates>(ID_FIND_DUPLICATES),
        OnCommand<&CContactCommands::OnMergeSelected>(ID_MERGE_SELECTED),
        OnCommand<&CContactCommands::OnTidyNotes>(ID_TIDY_NOTES),
        OnCommand<&CContactCommands::OnUpcomingBirthdays>(ID_UPCOMING_BIRTHDAYS),
        OnNotify<&CContactCommands::OnListDblClk>(IDC_LIST, NM_DBLCLK),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CContactCommands::OnListDblClk(NMHDR*, LRESULT* pResult) {
    m_window.PostMessage(WM_COMMAND, m_list.HasSelection() ? IDC_VIEW_EDIT : IDC_ADD_NEW, 0);
    *pResult = 0;
}

INT_PTR CContactCommands::RunEditor(CContactDlg& dlg) {
    dlg.m_pPhotos = &m_book.Photos();
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
                SetStatus(DeletedStatus(1));
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
    m_search.ShowAll(change.placed);
    return change;
}

void CContactCommands::OnUndo() {
    CCommandScope command(m_exit, m_window);
    if (!m_book.CanUndo()) {
        ::MessageBeep(MB_OK);
        return;
    }
    CBookChange change = m_book.Undo();
    m_search.ShowAll(change.placed);
    Commit(change);
    size_t nBack = change.placed.size(), nGone = change.removed.size();
    SetStatus(nBack == 0   ? "Undone: " + Contacts(nGone) + " taken out again."
              : nGone == 0 ? "Undone: " + Contacts(nBack) + " back in the list."
                           : "Undone: the change to " + Contacts(nBack) + " taken back.");
}

void CContactCommands::OnAddNew() {
    CCommandScope command(m_exit, m_window);
    CContactDlg dlg;
    dlg.m_bNew = 1;
    // Made while a group is shown, the contact starts in it, where the user will look for it.
    if (m_search.Group().Kind() == CGroupChoice::EKind::named) {
        AddToGroup(dlg.m_contact, m_search.Group().Name());
    }
    // A new contact deleted through the editor's shortcut was never there: nothing to add.
    if (RunEditor(dlg) != IDOK || dlg.m_bDeleted) {
        return;
    }
    CBookChange change = m_book.AddContact(dlg.m_contact);
    // The new contact is not selected, unless a group that would hide it gives way to the whole
    // list, or a search result shows it beside the hits: then the selection shows where it went.
    bool bHidden = !change.placed.empty() && !m_search.Group().Shows(m_book.Contacts()[change.placed.front()]);
    m_search.ShowAll(bHidden || m_search.IsResultShown() ? change.placed : std::vector<int>());
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
            CBookChange deleted = DeleteShownRows();
            Commit(deleted);
            SetStatus(DeletedStatus(deleted.removed.size()));
        }
        return;
    }
    // Answered No for every contact, the command changes nothing: a book read only in part stays
    // as it is. The contacts deleted one by one are taken back together.
    CBookChange deleted;
    size_t nDeleted = 0;
    m_book.BeginUndoGroup();
    while (nRow != -1) {
        const CContact& contact = m_book.Contacts()[m_list.RowContact(nRow)];
        CString strQuestion;
        strQuestion.Format(kDeleteOne, contact.lastname.GetString(), contact.firstname.GetString());
        bool bDelete = m_window.MessageBox(strQuestion, kSystemCaption, kQuestion) != IDNO;
        if (bDelete) {
            deleted.bChanged |= DeleteRow(nRow).bChanged;
            ++nDeleted;
        } else {
            m_list.SetItemState(nRow, 0, LVIS_SELECTED);
        }
        nRow = m_list.GetNextItem(NextSelectedSearchStart(nRow, bDelete), LVNI_SELECTED);
    }
    m_book.EndUndoGroup();
    Commit(deleted);
    if (nDeleted > 0) {
        SetStatus(DeletedStatus(nDeleted));
    }
}

CBookChange CContactCommands::DeleteShownRows() {
    // The same as deleting the first row again and again, in one pass.
    CBookChange change = m_book.DeleteContacts(m_list.RowContacts());
    m_list.RemoveAllRows();
    return change;
}

CBookChange CContactCommands::DeleteRow(int nRow) {
    if (nRow < 0 || nRow >= m_list.GetItemCount()) {
        return CBookChange();
    }
    CBookChange change = m_book.DeleteContacts({m_list.RowContact(nRow)});
    m_list.RemoveRow(nRow);
    return change;
}

void CContactCommands::OnMergeSelected() {
    std::vector<int> chosen;
    for (int nRow = m_list.GetNextItem(-1, LVNI_SELECTED); nRow != -1; nRow = m_list.GetNextItem(nRow, LVNI_SELECTED)) {
        chosen.push_back(m_list.RowContact(nRow));
    }
    if (chosen.size() < 2) {
        ::MessageBeep(MB_OK); // one contact is nothing to merge
        return;
    }
    RunDuplicates(std::move(chosen));
}

void CContactCommands::OnTidyNotes() {
    std::vector<int> indexes;
    std::vector<CContact> tidied;
    size_t nLines = 0;
    const CContactArray& contacts = m_book.Contacts();
    for (int i = 0; i < contacts.GetSize(); ++i) {
        CContact contact = contacts[i];
        size_t nLifted = TidyNote(contact).size();
        if (nLifted > 0) {
            nLines += nLifted;
            indexes.push_back(i);
            tidied.push_back(std::move(contact));
        }
    }
    if (indexes.empty()) {
        SetStatus("No note ends in lines an earlier import wrote; nothing to tidy.");
        return;
    }
    CBookChange change = m_book.ReplaceContacts(indexes, tidied);
    m_search.ShowAll(change.placed);
    Commit(change);
    SetStatus("Tidied the notes of " + Contacts(indexes.size()) + ": " + CountOf(nLines, "line", "lines") +
              " became values. Undo (Ctrl+Z) takes it back.");
}

void CContactCommands::OnUpcomingBirthdays() {
    int nChosen = -1;
    {
        CCommandScope command(m_exit, m_window);
        CBirthdaysDlg dlg(m_book.Contacts(), LocalToday());
        m_exit.SetOpenEditor(&dlg);
        dlg.DoModal();
        m_exit.SetOpenEditor(nullptr);
        nChosen = dlg.ChosenContact();
    }
    if (nChosen >= 0 && nChosen < m_book.Contacts().GetSize() && !m_exit.IsEndPending()) {
        // The whole list, so that the contact has its row, and the editor on it.
        m_search.ShowAll({nChosen});
        OnViewEdit();
    }
}

void CContactCommands::RunDuplicates(std::vector<int> chosen) {
    CCommandScope command(m_exit, m_window);
    CDuplicatesDlg dlg(
        m_book,
        [this](const CMergeGroup& group) {
            CBookChange change = m_book.MergeContacts({group});
            m_search.ShowAll(change.placed);
            Commit(change);
            SetStatus("Merged " + Contacts(group.indexes.size()) + " into one. Undo (Ctrl+Z) takes the merge back.");
        },
        [this] { m_help.ShowHelp("#duplicates"); }, std::move(chosen));
    m_exit.SetOpenEditor(&dlg);
    dlg.DoModal();
    m_exit.SetOpenEditor(nullptr);
}
