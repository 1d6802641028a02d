// Find Duplicates and Merge Selected with the real windows: the groups, a value taken for the
// merged contact, the merge and its undo, and the rows the user chose.
#include "MainWindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"

#include <algorithm>

namespace {

CContactArray Book() {
    CContactArray contacts;
    CContact anna = MakeContact("Meier", "Anna", "+49 30 1234567");
    anna.company = "Acme GmbH";
    CContact turned = MakeContact("Anna", "Meier");
    turned.homephone = "030 1234567";
    turned.company = "Acme";
    turned.note = "met in Rome";
    CContact bernd = MakeContact("Roth", "Bernd");
    bernd.homeemail = "family@roth.de";
    CContact carla = MakeContact("Roth", "Carla");
    carla.homeemail = "family@roth.de";
    for (const CContact& contact : {turned, anna, bernd, carla}) {
        contacts.Add(contact);
    }
    return contacts;
}

HWND DuplicatesWindow() {
    HWND hWnd = ::FindWindowA("#32770", "Tovano Address Book - Duplicates");
    return hWnd && ::IsWindowVisible(hWnd) ? hWnd : nullptr;
}

std::vector<std::string> GroupLines(HWND hWnd) {
    std::vector<std::string> lines;
    HWND hList = ::GetDlgItem(hWnd, IDC_DUP_GROUPS);
    for (int i = 0; i < ::SendMessageW(hList, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t szLine[256] = L"";
        ::SendMessageW(hList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(szLine));
        lines.push_back(FromWide(szLine).GetStdString());
    }
    return lines;
}

// The merged contact's value of a field as the window shows it.
std::string MergedCell(HWND hWnd, const char* pszField) {
    CListCtrl* pFields = static_cast<CListCtrl*>(CWnd::FromHandle(::GetDlgItem(hWnd, IDC_DUP_FIELDS)));
    for (int nRow = 0; nRow < pFields->GetItemCount(); ++nRow) {
        if (pFields->GetItemText(nRow, 0) == pszField) {
            return pFields->GetItemText(nRow, 1).GetStdString();
        }
    }
    return "(no row)";
}

// Every group's line can be read in full: the box scrolls sideways as far as its widest line.
void ExpectEveryLineReadable(HWND hWnd) {
    HWND hList = ::GetDlgItem(hWnd, IDC_DUP_GROUPS);
    RECT client = {};
    ::GetClientRect(hList, &client);
    int nReach = std::max(static_cast<int>(client.right),
                          static_cast<int>(::SendMessageW(hList, LB_GETHORIZONTALEXTENT, 0, 0)));
    HDC hDC = ::GetDC(hList);
    HGDIOBJ hOld = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hList, WM_GETFONT, 0, 0)));
    for (const std::string& strLine : GroupLines(hWnd)) {
        std::wstring strWide = ToWide(CString(strLine.c_str()));
        SIZE size = {};
        ::GetTextExtentPoint32W(hDC, strWide.c_str(), static_cast<int>(strWide.size()), &size);
        EXPECT_LE(size.cx, nReach) << strLine;
        // The scroll bar shows only while a line is wider than the box.
        EXPECT_TRUE(size.cx <= client.right || (::GetWindowLongW(hList, GWL_STYLE) & WS_HSCROLL)) << strLine;
    }
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hList, hDC);
}

std::string StatusLine(HWND hWnd) {
    char szText[256] = "";
    ::GetDlgItemTextA(hWnd, IDC_DUP_STATUS, szText, sizeof szText);
    return szText;
}

} // namespace

