#include "DuplicatesDlg.h"

#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/editor/ContactDlg.h"
#include "ui/main/CommandLogic.h"
#include "ui/shell/Globals.h"

#include <commctrl.h>

namespace {

const int kFieldColumnWidth = 90;
const int kValueColumnWidth = 130;

// A value as one line of a list: the line breaks of an address or a note shown as " / ".
CString OneLine(CString strText) {
    strText.Replace("\r\n", " / ");
    return strText;
}

CString Capitalised(const char* pszLabel) {
    CString str = pszLabel;
    return str.Left(1).MakeUpper() + str.Mid(1);
}

bool IsName(int nField) { return nField == CContact::fieldFirstName || nField == CContact::fieldLastName; }

// The width in pixels of the widest line of a list box, in the box's own font.
int WidestLine(HWND hList) {
    HDC hDC = ::GetDC(hList);
    if (hDC == nullptr) {
        return 0;
    }
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hList, WM_GETFONT, 0, 0)));
    int nWidest = 0;
    int nCount = static_cast<int>(::SendMessageW(hList, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        std::wstring strLine(static_cast<size_t>(::SendMessageW(hList, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        int nLength = static_cast<int>(::SendMessageW(hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&strLine[0])));
        SIZE size = {};
        if (nLength > 0 && ::GetTextExtentPoint32W(hDC, strLine.c_str(), nLength, &size) && size.cx > nWidest) {
            nWidest = static_cast<int>(size.cx);
        }
    }
    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(hList, hDC);
    return nWidest;
}

} // namespace

const CMessageTable* CDuplicatesDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnControlCode<&CDuplicatesDlg::OnGroupChange>(IDC_DUP_GROUPS, LBN_SELCHANGE),
        OnNotify<&CDuplicatesDlg::OnFieldsDblClk>(IDC_DUP_FIELDS, NM_DBLCLK),
        OnNotify<&CDuplicatesDlg::OnFieldsKeyDown>(IDC_DUP_FIELDS, LVN_KEYDOWN),
        OnCommand<&CDuplicatesDlg::OnMerge>(IDC_DUP_MERGE),
        OnCommand<&CDuplicatesDlg::OnEditMerged>(IDC_DUP_EDIT),
        OnCommand<&CDuplicatesDlg::OnHelp>(IDC_DUP_HELP),
        OnWmHelp<&CDuplicatesDlg::OnHelpInfo>(),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CDuplicatesDlg::CDuplicatesDlg(const CContactBook& book, Merge merge, std::function<void()> help,
                               std::vector<int> chosen)
    : CDialog(IDD_DUPLICATES), m_book(book), m_merge(std::move(merge)), m_help(std::move(help)),
      m_chosen(std::move(chosen)) {}

void CDuplicatesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DUP_FIELDS, m_fields);
}

BOOL CDuplicatesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_fields.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    FindGroups();
    return TRUE;
}

void CDuplicatesDlg::FindGroups() {
    if (!m_chosen.empty()) {
        m_groups = {{m_chosen, DuplicateReason::chosen}};
    } else {
        m_groups = FindDuplicates(m_book.Contacts());
    }
    HWND hList = GetDlgItem(IDC_DUP_GROUPS);
    ::SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    size_t nCertain = 0;
    for (const CDuplicateGroup& group : m_groups) {
        CString strLine;
        strLine.Format("%s (%d) - %s", ListNameOf(m_book.Contacts()[group.contacts[0]]).GetString(),
                       static_cast<int>(group.contacts.size()), DuplicateReasonText(group.reason));
        ::SendMessageW(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(strLine).c_str()));
        nCertain += group.IsCertain() ? 1 : 0;
    }
    CString strStatus;
    if (m_groups.empty()) {
        strStatus = "No duplicates found: no two contacts seem to be one person.";
    } else if (m_chosen.empty()) {
        strStatus.Format("%s: %d of one person for certain, %d to check before merging.",
                         CountOf(m_groups.size(), "group", "groups").GetString(), static_cast<int>(nCertain),
                         static_cast<int>(m_groups.size() - nCertain));
    }
    SetDlgItemText(IDC_DUP_STATUS, strStatus);
    // A line wider than the box scrolls sideways, so that every reason can be read in full; the
    // margin leaves room for the selection's frame.
    const int kLineMargin = 8;
    ::SendMessageW(hList, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(WidestLine(hList) + kLineMargin), 0);
    ::SendMessageW(hList, LB_SETCURSEL, m_groups.empty() ? static_cast<WPARAM>(-1) : 0, 0);
    ShowGroup(m_groups.empty() ? -1 : 0);
}

