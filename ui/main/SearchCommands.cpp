// The main window's search: the toggle 1008 is the search state. While it is down the list
// shows the contacts that hold the text of the search box; when it goes up the full sorted list
// comes back. A result is not refreshed by later changes; editing the text ends it.
#include "TBookDlg.h"

#include "ui/shell/Globals.h"
#include "framework/win/WinApp.h"
#include "res/resource.h"

#include <utility>

namespace {

const char kEnterSearchText[] = "Please enter some text in the search box first";
const char kNoContactsFound[] = "No contacts found with \"%s\". All fields have been searched.";

} // namespace

CString CTBookDlg::GetSearchText() const { return GetDlgItemText(IDC_SEARCH_EDIT); }

void CTBookDlg::FocusSearchEdit() {
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_SEARCH_EDIT)), TRUE);
}

void CTBookDlg::OnSearch() {
    if (m_btnSearch.GetCheck() != BST_CHECKED) {
        RefillList(TRUE); // the click has just released the toggle
        return;
    }
    // Searched as typed: blanks around the text count.
    CString strText = GetSearchText();
    if (strText.IsEmpty()) {
        m_btnSearch.SetCheck(BST_UNCHECKED);
        AfxMessageBox(kEnterSearchText, MB_OK);
        FocusSearchEdit();
        return;
    }
    CDWordArray hits;
    m_book.FindContacts(strText, hits);
    if (hits.GetSize() == 0) {
        CString strMessage;
        strMessage.Format(kNoContactsFound, strText.GetString());
        MessageBox(strMessage, kSystemCaption, MB_OK);
        m_btnSearch.SetCheck(BST_UNCHECKED);
        FocusSearchEdit();
        return;
    }
    // The contacts are in sorted order already, so the hits are too.
    m_list.SetRedraw(FALSE);
    m_list.DeleteAllItems();
    for (int i = 0; i < hits.GetSize(); ++i) {
        AddSearchHit(static_cast<int>(hits[i]));
    }
    m_list.SetRedraw(TRUE);
}

void CTBookDlg::AddSearchHit(int nIndex) { m_list.AddContactRow(std::as_const(m_book).Contacts()[nIndex], nIndex); }

void CTBookDlg::CancelSearch() {
    m_btnSearch.SetCheck(BST_UNCHECKED);
    RefillList(TRUE);
}

void CTBookDlg::OnSearchChange() {
    if (m_btnSearch.GetCheck() == BST_CHECKED) {
        CancelSearch();
    }
}
