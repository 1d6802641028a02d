// The main window's optional Birthday column: the header's menu shows and hides it, its cells
// write the dates as the user's settings do, a click on its header orders the rows by the next
// birthday, and the registry keeps it between runs.
#include "MainWindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/main/SettingsLogic.h"

namespace {

CContact WithBirthday(const char* pszLast, const CString& strDate) {
    CContact contact = MakeContact(pszLast, "");
    contact.values = {{EValueKind::date, "birthday", "", strDate}};
    return contact;
}

// The date as the user's short date format writes it.
std::string ShortDate(const CString& strDate) {
    CValueDate date;
    EXPECT_TRUE(ParseValueDate(strDate, date));
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(date.nYear);
    time.wMonth = static_cast<WORD>(date.nMonth);
    time.wDay = static_cast<WORD>(date.nDay);
    wchar_t szText[80] = L"";
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, szText, 80);
    return FromWide(szText).GetStdString();
}

HWND Header(CTestableDlg& dlg) { return reinterpret_cast<HWND>(dlg.List().SendMessage(LVM_GETHEADER)); }

// Whether the column's header shows the arrow of an ascending order.
bool HasSortArrow(CTestableDlg& dlg, int nColumn) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    ::SendMessageW(Header(dlg), HDM_GETITEMW, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&item));
    return (item.fmt & HDF_SORTUP) != 0;
}

int HeaderCount(CTestableDlg& dlg) {
    return static_cast<int>(::SendMessageW(Header(dlg), HDM_GETITEMCOUNT, 0, 0));
}

// A click of this mouse button on the middle of a column's header, as the mouse gives it.
void ClickHeader(CTestableDlg& dlg, int nColumn, UINT nDown, UINT nUp) {
    RECT rc = {};
    ::SendMessageW(Header(dlg), HDM_GETITEMRECT, static_cast<WPARAM>(nColumn), reinterpret_cast<LPARAM>(&rc));
    const LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::PostMessageW(Header(dlg), nDown, nDown == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, lPoint);
    ::PostMessageW(Header(dlg), nUp, 0, lPoint);
}

// The shown popup menu's items as "text:checked,greyed", after which Birthday is chosen by its
// mnemonic as a user types it. Empty while no menu is shown.
std::vector<std::string> ChooseBirthdayFromMenu() {
    HWND hPopup = ::FindWindowA("#32768", nullptr);
    if (!hPopup || !::IsWindowVisible(hPopup)) {
        return {};
    }
    auto hMenu = reinterpret_cast<HMENU>(::SendMessageW(hPopup, MN_GETHMENU, 0, 0));
    std::vector<std::string> items;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        char szText[64] = "";
        ::GetMenuStringA(hMenu, static_cast<UINT>(i), szText, sizeof szText, MF_BYPOSITION);
        const UINT nState = ::GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back(std::string(szText) + ":" + ((nState & MF_CHECKED) ? "1" : "0") + "," +
                        ((nState & MF_GRAYED) ? "1" : "0"));
    }
    ::PostMessageW(hPopup, WM_CHAR, 'b', 0);
    return items;
}

const std::vector<std::string> kFixedItems = {
    "Last Name:1,1",     "First Name:1,1", "Phone (home):1,1",   "Mobile:1,1",
    "E-Mail (home):1,1", "Company:1,1",    "Phone (office):1,1", "E-Mail (office):1,1",
};

} // namespace

