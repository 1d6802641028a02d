#include "MainSearch.h"

#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/shell/Globals.h"

#include <algorithm>
#include <iterator>

namespace {

const char kEnterSearchText[] = "Please enter some text in the search box first";
const char kNoContactsFound[] = "No contacts found with \"%s\". All fields have been searched.";
const char kNoContactsFoundInGroup[] = "No contacts found with \"%s\" in %s. All fields of its contacts have been "
                                       "searched; choose \"All contacts\" above the list to search every contact.";

// How a message names the group shown.
CString DescribeGroup(const CGroupChoice& group) {
    return group.Kind() == CGroupChoice::EKind::ungrouped ? CString("the contacts in no group")
                                                          : "the group \"" + DisplayTextOf(group.Name()) + "\"";
}

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
        ShowWholeGroup(); // the click has just released the toggle
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
    if (!ShowHits(hits)) {
        CString strMessage;
        if (m_group.IsAll()) {
            strMessage.Format(kNoContactsFound, strText.GetString());
        } else {
            strMessage.Format(kNoContactsFoundInGroup, strText.GetString(), DescribeGroup(m_group).GetString());
        }
        m_window.MessageBox(strMessage, kSystemCaption, MB_OK);
        m_buttons.SetSearchDown(false);
        FocusSearchEdit();
    }
}

bool CMainSearch::ShowHits(const CDWordArray& hits, const std::vector<int>& kept) {
    // The contacts are in sorted order already, so the hits are too.
    std::vector<int> rowContacts(static_cast<size_t>(hits.GetSize()));
    for (size_t i = 0; i < rowContacts.size(); ++i) {
        rowContacts[i] = static_cast<int>(hits[static_cast<int>(i)]);
    }
    rowContacts = m_group.Filter(m_book.Contacts(), rowContacts);
    if (rowContacts.empty()) {
        return false;
    }
    if (!kept.empty()) {
        std::vector<int> inView;
        for (int nContact : kept) {
            if (nContact >= 0 && nContact < m_book.Contacts().GetSize()) {
                inView.push_back(nContact);
            }
        }
        std::sort(inView.begin(), inView.end());
        std::vector<int> merged;
        std::set_union(rowContacts.begin(), rowContacts.end(), inView.begin(), inView.end(),
                       std::back_inserter(merged));
        rowContacts = std::move(merged);
    }
    m_list.ShowContacts(m_book.Contacts(), std::move(rowContacts));
    return true;
}

void CMainSearch::ShowWholeGroup() {
    if (m_group.IsAll()) {
        m_list.RefillList(m_book.Contacts());
    } else {
        m_list.ShowContacts(m_book.Contacts(), m_group.Filter(m_book.Contacts()));
    }
}

void CMainSearch::SetGroup(const CGroupChoice& group) {
    m_group = group;
    if (!Refresh()) {
        CancelSearch();
    }
}

bool CMainSearch::IsResultShown() const { return m_buttons.IsSearchDown() && !GetSearchText().IsEmpty(); }

bool CMainSearch::Refresh(const std::vector<int>& kept) {
    if (!IsResultShown()) {
        return false;
    }
    CDWordArray hits;
    m_book.FindContacts(GetSearchText(), hits);
    // Nobody asked, so no message when none is found: the full list says enough.
    return ShowHits(hits, kept);
}

void CMainSearch::CancelSearch() {
    m_buttons.SetSearchDown(false);
    ShowWholeGroup();
}

void CMainSearch::ShowAll(const std::vector<int>& selected) {
    const CContactArray& contacts = m_book.Contacts();
    bool bHidden = std::any_of(selected.begin(), selected.end(), [&](int nContact) {
        return nContact >= 0 && nContact < contacts.GetSize() && !m_group.Shows(contacts[nContact]);
    });
    if (bHidden) {
        m_group = CGroupChoice::All();
        if (m_onGroupChanged) {
            m_onGroupChanged();
        }
    }
    // A shown result stays, with the contacts just changed in it whether or not they still hold
    // the text: the user sees the search they made and what they did to it.
    if (Refresh(selected)) {
        SelectContacts(selected);
        return;
    }
    ShowGroup(selected);
}

void CMainSearch::ShowGroup(const std::vector<int>& selected) {
    m_buttons.SetSearchDown(false);
    ShowWholeGroup(); // the book has sorted
    SelectContacts(selected);
}

void CMainSearch::ShowChanged(const std::vector<int>& selected) {
    if (Refresh()) {
        SelectContacts(selected);
    } else {
        ShowGroup(selected);
    }
}

void CMainSearch::SelectContacts(const std::vector<int>& selected) {
    // Rows show contacts in the book's order, so a contact's row is found by its index.
    const std::vector<int>& rowContacts = m_list.RowContacts();
    std::vector<int> rows;
    for (int nContact : selected) {
        auto found = std::lower_bound(rowContacts.begin(), rowContacts.end(), nContact);
        if (found != rowContacts.end() && *found == nContact) {
            rows.push_back(static_cast<int>(found - rowContacts.begin()));
        }
    }
    m_list.SelectRows(rows);
}

void CMainSearch::OnSearchChange() {
    if (m_buttons.IsSearchDown()) {
        CancelSearch();
    }
}
