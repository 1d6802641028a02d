#include "ManageGroupsDlg.h"

#include "data/ContactValue.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/groups/GroupNameDlg.h"
#include "ui/shell/Globals.h"

#include <iterator>

namespace {

enum { columnName, columnCount };

} // namespace

const CMessageTable* CManageGroupsDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CManageGroupsDlg::OnRename>(IDC_GROUP_RENAME),
        OnCommand<&CManageGroupsDlg::OnDelete>(IDC_GROUP_DELETE),
        OnNotify<&CManageGroupsDlg::OnListDblClk>(IDC_GROUP_LIST, NM_DBLCLK),
        OnNotify<&CManageGroupsDlg::OnListItemChanged>(IDC_GROUP_LIST, LVN_ITEMCHANGED),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CManageGroupsDlg::CManageGroupsDlg(const CContactArray& contacts, RenameFn onRename, DeleteFn onDelete, CWnd* pParent)
    : CDialog(IDD_MANAGE_GROUPS, pParent), m_contacts(contacts), m_onRename(std::move(onRename)),
      m_onDelete(std::move(onDelete)) {}

void CManageGroupsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GROUP_LIST, m_list);
}

BOOL CManageGroupsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT client;
    m_list.GetClientRect(&client);
    const int nWidth = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(columnName, "Group", LVCFMT_LEFT, nWidth * 7 / 10);
    m_list.InsertColumn(columnCount, "Contacts", LVCFMT_RIGHT, nWidth - nWidth * 7 / 10);
    Fill(CString());
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
    return FALSE;
}

void CManageGroupsDlg::Fill(const CString& strSelected) {
    m_groups = CountGroups(m_contacts);
    m_list.DeleteAllItems();
    int nSelected = m_groups.empty() ? -1 : 0;
    for (size_t i = 0; i < m_groups.size(); ++i) {
        const int nRow = static_cast<int>(i);
        m_list.InsertItem(nRow, DisplayTextOf(m_groups[i].name), static_cast<LPARAM>(i));
        CString strCount;
        strCount.Format("%d", m_groups[i].nContacts);
        m_list.SetItemText(nRow, columnCount, strCount);
        if (!strSelected.IsEmpty() && GroupKey(m_groups[i].name) == GroupKey(strSelected)) {
            nSelected = nRow;
        }
    }
    if (nSelected >= 0) {
        m_list.SetItemState(nSelected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(nSelected, FALSE);
    }
    OnListItemChanged(nullptr, nullptr);
}

const CGroupCount* CManageGroupsDlg::Selected() const {
    const int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    return nRow >= 0 && static_cast<size_t>(nRow) < m_groups.size() ? &m_groups[static_cast<size_t>(nRow)] : nullptr;
}

void CManageGroupsDlg::OnRename() {
    const CGroupCount* pGroup = Selected();
    if (!pGroup) {
        return;
    }
    const CString strFrom = pGroup->name;
    CGroupNameDlg dlg("Tovano Address Book - Rename Group", "&New name of the group \"" + DisplayTextOf(strFrom) + "\":",
                      strFrom, {}, this);
    if (dlg.DoModal() != IDOK || dlg.Name() == strFrom) {
        return;
    }
    m_onRename(strFrom, dlg.Name());
    Fill(dlg.Name());
}

void CManageGroupsDlg::OnDelete() {
    const CGroupCount* pGroup = Selected();
    if (!pGroup) {
        return;
    }
    const CString strGroup = pGroup->name;
    CString strQuestion;
    strQuestion.Format("Delete the group \"%s\"?\n\nIts %s stay in your address book; only the group goes.",
                       DisplayTextOf(strGroup).GetString(),
                       pGroup->nContacts == 1 ? "contact" : (std::to_string(pGroup->nContacts) + " contacts").c_str());
    if (::MessageBoxW(m_hWnd, ToWide(strQuestion).c_str(), ToWide(kSystemCaption).c_str(),
                      MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) != IDYES) {
        return;
    }
    m_onDelete(strGroup);
    Fill(CString());
}

void CManageGroupsDlg::OnListDblClk(NMHDR* pHeader, LRESULT*) {
    if (reinterpret_cast<NMITEMACTIVATE*>(pHeader)->iItem >= 0) {
        OnRename();
    }
}

void CManageGroupsDlg::OnListItemChanged(NMHDR*, LRESULT*) {
    const bool bSelected = Selected() != nullptr;
    ::EnableWindow(GetDlgItem(IDC_GROUP_RENAME), bSelected);
    ::EnableWindow(GetDlgItem(IDC_GROUP_DELETE), bSelected);
}
