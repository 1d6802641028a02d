#include "ContactListView.h"

#include "data/UpcomingDates.h"
#include "framework/base/Handles.h"
#include "framework/core/WideText.h"
#include "ui/birthdays/BirthdaysDlg.h"

#include <windowsx.h>

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

const char kBirthdayHeading[] = "Birthday";
const wchar_t kBirthdayMenuText[] = L"&Birthday";
// The column menu's commands: column n is command kFirstColumnCommand + n. The menu returns its
// choice, so these numbers never reach the window's commands.
const UINT kFirstColumnCommand = 1;

// The contact's birthday as the user's settings write a date; empty when it has none.
std::wstring BirthdayText(const CContact& contact) {
    CValueDate date;
    if (!FindBirthday(contact, date)) {
        return std::wstring();
    }
    wchar_t szShortDate[80] = L"";
    if (!date.nYear) {
        // A failure leaves the picture empty, which the format turns into one of its own.
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, szShortDate,
                         static_cast<int>(std::size(szShortDate)));
    }
    const CDateCellFormat format = ChooseDateCellFormat(date, FromWide(szShortDate));
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(format.day.nYear);
    time.wMonth = static_cast<WORD>(format.day.nMonth);
    time.wDay = static_cast<WORD>(format.day.nDay);
    const std::wstring picture = ToWide(format.strPicture);
    wchar_t szText[80] = L"";
    if (!::GetDateFormatW(LOCALE_USER_DEFAULT, format.bShortDate ? DATE_SHORTDATE : 0, &time,
                          format.bShortDate ? nullptr : picture.c_str(), szText,
                          static_cast<int>(std::size(szText)))) {
        return ToWide(ValueDateText(date)); // still a date the user can read
    }
    return szText;
}

} // namespace

void CContactListView::CreateColumns(const CListColumns& columns, int nDpi) {
    m_nDpi = nDpi;
    // Each column goes in at position 0, so they are inserted from the last to the first.
    for (int nColumn = kColumnCount - 1; nColumn >= 0; --nColumn) {
        InsertColumn(0, kColumnHeadings[nColumn], LVCFMT_RIGHT, ScaleToDpi(columns.widths[nColumn], m_nDpi));
    }
    m_nBirthdayWidth = columns.nBirthdayWidth;
    ShowBirthdayColumn(columns.bBirthdayShown);
}

void CContactListView::ReadColumns(CListColumns& columns) const {
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        columns.widths[nColumn] = UnscaleFromDpi(GetColumnWidth(nColumn), m_nDpi);
    }
    columns.nBirthdayWidth =
        m_bBirthdayShown ? UnscaleFromDpi(GetColumnWidth(kBirthdayColumn), m_nDpi) : m_nBirthdayWidth;
    columns.bBirthdayShown = m_bBirthdayShown;
}

void CContactListView::ShowBirthdayColumn(bool bShow) {
    if (bShow == m_bBirthdayShown) {
        return;
    }
    if (bShow) {
        if (InsertColumn(kBirthdayColumn, kBirthdayHeading, LVCFMT_RIGHT, ScaleToDpi(m_nBirthdayWidth, m_nDpi)) !=
            kBirthdayColumn) {
            return;
        }
        m_bBirthdayShown = true;
        return;
    }
    // An order by a column no longer there could not be told from the name order.
    if (m_bByBirthday) {
        SortByBirthday(false);
    }
    const int nWidth = GetColumnWidth(kBirthdayColumn);
    if (SendMessage(LVM_DELETECOLUMN, kBirthdayColumn)) {
        m_nBirthdayWidth = SaneColumnWidth(UnscaleFromDpi(nWidth, m_nDpi));
        m_bBirthdayShown = false;
    }
}

