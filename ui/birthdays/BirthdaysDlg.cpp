#include "BirthdaysDlg.h"

#include "framework/core/WideText.h"
#include "res/resource.h"

#include <commctrl.h>

#include <iterator>
#include <string>

namespace {

enum { columnDate, columnName, columnOccasion, columnYears };

// The day as the user's settings write a date, with its day of the week.
CString DayText(const CValueDate& date) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(date.nYear);
    time.wMonth = static_cast<WORD>(date.nMonth);
    time.wDay = static_cast<WORD>(date.nDay);
    wchar_t szDay[16] = L"";
    wchar_t szDate[64] = L"";
    ::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, L"ddd", szDay, 16);
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, szDate, 64);
    return FromWide(szDay) + " " + FromWide(szDate);
}

} // namespace

const CMessageTable* CBirthdaysDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CBirthdaysDlg::OnOpen>(IDC_BIRTHDAY_OPEN),
        OnNotify<&CBirthdaysDlg::OnListDblClk>(IDC_BIRTHDAY_LIST, NM_DBLCLK),
        OnNotify<&CBirthdaysDlg::OnListCustomDraw>(IDC_BIRTHDAY_LIST, NM_CUSTOMDRAW),
        OnNotify<&CBirthdaysDlg::OnListItemChanged>(IDC_BIRTHDAY_LIST, LVN_ITEMCHANGED),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CBirthdaysDlg::CBirthdaysDlg(const CContactArray& contacts, const CValueDate& today, CWnd* pParent)
    : CDialog(IDD_BIRTHDAYS, pParent), m_contacts(contacts), m_dates(UpcomingDates(contacts, today, kDays)) {}

void CBirthdaysDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BIRTHDAY_LIST, m_list);
}

void CBirthdaysDlg::MakeBoldFont() {
    LOGFONTW font = {};
    if (::GetObjectW(reinterpret_cast<HFONT>(m_list.SendMessage(WM_GETFONT)), sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        m_bold.Attach(::CreateFontIndirectW(&font));
    }
}

void CBirthdaysDlg::OnDpiChanged(int, int) { MakeBoldFont(); }

BOOL CBirthdaysDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT client;
    m_list.GetClientRect(&client);
    const int nWidth = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    m_list.InsertColumn(columnDate, "Date", LVCFMT_LEFT, nWidth * 3 / 10);
    m_list.InsertColumn(columnName, "Name", LVCFMT_LEFT, nWidth * 4 / 10);
    m_list.InsertColumn(columnOccasion, "Occasion", LVCFMT_LEFT, nWidth * 3 / 20);
    m_list.InsertColumn(columnYears, "Age", LVCFMT_LEFT, nWidth - nWidth * 3 / 10 - nWidth * 4 / 10 - nWidth * 3 / 20);
    for (size_t i = 0; i < m_dates.size(); ++i) {
        const CUpcomingDate& date = m_dates[i];
        const int nRow = static_cast<int>(i);
        m_list.InsertItem(nRow, DayText(date.when), static_cast<LPARAM>(i));
        m_list.SetItemText(nRow, columnName, ListNameOf(m_contacts[date.nContact]));
        m_list.SetItemText(nRow, columnOccasion, date.bBirthday ? "Birthday" : "Anniversary");
        m_list.SetItemText(nRow, columnYears, YearsText(date).c_str());
    }
    CString strTitle;
    if (m_dates.empty()) {
        strTitle.Format("No birthday or anniversary in the next %d days.", kDays);
    } else {
        strTitle.Format("Birthdays and anniversaries of the next %d days, today's in bold:", kDays);
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    SetDlgItemText(IDC_BIRTHDAY_TITLE, strTitle);
    MakeBoldFont();
    ::EnableWindow(GetDlgItem(IDC_BIRTHDAY_OPEN), !m_dates.empty());
    // The list takes the keys: Enter opens the selected row.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
    return FALSE;
}

void CBirthdaysDlg::OnOpen() {
    const int nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (nRow < 0) {
        return;
    }
    m_nChosen = m_dates[static_cast<size_t>(m_list.GetItemData(nRow))].nContact;
    EndDialog(IDOK);
}

void CBirthdaysDlg::OnListDblClk(NMHDR* pHeader, LRESULT*) {
    if (reinterpret_cast<NMITEMACTIVATE*>(pHeader)->iItem >= 0) {
        OnOpen();
    }
}

void CBirthdaysDlg::OnListItemChanged(NMHDR*, LRESULT*) {
    ::EnableWindow(GetDlgItem(IDC_BIRTHDAY_OPEN), m_list.GetNextItem(-1, LVNI_SELECTED) >= 0);
}

void CBirthdaysDlg::OnListCustomDraw(NMHDR* pHeader, LRESULT* pResult) {
    auto* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(pHeader);
    if (pDraw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *pResult = CDRF_NOTIFYITEMDRAW;
    } else if (pDraw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && m_bold.GetSafeHandle()) {
        const size_t nDate = static_cast<size_t>(pDraw->nmcd.lItemlParam);
        if (nDate < m_dates.size() && m_dates[nDate].nDaysAway == 0) {
            ::SelectObject(pDraw->nmcd.hdc, m_bold.GetSafeHandle());
            *pResult = CDRF_NEWFONT;
        }
    }
}

CValueDate LocalToday() {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return CValueDate{now.wYear, now.wMonth, now.wDay};
}