// The window lists both groups; Space takes the other company for the merged contact; Merge
// leaves one contact with every value, and Undo brings the file back as it was.
TEST_F(MainWindowTest, FindDuplicatesMergesAGroupAndUndoTakesItBack) {
    WriteBook(Book());
    const std::string strBefore = ReadBytes(BookPath());
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    HWND hWindow = nullptr;
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_FIND_DUPLICATES, 0); })
        .Then([&] { return (hWindow = DuplicatesWindow()) != nullptr; })
        .Do([&] {
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(hWindow));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(hWindow));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(hWindow));
            EXPECT_EQ((std::vector<std::string>{"Anna, Meier (2) - same name and phone",
                                                "Roth, Bernd (2) - same e-mail, other name"}),
                      GroupLines(hWindow));
            EXPECT_EQ("2 groups: 1 of one person for certain, 1 to check before merging.", StatusLine(hWindow));
            ExpectEveryLineReadable(hWindow);
            EXPECT_EQ("Acme GmbH", MergedCell(hWindow, "Company")); // the longer one
            CListCtrl* pFields = static_cast<CListCtrl*>(CWnd::FromHandle(::GetDlgItem(hWindow, IDC_DUP_FIELDS)));
            for (int nRow = 0; nRow < pFields->GetItemCount(); ++nRow) {
                if (pFields->GetItemText(nRow, 0) == "Company") {
                    pFields->SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                }
            }
            ::SetFocus(pFields->m_hWnd);
            PostKey(pFields->m_hWnd, VK_SPACE);
        })
        .Then([&] { return MergedCell(hWindow, "Company") == "Acme"; })
        .Do([&] { ::PostMessageW(hWindow, WM_COMMAND, IDC_DUP_MERGE, 0); })
        .Then([&] { return GroupLines(hWindow).size() == 1; })
        .Do([&] {
            // The keys reach the window again: the focus is on the group that is left.
            EXPECT_EQ(::GetDlgItem(hWindow, IDC_DUP_GROUPS), ::GetFocus());
            EXPECT_EQ("1 group: 0 of one person for certain, 1 to check before merging.", StatusLine(hWindow));
            EXPECT_EQ(3, dlg.List().GetItemCount());
            EXPECT_EQ("Merged 2 contacts into one. Undo (Ctrl+Z) takes the merge back.", StatusText(dlg));
            const CContact& merged = dlg.Book().Contacts()[dlg.List().RowContact(SelectedRows(dlg).at(0))];
            EXPECT_EQ("Acme", merged.company.GetStdString());
            EXPECT_EQ("030 1234567", merged.homephone.GetStdString());
            EXPECT_EQ("+49 30 1234567", merged.mobile.GetStdString());
            EXPECT_EQ("met in Rome", merged.note.GetStdString());
            EXPECT_TRUE(merged.values == std::vector<CContactValue>{FieldValueOf(CContact::fieldCompany, "Acme GmbH")});
            ::PostMessageW(hWindow, WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&] { return !::IsWindow(hWindow); })
        .Do([&] { PostKey(dlg.List().m_hWnd, 'Z', true); })
        .Then([&] { return dlg.List().GetItemCount() == 4 && ReadBytes(BookPath()) == strBefore; });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}

// Merge Selected shows the chosen rows as one group, and its merge ends the window.
TEST_F(MainWindowTest, MergeSelectedMergesTheChosenRows) {
    WriteBook(Book());
    CTestableDlg dlg(m_context);
    HWND hWindow = nullptr;
    CStepRunner steps;
    steps.Do([&] {
             dlg.List().DeselectAllRows();
             for (int nRow : {2, 3}) { // Roth, Bernd and Roth, Carla
                 dlg.List().SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
             }
             dlg.PostMessage(WM_COMMAND, ID_MERGE_SELECTED, 0);
         })
        .Then([&] { return (hWindow = DuplicatesWindow()) != nullptr; })
        .Do([&] {
            EXPECT_EQ(std::vector<std::string>{"Roth, Bernd (2) - chosen to merge"}, GroupLines(hWindow));
            ExpectEveryLineReadable(hWindow);
            ::PostMessageW(hWindow, WM_COMMAND, IDC_DUP_MERGE, 0);
        })
        .Then([&] { return !::IsWindow(hWindow); })
        .Do([&] {
            ASSERT_EQ(3, dlg.List().GetItemCount());
            const CContact& merged = dlg.Book().Contacts()[dlg.List().RowContact(SelectedRows(dlg).at(0))];
            EXPECT_EQ("Bernd", merged.firstname.GetStdString());
            EXPECT_TRUE(merged.note.IsEmpty());
            EXPECT_TRUE(merged.values == std::vector<CContactValue>{FieldValueOf(CContact::fieldFirstName, "Carla")});
        });
    steps.RunModal(dlg);
}
