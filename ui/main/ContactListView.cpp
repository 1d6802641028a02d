#include "ContactListView.h"

#include "framework/core/WideText.h"

#include <algorithm>

namespace {

// Headings in column order, and the field each column shows.
const char* const kColumnHeadings[kColumnCount] = {
    "Last Name", "First Name", "Phone (home)", "Mobile", "E-Mail (home)", "Company", "Phone (office)", "E-Mail (office)",
};
const int kColumnFields[kColumnCount] = {
    CContact::fieldLastName, CContact::fieldFirstName, CContact::fieldHomePhone,   CContact::fieldMobile,
    CContact::fieldHomeEMail, CContact::fieldCompany,  CContact::fieldOfficePhone, CContact::fieldOfficeEMail,
};

} // namespace

void CContactListView::CreateColumns(const int columnWidths[kColumnCount]) {
    // Each column goes in at position 0, so they are inserted from the last to the first.
    for (int nColumn = kColumnCount - 1; nColumn >= 0; --nColumn) {
        InsertColumn(0, kColumnHeadings[nColumn], LVCFMT_RIGHT, columnWidths[nColumn]);
    }
}

void CContactListView::ReadColumnWidths(int columnWidths[kColumnCount]) const {
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        columnWidths[nColumn] = GetColumnWidth(nColumn);
    }
}

const CMessageTable* CContactListView::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnNotifyReflect<&CContactListView::OnGetDispInfo>(LVN_GETDISPINFOW),
        OnNotifyReflect<&CContactListView::OnFindItem>(LVN_ODFINDITEMW),
    };
    static const CMessageTable table = {CListCtrl::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

BOOL CContactListView::OnGetDispInfo(NMHDR* pHeader, LRESULT*) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(pHeader)->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) {
        return TRUE;
    }
    item.pszText[0] = L'\0';
    int nContact = RowContact(item.iItem);
    // Between a change of the book and the new order, a row may point past the contacts.
    if (!m_pContacts || nContact < 0 || nContact >= m_pContacts->GetSize() || item.iSubItem < 0 ||
        item.iSubItem >= kColumnCount) {
        return TRUE;
    }
    // The cells show what the user typed, not the stored form.
    std::wstring text = ToWide(m_pContacts->ElementAt(nContact).DisplayText(kColumnFields[item.iSubItem]));
    size_t nLength = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text.c_str(), nLength, item.pszText);
    item.pszText[nLength] = L'\0';
    return TRUE;
}

BOOL CContactListView::OnFindItem(NMHDR* pHeader, LRESULT* pResult) {
    const NMLVFINDITEMW* pFind = reinterpret_cast<const NMLVFINDITEMW*>(pHeader);
    *pResult = -1;
    // The rows carry no item data, so only a search by text can find one.
    if (m_pContacts && (pFind->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && pFind->lvfi.psz) {
        *pResult = FindRowByText(*m_pContacts, RowContacts(), FromWide(pFind->lvfi.psz),
                                 (pFind->lvfi.flags & LVFI_PARTIAL) != 0, pFind->iStart,
                                 (pFind->lvfi.flags & LVFI_WRAP) != 0);
    }
    return TRUE;
}

void CContactListView::SetRowCount(DWORD dwFlags) {
    SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(m_order.GetCount()), static_cast<LPARAM>(dwFlags));
}

void CContactListView::ForgetSelection() {
    SetItemState(-1, 0, LVIS_SELECTED);
    int nFocus = GetNextItem(-1, LVNI_FOCUSED);
    if (nFocus != -1) {
        SetItemState(nFocus, 0, LVIS_FOCUSED);
    }
    SendMessage(LVM_SETSELECTIONMARK, 0, -1);
}

void CContactListView::RefillList(const CContactArray& contacts) {
    CShownOrder order;
    order.ShowAll(contacts.GetSize());
    ShowContacts(contacts, order.RowContacts());
}

