#include "MoreValues.h"

#include "res/resource.h"
#include "ui/editor/ValueDlg.h"
#include "ui/editor/ValueText.h"
#include "ui/shell/Globals.h"

#include <iterator>

namespace {

const char kNoValueDialog[] = "The window for the value could not be opened.";

enum { columnKind, columnLabel, columnValue };

} // namespace

const CMessageTable* CMoreValues::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CMoreValues::OnAdd>(IDC_VALUE_ADD),
        OnCommand<&CMoreValues::OnEdit>(IDC_VALUE_EDIT),
        OnCommand<&CMoreValues::OnRemove>(IDC_VALUE_REMOVE),
        OnNotify<&CMoreValues::OnListDoubleClick>(IDC_VALUE_LIST, NM_DBLCLK),
        OnNotify<&CMoreValues::OnListReturn>(IDC_VALUE_LIST, NM_RETURN),
        OnNotify<&CMoreValues::OnListKeyDown>(IDC_VALUE_LIST, LVN_KEYDOWN),
        OnNotify<&CMoreValues::OnListItemChanged>(IDC_VALUE_LIST, LVN_ITEMCHANGED),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CMoreValues::Init(const CContact& contact) {
    m_values = contact.values;
    m_listed.clear();
    for (size_t i = 0; i < m_values.size(); ++i) {
        m_listed.push_back(IsListedValue(contact, i));
    }
    if (!m_list.m_hWnd && !m_list.SubclassDlgItem(IDC_VALUE_LIST, &m_dialog)) {
        return;
    }
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT client;
    m_list.GetClientRect(&client);
    const int nWidth = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(columnKind, "Kind", LVCFMT_LEFT, nWidth / 4);
    m_list.InsertColumn(columnLabel, "Label/Type", LVCFMT_LEFT, nWidth / 4);
    m_list.InsertColumn(columnValue, "Value", LVCFMT_LEFT, nWidth - 2 * (nWidth / 4));
    Refill(-1);
}

void CMoreValues::Refill(int nSelect) {
    // The list reports its rows going and coming one by one; the buttons follow the end result.
    m_bRefilling = true;
    m_list.DeleteAllItems();
    int nRow = 0;
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (!m_listed[i]) {
            continue;
        }
        const CContactValue& value = m_values[i];
        m_list.InsertItem(nRow, KindColumnText(value), static_cast<LPARAM>(i));
        m_list.SetItemText(nRow, columnLabel, LabelColumnText(value));
        m_list.SetItemText(nRow, columnValue, ValueColumnText(value));
        if (static_cast<int>(i) == nSelect) {
            m_list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_list.EnsureVisible(nRow, FALSE);
        }
        ++nRow;
    }
    m_bRefilling = false;
    UpdateButtons();
}

int CMoreValues::SelectedValue() const {
    int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    return nRow < 0 ? -1 : static_cast<int>(m_list.GetItemData(nRow));
}

void CMoreValues::UpdateButtons() const {
    const int nValue = SelectedValue();
    const bool bEditable =
        nValue >= 0 && m_values[static_cast<size_t>(nValue)].kind != EValueKind::cardProperty;
    ::EnableWindow(m_dialog.GetDlgItem(IDC_VALUE_EDIT), bEditable);
    ::EnableWindow(m_dialog.GetDlgItem(IDC_VALUE_REMOVE), nValue >= 0);
    // A button that went grey under the keyboard focus would leave the focus nowhere.
    HWND hFocus = ::GetFocus();
    if (hFocus && ::GetParent(hFocus) == m_dialog.m_hWnd && !::IsWindowEnabled(hFocus)) {
        m_dialog.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
    }
}

bool CMoreValues::RunValueDialog(CContactValue& value, bool bNew) {
    CValueDlg dlg(&m_dialog);
    dlg.m_value = value;
    dlg.m_bNew = bNew;
    INT_PTR nResult = dlg.DoModal();
    if (nResult == -1) {
        m_dialog.MessageBox(kNoValueDialog, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }
    if (nResult != IDOK) {
        return false;
    }
    value = dlg.m_value;
    return true;
}

void CMoreValues::OnAdd() {
    CContactValue value;
    value.kind = EValueKind::phone;
    if (RunValueDialog(value, true)) {
        m_values.push_back(value);
        m_listed.push_back(true);
        Refill(static_cast<int>(m_values.size()) - 1);
    }
}

void CMoreValues::OnEdit() {
    const int nValue = SelectedValue();
    // A card's property is kept as it came: it can go, but not be changed.
    if (nValue < 0 || m_values[static_cast<size_t>(nValue)].kind == EValueKind::cardProperty) {
        return;
    }
    CContactValue value = m_values[static_cast<size_t>(nValue)];
    if (RunValueDialog(value, false)) {
        m_values[static_cast<size_t>(nValue)] = value;
        Refill(nValue);
    }
}

void CMoreValues::OnRemove() {
    const int nValue = SelectedValue();
    if (nValue < 0) {
        return;
    }
    // The next row, or the one before the last, takes its place, so that Remove (or Delete) can
    // go on from the keyboard.
    const int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    const int nNextRow = nRow + 1 < m_list.GetItemCount() ? nRow + 1 : nRow - 1;
    int nNext = nNextRow >= 0 ? static_cast<int>(m_list.GetItemData(nNextRow)) : -1;
    if (nNext > nValue) {
        --nNext;
    }
    m_values.erase(m_values.begin() + nValue);
    m_listed.erase(m_listed.begin() + nValue);
    Refill(nNext);
}

void CMoreValues::OnListDoubleClick(NMHDR* pHeader, LRESULT*) {
    const int nRow = reinterpret_cast<NMITEMACTIVATE*>(pHeader)->iItem;
    if (nRow >= 0) {
        m_list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_dialog.PostMessage(WM_COMMAND, IDC_VALUE_EDIT, 0);
    }
}

void CMoreValues::OnListReturn(NMHDR*, LRESULT*) { m_dialog.PostMessage(WM_COMMAND, IDC_VALUE_EDIT, 0); }

void CMoreValues::OnListKeyDown(NMHDR* pHeader, LRESULT*) {
    if (reinterpret_cast<NMLVKEYDOWN*>(pHeader)->wVKey == VK_DELETE) {
        m_dialog.PostMessage(WM_COMMAND, IDC_VALUE_REMOVE, 0);
    }
}

void CMoreValues::OnListItemChanged(NMHDR* pHeader, LRESULT*) {
    if (!m_bRefilling && (reinterpret_cast<NMLISTVIEW*>(pHeader)->uChanged & LVIF_STATE)) {
        UpdateButtons();
    }
}