// The header's right click offers the column; its cells show the dates, a click on its header
// orders the rows by the next birthday and a second click by name, the selection kept both times.
TEST_F(MainWindowTest, TheBirthdayColumnShowsTheDatesAndOrdersByTheNextBirthday) {
    const CString strAdams = DateFromToday(45, 1988), strClark = DateFromToday(0, 0),
                  strDunn = DateFromToday(10, 1992);
    CContactArray contacts;
    for (const CContact& contact : {WithBirthday("Adams", strAdams), MakeContact("Baker", "Bob"),
                                    WithBirthday("Clark", strClark), WithBirthday("Dunn", strDunn)}) {
        contacts.Add(contact);
    }
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    std::vector<std::string> menu;
    CStepRunner steps;
    steps.Do([&] {
        dlg.MoveWindow(0, 0, 1000, 500);
        EXPECT_EQ(kColumnCount, HeaderCount(dlg)); // hidden until asked for
        dlg.List().SelectRow(3);
        ClickHeader(dlg, 1, WM_RBUTTONDOWN, WM_RBUTTONUP);
    });
    steps.Then([&] { return !(menu = ChooseBirthdayFromMenu()).empty(); });
    steps.Then([&] { return HeaderCount(dlg) == kColumnCount + 1; }).Do([&] {
        std::vector<std::string> expected = kFixedItems;
        expected.push_back("&Birthday:0,0");
        EXPECT_EQ(expected, menu);
        EXPECT_EQ(ShortDate(strAdams), dlg.List().GetItemText(0, kBirthdayColumn).GetStdString());
        EXPECT_EQ("", dlg.List().GetItemText(1, kBirthdayColumn).GetStdString());
        // Without its year the date is the short date's day and month alone.
        const std::string strMonthDay = dlg.List().GetItemText(2, kBirthdayColumn).GetStdString();
        const std::string strInLeapYear = ShortDate("2000" + strClark.Mid(1));
        EXPECT_FALSE(strMonthDay.empty());
        EXPECT_EQ(std::string::npos, strMonthDay.find("2000"));
        EXPECT_NE(std::string::npos, strInLeapYear.find(strMonthDay)) << strInLeapYear;
        ClickHeader(dlg, kColumnCount - 1, WM_LBUTTONDOWN, WM_LBUTTONUP); // no order of its own
        ClickHeader(dlg, kBirthdayColumn, WM_LBUTTONDOWN, WM_LBUTTONUP);
    });
    steps.Then([&] { return dlg.List().IsSortedByBirthday(); }).Do([&] {
        EXPECT_EQ((std::vector<std::string>{"Clark", "Dunn", "Adams", "Baker"}), LastNames(dlg));
        EXPECT_EQ(std::vector<int>{1}, SelectedRows(dlg));
        EXPECT_EQ(1, dlg.List().GetNextItem(-1, LVNI_FOCUSED));
        EXPECT_TRUE(HasSortArrow(dlg, kBirthdayColumn));
        ClickHeader(dlg, kBirthdayColumn, WM_LBUTTONDOWN, WM_LBUTTONUP);
    });
    steps.Then([&] { return !dlg.List().IsSortedByBirthday(); }).Do([&] {
        EXPECT_EQ((std::vector<std::string>{"Adams", "Baker", "Clark", "Dunn"}), LastNames(dlg));
        EXPECT_EQ(std::vector<int>{3}, SelectedRows(dlg));
        EXPECT_FALSE(HasSortArrow(dlg, kBirthdayColumn));
    });
    steps.RunModal(dlg);
}

// Shown or hidden and the width are kept at exit beside the other columns, whose values stay as
// they were, and the next window comes back with them.
TEST_F(MainWindowTest, TheBirthdayColumnIsKeptInTheRegistryAcrossARestart) {
    CContactArray contacts;
    contacts.Add(WithBirthday("Adams", "1980-05-17"));
    WriteBook(contacts);
    {
        CTestableDlg dlg(m_context);
        CStepRunner steps;
        steps.Do([&] { ClickHeader(dlg, 0, WM_RBUTTONDOWN, WM_RBUTTONUP); });
        steps.Then([&] { return !ChooseBirthdayFromMenu().empty(); });
        steps.Then([&] { return HeaderCount(dlg) == kColumnCount + 1; }).Do([&] {
            EXPECT_EQ(kDefaultColumnWidth, dlg.List().GetColumnWidth(kBirthdayColumn));
            dlg.List().SendMessage(LVM_SETCOLUMNWIDTH, kBirthdayColumn, 130);
            dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT, 0);
        });
        steps.ThenProgramEnds().RunModal(dlg);
    }
    EXPECT_EQ(1, ReadSetting(kBirthdayColumnValueName, -1));
    EXPECT_EQ(130, ReadSetting(kBirthdayWidthValueName, -1));
    EXPECT_EQ(kDefaultColumnWidth, ReadSetting("LastNameWidth", -1));
    EXPECT_EQ(kDefaultColumnWidth, ReadSetting("OfficeEMailWidth", -1));

    CTestableDlg dlg(m_context);
    std::vector<std::string> menu;
    CStepRunner steps;
    steps.Do([&] {
        ASSERT_EQ(kColumnCount + 1, HeaderCount(dlg));
        EXPECT_EQ(130, dlg.List().GetColumnWidth(kBirthdayColumn));
        EXPECT_EQ(ShortDate("1980-05-17"), dlg.List().GetItemText(0, kBirthdayColumn).GetStdString());
        // The list menu's item, the keyboard's way, hides and shows it again.
        dlg.SendMessage(WM_COMMAND, ID_BIRTHDAY_COLUMN, 0);
        EXPECT_EQ(kColumnCount, HeaderCount(dlg));
        dlg.SendMessage(WM_COMMAND, ID_BIRTHDAY_COLUMN, 0);
        EXPECT_EQ(130, dlg.List().GetColumnWidth(kBirthdayColumn));
        ClickHeader(dlg, 0, WM_RBUTTONDOWN, WM_RBUTTONUP);
    });
    steps.Then([&] { return !(menu = ChooseBirthdayFromMenu()).empty(); });
    steps.Then([&] { return HeaderCount(dlg) == kColumnCount; }).Do([&] {
        EXPECT_EQ("&Birthday:1,0", menu.back());
        dlg.SendMessage(WM_COMMAND, ID_TRAY_EXIT, 0);
    });
    steps.ThenProgramEnds().RunModal(dlg);
    EXPECT_EQ(0, ReadSetting(kBirthdayColumnValueName, -1));
    EXPECT_EQ(130, ReadSetting(kBirthdayWidthValueName, -1)); // kept for the next time it shows
}