void CContactListView::ShowContacts(const CContactArray& contacts, std::vector<int> rowContacts) {
    // Drawing off, so that forgetting the selection does not repaint each row that had it.
    SetRedraw(FALSE);
    ForgetSelection();
    m_pContacts = &contacts;
    m_order.Show(std::move(rowContacts));
    SetRowCount(0);
    // A new order is read from the top, as a list filled afresh would be.
    if (m_order.GetCount() > 0) {
        EnsureVisible(0, FALSE);
    }
    SetRedraw(TRUE);
}

void CContactListView::SelectRow(int nRow) {
    SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    SetItemState(nRow, LVIS_FOCUSED, LVIS_FOCUSED);
    EnsureVisible(nRow, FALSE);
}

void CContactListView::SelectRows(const std::vector<int>& rows) {
    if (rows.empty()) {
        return;
    }
    // One redraw for the lot: an import may select thousands of rows.
    SetRedraw(FALSE);
    for (int nRow : rows) {
        SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
    SetRedraw(TRUE);
    SelectRow(rows.front());
}

int CContactListView::SelectAllRows() {
    // One message for every row: the control keeps the selection as ranges.
    SetRedraw(FALSE);
    SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    SetRedraw(TRUE);
    return GetItemCount();
}

int CContactListView::DeselectAllRows() {
    SetRedraw(FALSE);
    SetItemState(-1, 0, LVIS_SELECTED);
    SetRedraw(TRUE);
    return GetItemCount();
}

std::vector<int> CContactListView::SelectedRows() const {
    std::vector<int> rows;
    for (int nRow = GetNextItem(-1, LVNI_SELECTED); nRow != -1; nRow = GetNextItem(nRow, LVNI_SELECTED)) {
        rows.push_back(nRow);
    }
    return rows;
}

void CContactListView::RemoveRow(int nRow) {
    // The control keeps its selection by row number and knows nothing of the row leaving: the
    // selection below it moves up here, as the rows do.
    std::vector<int> selected = SelectedRows();
    int nFocus = GetNextItem(-1, LVNI_FOCUSED);
    int nMark = static_cast<int>(SendMessage(LVM_GETSELECTIONMARK));
    if (!m_order.RemoveRow(nRow)) {
        return;
    }
    int nCount = m_order.GetCount();
    // A row that was there before keeps its place after, unless it moved up or was the last.
    auto follow = [nRow, nCount](int nOld) { return nOld > nRow ? nOld - 1 : std::min(nOld, nCount - 1); };
    SetRedraw(FALSE);
    for (auto it = std::lower_bound(selected.begin(), selected.end(), nRow); it != selected.end(); ++it) {
        SetItemState(*it, 0, LVIS_SELECTED);
    }
    if (nFocus >= nRow) {
        SetItemState(nFocus, 0, LVIS_FOCUSED);
    }
    SetRowCount(LVSICF_NOSCROLL);
    for (int nSelected : RowsAfterRemoval(selected, nRow)) {
        if (nSelected >= nRow) {
            SetItemState(nSelected, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    if (nFocus >= nRow && follow(nFocus) >= 0) {
        SetItemState(follow(nFocus), LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (nMark >= nRow) {
        SendMessage(LVM_SETSELECTIONMARK, 0, follow(nMark));
    }
    SetRedraw(TRUE);
}

void CContactListView::RemoveAllRows() {
    SetRedraw(FALSE);
    ForgetSelection();
    m_order.Clear();
    SetRowCount(0);
    SetRedraw(TRUE);
}

void CContactListView::JumpToLetter(const CContactArray& contacts, const CString& strLetter) {
    // The rows shown decide, so that the jump also works on a search result.
    int nRow = FindJumpRow(contacts, RowContacts(), strLetter.IsEmpty() ? '\0' : strLetter[0]);
    DeselectAllRows();
    if (nRow >= 0) {
        SelectRow(nRow);
    }
    ::SendMessageW(::GetParent(m_hWnd), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWnd), TRUE);
}
