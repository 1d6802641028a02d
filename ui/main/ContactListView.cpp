#include "ContactListView.h"

#include "ui/main/CommandLogic.h"
#include "ui/main/ListLogic.h"

namespace {

// Headings in column order.
const char* const kColumnHeadings[kColumnCount] = {
    "Last Name", "First Name", "Phone (home)", "Mobile", "E-Mail (home)", "Company", "Phone (office)", "E-Mail (office)",
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
        OnNotifyReflect<&CContactListView::OnDeleteAllItems>(LVN_DELETEALLITEMS),
    };
    static const CMessageTable table = {CListCtrl::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CContactListView::RefillList(CContactBook& book, BOOL bSort) {
    if (bSort) {
        book.SortContacts();
    }
    RefillList(book.Contacts());
}

void CContactListView::RefillList(const CContactArray& contacts) {
    // Drawing every row as it is added costs seconds for a large address book.
    SetRedraw(FALSE);
    DeleteAllItems();
    for (int i = 0; i < contacts.GetSize(); ++i) {
        AddContactRow(contacts[i], i);
    }
    SetRedraw(TRUE);
}

void CContactListView::AddContactRow(const CContact& contact, int nIndex) {
    // The cells show what the user typed, not the stored form.
    auto shown = [&contact](int nField) { return contact.DisplayText(nField); };
    AddListRow(shown(CContact::fieldLastName), shown(CContact::fieldFirstName), shown(CContact::fieldHomePhone),
               shown(CContact::fieldMobile), shown(CContact::fieldHomeEMail), shown(CContact::fieldCompany),
               shown(CContact::fieldOfficePhone), shown(CContact::fieldOfficeEMail), nIndex);
}

void CContactListView::AddListRow(const char* pszLastName, const char* pszFirstName, const char* pszHomePhone,
                                  const char* pszMobile, const char* pszHomeEMail, const char* pszCompany,
                                  const char* pszOfficePhone, const char* pszOfficeEMail, int nIndex) {
    // Text and item data in one insertion: a separate LVM_SETITEM would notify the window twice
    // more per row.
    int nRow = InsertItem(GetItemCount(), pszLastName, static_cast<LPARAM>(nIndex));
    if (nRow < 0) {
        return;
    }
    const char* const subItems[] = {pszFirstName, pszHomePhone,   pszMobile,     pszHomeEMail,
                                    pszCompany,   pszOfficePhone, pszOfficeEMail};
    for (int nSubItem = 1; nSubItem <= 7; ++nSubItem) {
        SetItemText(nRow, nSubItem, subItems[nSubItem - 1]);
    }
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
    int nRow = 0;
    for (; nRow < GetItemCount(); ++nRow) {
        SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
    return nRow;
}

int CContactListView::DeselectAllRows() {
    int nCount = GetItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (GetItemState(nRow, LVIS_SELECTED) & LVIS_SELECTED) {
            SetItemState(nRow, 0, LVIS_SELECTED);
        }
    }
    return nCount;
}

std::vector<int> CContactListView::RowContacts() const {
    std::vector<int> rowContacts(static_cast<size_t>(GetItemCount()));
    for (size_t nRow = 0; nRow < rowContacts.size(); ++nRow) {
        rowContacts[nRow] = RowContact(static_cast<int>(nRow));
    }
    return rowContacts;
}

void CContactListView::ReindexRows(int nRow, int nIndex) {
    std::vector<int> rowContacts = RowContacts();
    std::vector<int> before = rowContacts;
    ReindexRowContacts(rowContacts, nIndex);
    for (size_t r = 0; r < rowContacts.size(); ++r) {
        if (static_cast<int>(r) != nRow && rowContacts[r] != before[r]) {
            SetItemData(static_cast<int>(r), static_cast<DWORD_PTR>(rowContacts[r]));
        }
    }
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