void CDuplicatesDlg::OnGroupChange() {
    ShowGroup(static_cast<int>(::SendMessageW(GetDlgItem(IDC_DUP_GROUPS), LB_GETCURSEL, 0, 0)));
}

void CDuplicatesDlg::ShowGroup(int nGroup) {
    m_nGroup = nGroup >= 0 && nGroup < static_cast<int>(m_groups.size()) ? nGroup : -1;
    m_contacts.clear();
    if (m_nGroup >= 0) {
        for (int n : m_groups[static_cast<size_t>(m_nGroup)].contacts) {
            m_contacts.push_back(m_book.Contacts()[n]);
        }
    }
    m_choices.assign(CContact::kFieldCount, -1);
    m_bEdited = false;
    m_merged = MergeContacts(m_contacts, m_choices);
    // The columns: the field, the merged contact, then each contact of the group.
    m_fields.SetRedraw(FALSE);
    m_fields.DeleteAllItems();
    while (m_fields.SendMessage(LVM_DELETECOLUMN, 0) != FALSE) {
    }
    m_fields.InsertColumn(0, "Field", LVCFMT_LEFT, ScaleToDpi(kFieldColumnWidth, GetDpi()));
    m_fields.InsertColumn(1, "Merged contact", LVCFMT_LEFT, ScaleToDpi(kValueColumnWidth, GetDpi()));
    for (size_t i = 0; i < m_contacts.size(); ++i) {
        CString strHeading;
        strHeading.Format("%d. %s", static_cast<int>(i + 1), ListNameOf(m_contacts[i]).GetString());
        m_fields.InsertColumn(static_cast<int>(i + 2), strHeading, LVCFMT_LEFT, ScaleToDpi(kValueColumnWidth, GetDpi()));
    }
    m_fields.SetRedraw(TRUE);
    ShowMerged();
    ::EnableWindow(GetDlgItem(IDC_DUP_MERGE), m_nGroup >= 0);
    ::EnableWindow(GetDlgItem(IDC_DUP_EDIT), m_nGroup >= 0);
}

