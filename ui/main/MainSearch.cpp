#include "MainSearch.h"

#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/shell/Globals.h"

namespace {

const char kEnterSearchText[] = "Please enter some text in the search box first";
const char kNoContactsFound[] = "No contacts found with \"%s\". All fields have been searched.";

} // namespace

const CMessageTable* CMainSearch::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CMainSearch::OnSearch>(IDC_SEARCH),
        OnControlCode<&CMainSearch::OnSearchKillFocus>(IDC_SEARCH_EDIT, EN_KILLFOCUS),
        OnControlCode<&CMainSearch::OnSearchSetFocus>(IDC_SEARCH_EDIT, EN_SETFOCUS),
        OnControlCode<&CMainSearch::OnSearchChange>(IDC_SEARCH_EDIT, EN_CHANGE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CString CMainSearch::GetSearchText() const { return m_window.GetDlgItemText(IDC_SEARCH_EDIT); }

void CMainSearch::FocusSearchEdit() {
    m_window.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_window.GetDlgItem(IDC_SEARCH_EDIT)), TRUE);
}

void CMainSearch::OnSearch() {
    if (!m_buttons.IsSearchDown()) {
        m_list.RefillList(m_book.Contacts()); // the click has just released the toggle
        return;
    }
    // Searched as typed: blanks around the text count.
    CString strText = GetSearchText();
    if (strText.IsEmpty()) {
        m_buttons.SetSearchDown(false);
        AfxMessageBox(kEnterSearchText, MB_OK);
        FocusSearchEdit();
        return;
    }
    CDWordArray hits;
    m_book.FindContacts(strText, hits);
    if (hits.GetSize() == 0) {
        CString strMessage;
        strMessage.Format(kNoContactsFound, strText.GetString());
        m_window.MessageBox(strMessage, kSystemCaption, MB_OK);
        m_buttons.SetSearchDown(false);
        FocusSearchEdit();
        return;
    }
    ShowHits(hits);
}

void CMainSearch::ShowHits(const CDWordArray& hits) {
    // The contacts are in sorted order already, so the hits are too.
    std::vector<int> rowContacts(static_cast<size_t>(hits.GetSize()));
    for (size_t i = 0; i < rowContacts.size(); ++i) {
        rowContacts[i] = static_cast<int>(hits[static_cast<int>(i)]);
    }
    m_list.ShowContacts(m_book.Contacts(), std::move(rowContacts));
}

bool CMainSearch::Refresh() {
    CString strText = GetSearchText();
    if (!m_buttons.IsSearchDown() || strText.IsEmpty()) {
        return false;
    }
    CDWordArray hits;
    m_book.FindContacts(strText, hits);
    if (hits.GetSize() == 0) {
        return false; // nobody asked, so no message: the full list says enough
    }
    ShowHits(hits);
    return true;
}

void CMainSearch::CancelSearch() {
    m_buttons.SetSearchDown(false);
    m_list.RefillList(m_book.Contacts());
}

void CMainSearch::ShowAll(const std::vector<int>& selected) {
    m_buttons.SetSearchDown(false);
    m_list.RefillList(m_book.Contacts()); // the book has sorted
    m_list.SelectRows(selected);
}

void CMainSearch::OnSearchChange() {
    if (m_buttons.IsSearchDown()) {
        CancelSearch();
    }
}