const CMessageTable* CContactListView::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnNotifyReflect<&CContactListView::OnGetDispInfo>(LVN_GETDISPINFOW),
        OnNotifyReflect<&CContactListView::OnFindItem>(LVN_ODFINDITEMW),
        OnNotifyReflect<&CContactListView::OnColumnClick>(LVN_COLUMNCLICK),
        OnMessageUnlessDeclined<&CContactListView::OnContextMenu>(WM_CONTEXTMENU),
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
        item.iSubItem > (m_bBirthdayShown ? kBirthdayColumn : kColumnCount - 1)) {
        return TRUE;
    }
    const CContact& contact = m_pContacts->ElementAt(nContact);
    // The cells show what the user typed, not the stored form.
    std::wstring text = item.iSubItem == kBirthdayColumn
                            ? BirthdayText(contact)
                            : ToWide(contact.DisplayText(kColumnFields[item.iSubItem]));
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

BOOL CContactListView::OnColumnClick(NMHDR* pHeader, LRESULT*) {
    if (!m_bBirthdayShown || reinterpret_cast<const NMLISTVIEW*>(pHeader)->iSubItem != kBirthdayColumn) {
        return FALSE;
    }
    SortByBirthday(!m_bByBirthday);
    return TRUE;
}

BOOL CContactListView::OnContextMenu(WPARAM wParam, LPARAM lParam, LRESULT*) {
    const HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    if (!hHeader || reinterpret_cast<HWND>(wParam) != hHeader) {
        return FALSE;
    }
    // The header never has the focus, so the menu always comes from the mouse, at its point.
    ShowColumnMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return TRUE;
}

void CContactListView::ShowColumnMenu(POINT ptScreen) {
    CMenu menu(::CreatePopupMenu());
    if (!menu) {
        return;
    }
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        ::AppendMenuW(menu, MF_STRING | MF_CHECKED | MF_GRAYED, kFirstColumnCommand + nColumn,
                      ToWide(kColumnHeadings[nColumn]).c_str());
    }
    ::AppendMenuW(menu, MF_STRING | (m_bBirthdayShown ? MF_CHECKED : MF_UNCHECKED),
                  kFirstColumnCommand + kBirthdayColumn, kBirthdayMenuText);
    const UINT nChosen = static_cast<UINT>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr));
    if (nChosen == kFirstColumnCommand + kBirthdayColumn) {
        ShowBirthdayColumn(!m_bBirthdayShown);
    }
}

void CContactListView::SortByBirthday(bool bByBirthday) {
    if (!m_pContacts) {
        return;
    }
    std::vector<int> rowContacts = m_order.RowContacts();
    if (bByBirthday) {
        rowContacts = BirthdayOrder(*m_pContacts, std::move(rowContacts), LocalToday());
    } else {
        std::sort(rowContacts.begin(), rowContacts.end()); // the book keeps its contacts in name order
    }
    std::vector<int> selected;
    for (int nRow : SelectedRows()) {
        selected.push_back(RowContact(nRow));
    }
    const int nFocusContact = RowContact(GetNextItem(-1, LVNI_FOCUSED));
    SetRedraw(FALSE);
    ForgetSelection();
    m_order.Show(std::move(rowContacts));
    for (int nRow : m_order.RowsShowing(selected)) {
        SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
    const std::vector<int> focused = m_order.RowsShowing({nFocusContact});
    if (!focused.empty()) {
        SetItemState(focused.front(), LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessage(LVM_SETSELECTIONMARK, 0, focused.front());
    }
    // The new order is read from the top, unless the user is working on a contact further down.
    if (m_order.GetCount() > 0) {
        EnsureVisible(focused.empty() ? 0 : focused.front(), FALSE);
    }
    SetRedraw(TRUE);
    Invalidate(FALSE);
    m_bByBirthday = bByBirthday;
    ShowSortMark();
}

void CContactListView::ShowSortMark() {
    const HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!m_bBirthdayShown || !hHeader ||
        !::SendMessageW(hHeader, HDM_GETITEMW, kBirthdayColumn, reinterpret_cast<LPARAM>(&item))) {
        return;
    }
    item.fmt = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | (m_bByBirthday ? HDF_SORTUP : 0);
    ::SendMessageW(hHeader, HDM_SETITEMW, kBirthdayColumn, reinterpret_cast<LPARAM>(&item));
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
    m_bByBirthday = false;
    ShowSortMark();
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
