// The contact list view: rows, selection, the letter jump and the window's keys.
#include "TBookDlg.h"

#include "data/ContactSort.h"
#include "res/resource.h"
#include "ui/main/ListLogic.h"

void CTBookDlg::RefillList(BOOL bSort) {
    // Drawing every row as it is added costs seconds for a large address book.
    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    if (bSort) {
        SortContacts(m_contacts);
    }
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        const CContact& contact = m_contacts.ElementAt(i);
        AddListRow(contact.lastname, contact.firstname, contact.homephone, contact.mobile, contact.homeemail,
                   contact.company, contact.officephone, contact.officeemail, i);
    }
    m_list.SetRedraw(TRUE);
}

void CTBookDlg::AddListRow(const char* pszLastName, const char* pszFirstName, const char* pszHomePhone,
                           const char* pszMobile, const char* pszHomeEMail, const char* pszCompany,
                           const char* pszOfficePhone, const char* pszOfficeEMail, int nIndex) {
    // Text and item data in one insertion: a separate LVM_SETITEM would notify the window twice
    // more per row.
    int nRow = m_list.InsertItem(m_list.GetItemCount(), pszLastName, static_cast<LPARAM>(nIndex));
    if (nRow < 0) {
        return;
    }
    const char* const subItems[] = {pszFirstName, pszHomePhone,   pszMobile,     pszHomeEMail,
                                    pszCompany,   pszOfficePhone, pszOfficeEMail};
    for (int nSubItem = 1; nSubItem <= 7; ++nSubItem) {
        m_list.SetItemText(nRow, nSubItem, subItems[nSubItem - 1]);
    }
}

void CTBookDlg::SelectRow(int nRow) {
    m_list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    m_list.SetItemState(nRow, LVIS_FOCUSED, LVIS_FOCUSED);
    m_list.EnsureVisible(nRow, FALSE);
}

int CTBookDlg::SelectAllRows() {
    int nRow = 0;
    for (; nRow < m_list.GetItemCount(); ++nRow) {
        m_list.SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
    return nRow;
}

int CTBookDlg::DeselectAllRows() {
    int nCount = m_list.GetItemCount();
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (m_list.GetItemState(nRow, LVIS_SELECTED) & LVIS_SELECTED) {
            m_list.SetItemState(nRow, 0, LVIS_SELECTED);
        }
    }
    return nCount;
}

void CTBookDlg::JumpToLetter(const CString& strLetter) {
    // The rows shown decide, so that the jump also works on a search result.
    std::vector<int> rowContacts(static_cast<size_t>(m_list.GetItemCount()));
    for (size_t nRow = 0; nRow < rowContacts.size(); ++nRow) {
        rowContacts[nRow] = static_cast<int>(m_list.GetItemData(static_cast<int>(nRow)));
    }
    int nRow = FindJumpRow(m_contacts, rowContacts, strLetter.IsEmpty() ? '\0' : strLetter[0]);
    DeselectAllRows();
    if (nRow >= 0) {
        SelectRow(nRow);
    }
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
}

void CTBookDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
    bool bSelected = m_list.GetNextItem(-1, LVNI_SELECTED) != -1;
    PostMessage(WM_COMMAND, bSelected ? IDC_VIEW_EDIT : IDC_ADD_NEW, 0);
    *pResult = 0;
}

void CTBookDlg::OnSearchSetFocus() { m_bSearchHasFocus = 1; }
void CTBookDlg::OnSearchKillFocus() { m_bSearchHasFocus = 0; }

void CTBookDlg::CancelSearch() {
    ::CheckDlgButton(m_hWnd, IDC_SEARCH, BST_UNCHECKED);
    RefillList(TRUE);
}

BOOL CTBookDlg::PreTranslateMessage(MSG* pMsg) {
    // Keys are commands here: Escape never closes the window, Enter never presses a default
    // button, and letters jump through the list instead of reaching its own search.
    bool bDown = pMsg->message == WM_KEYDOWN;
    bool bUp = pMsg->message == WM_KEYUP;
    if (bDown || bUp) {
        WPARAM nKey = pMsg->wParam;
        bool bControl = ::GetKeyState(VK_CONTROL) < 0;
        if (bDown && nKey == VK_ESCAPE) {
            CancelSearch();
            ::SetDlgItemTextA(m_hWnd, IDC_SEARCH_EDIT, "");
            return TRUE;
        }
        if (nKey == VK_SHIFT) {
            return TRUE;
        }
        if (bDown && nKey == 'A' && bControl) {
            SelectAllRows();
            return TRUE;
        }
        if (bDown && nKey >= 'A' && nKey <= 'Z' && !bControl && !m_bSearchHasFocus) {
            JumpToLetter(CString(static_cast<char>(nKey), 1));
            return TRUE;
        }
        if (bDown && nKey == VK_RETURN) {
            if (!m_bSearchHasFocus) {
                PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0);
            } else if (m_btnSearch.GetCheck() == BST_CHECKED) {
                CancelSearch();
            } else {
                m_btnSearch.SetCheck(BST_CHECKED);
                PostMessage(WM_COMMAND, IDC_SEARCH, 0);
            }
            return TRUE;
        }
        if (bDown && nKey == VK_SPACE) {
            PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0);
            return TRUE;
        }
        if (bDown && nKey == VK_INSERT) {
            PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
            return TRUE;
        }
        if (bDown && nKey == VK_DELETE && !m_bSearchHasFocus) {
            PostMessage(WM_COMMAND, IDC_DELETE, 0);
            return TRUE;
        }
    }
    return PreTranslateInput(pMsg);
}