void CDuplicatesDlg::ShowMerged() {
    int nSelected = m_fields.GetNextItem(-1, LVNI_SELECTED);
    m_fields.SetRedraw(FALSE);
    m_fields.DeleteAllItems();
    int nRow = 0;
    for (int f = 0; f < CContact::kFieldCount && m_nGroup >= 0; ++f) {
        bool bAny = !m_merged.FieldAt(f).IsEmpty();
        for (const CContact& contact : m_contacts) {
            bAny = bAny || !contact.FieldAt(f).IsEmpty();
        }
        if (!bAny) {
            continue;
        }
        m_fields.InsertItem(nRow, Capitalised(CContact::FieldLabel(f)), f);
        m_fields.SetItemText(nRow, 1, OneLine(m_merged.DisplayText(f)));
        for (size_t i = 0; i < m_contacts.size(); ++i) {
            m_fields.SetItemText(nRow, static_cast<int>(i + 2), OneLine(m_contacts[i].DisplayText(f)));
        }
        ++nRow;
    }
    if (nSelected >= 0 && nSelected < nRow) {
        m_fields.SetItemState(nSelected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    m_fields.SetRedraw(TRUE);
}

void CDuplicatesDlg::Take(int nField, int nContact) {
    if (nField == CContact::fieldNote || nContact < 0 || nContact >= static_cast<int>(m_contacts.size()) ||
        m_contacts[static_cast<size_t>(nContact)].FieldAt(nField).IsEmpty()) {
        ::MessageBeep(MB_OK); // the note is every note together; an empty value is nothing to take
        return;
    }
    if (m_bEdited) {
        // The user's own edit stays; only this field changes, and the value it held moves to the note.
        m_merged.FieldAt(nField) = m_contacts[static_cast<size_t>(nContact)].FieldAt(nField);
        KeepEveryValue(m_merged, m_contacts);
    } else {
        // A name is taken whole: first and last name from the same contact.
        for (int f : {nField, IsName(nField) ? CContact::fieldFirstName + CContact::fieldLastName - nField : nField}) {
            m_choices[static_cast<size_t>(f)] = nContact;
        }
        m_merged = MergeContacts(m_contacts, m_choices);
    }
    ShowMerged();
}

void CDuplicatesDlg::OnFieldsDblClk(NMHDR* pHeader, LRESULT* pResult) {
    auto* pActivate = reinterpret_cast<NMITEMACTIVATE*>(pHeader);
    LVHITTESTINFO hit = {};
    hit.pt = pActivate->ptAction;
    if (m_fields.SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 && hit.iSubItem >= 2) {
        Take(static_cast<int>(m_fields.GetItemData(hit.iItem)), hit.iSubItem - 2);
    }
    *pResult = 0;
}

void CDuplicatesDlg::OnFieldsKeyDown(NMHDR* pHeader, LRESULT* pResult) {
    *pResult = 0;
    if (reinterpret_cast<NMLVKEYDOWN*>(pHeader)->wVKey != VK_SPACE) {
        return;
    }
    int nRow = m_fields.GetNextItem(-1, LVNI_FOCUSED);
    if (nRow < 0) {
        return;
    }
    // The next contact that holds another value than the merged contact's.
    int nField = static_cast<int>(m_fields.GetItemData(nRow));
    const CString& strMerged = m_merged.FieldAt(nField);
    int nCurrent = -1;
    for (size_t i = 0; i < m_contacts.size(); ++i) {
        nCurrent = m_contacts[i].FieldAt(nField) == strMerged ? static_cast<int>(i) : nCurrent;
    }
    for (size_t k = 1; k <= m_contacts.size(); ++k) {
        int nNext = (nCurrent + static_cast<int>(k)) % static_cast<int>(m_contacts.size());
        if (!m_contacts[static_cast<size_t>(nNext)].FieldAt(nField).IsEmpty() &&
            m_contacts[static_cast<size_t>(nNext)].FieldAt(nField) != strMerged) {
            Take(nField, nNext);
            return;
        }
    }
    ::MessageBeep(MB_OK); // no other value to take
}

void CDuplicatesDlg::OnEditMerged() {
    if (m_nGroup < 0) {
        return;
    }
    CContactDlg dlg(this);
    dlg.m_contact = m_merged;
    dlg.m_bNew = 1; // its Delete only leaves the editor
    dlg.m_pPhotos = &m_book.Photos();
    if (dlg.DoModal() == IDOK && dlg.m_bSaved && !dlg.m_bDeleted) {
        // A value cleared in the editor is still kept, as a further value: a merge loses nothing.
        m_merged = dlg.m_contact;
        KeepEveryValue(m_merged, m_contacts);
        m_bEdited = true;
        ShowMerged();
    }
}

void CDuplicatesDlg::OnMerge() {
    if (m_nGroup < 0) {
        return;
    }
    m_merge({m_groups[static_cast<size_t>(m_nGroup)].contacts, m_merged});
    if (!m_chosen.empty()) {
        EndDialog(IDOK);
        return;
    }
    // The book has sorted: the groups are found again.
    FindGroups();
    // The merge's button may have gone or been disabled, and the main window's list took the
    // focus to show the merged contact: the keys come back to this window, on the next group,
    // or on Close when none is left.
    HWND hNext = GetDlgItem(m_groups.empty() ? IDCANCEL : IDC_DUP_GROUPS);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hNext), TRUE);
}
