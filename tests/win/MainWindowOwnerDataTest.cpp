// The main window's list holds no rows of its own: the row texts, the selection after rows leave
// or the order changes, and the keys, over a few contacts and over 100,000.
#include "MainWindowTestSupport.h"
#include "res/resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

CContactArray FiveContacts() {
    CContactArray contacts;
    for (const char* pszName : {"Adams", "Baker", "Clark", "Dunn", "Evans"}) {
        contacts.Add(MakeContact(pszName, "X"));
    }
    return contacts;
}

// 100,000 contacts whose names start with A to Y, 4,000 each, and one that starts with a digit.
const int kLargeCount = 100001;
CContactArray LargeBook() {
    CContactArray contacts;
    contacts.Reserve(kLargeCount);
    for (int i = 0; i < kLargeCount - 1; ++i) {
        CString strName;
        strName.Format("%c%05d", 'A' + i % 25, i);
        contacts.Add(MakeContact(strName, "X"));
    }
    contacts.Add(MakeContact("7-Eleven", "X"));
    return contacts;
}

// Every row's text is that of the contact the window takes it for.
void ExpectRowsShowTheirContacts(CTestableDlg& dlg) {
    for (int nRow = 0; nRow < dlg.List().GetItemCount(); ++nRow) {
        int nContact = dlg.List().RowContact(nRow);
        ASSERT_GE(nContact, 0) << "row " << nRow;
        EXPECT_EQ(dlg.Book().Contacts()[nContact].lastname, dlg.List().GetItemText(nRow, 0)) << "row " << nRow;
    }
}

int Focused(CTestableDlg& dlg) { return dlg.List().GetNextItem(-1, LVNI_FOCUSED); }
int TopRow(CTestableDlg& dlg) { return static_cast<int>(dlg.List().SendMessage(LVM_GETTOPINDEX)); }

} // namespace

// A row leaves with its contact; the selection of the rows below it moves up with them.
TEST_F(MainWindowTest, DeletedRowTakesItsSelectionAlongAndLeavesTheOthersOnTheirRows) {
    struct Case {
        const char* pszName;
        std::vector<int> shown; // empty: the full list
        std::vector<int> selected;
        int nRow;
        std::vector<std::string> names;
        std::vector<int> selectedAfter;
    };
    const Case cases[] = {
        {"last row", {}, {1, 4}, 4, {"Adams", "Baker", "Clark", "Dunn"}, {1}},
        {"last row, the only one selected", {}, {4}, 4, {"Adams", "Baker", "Clark", "Dunn"}, {}},
        {"middle row, selection below", {}, {0, 3, 4}, 2, {"Adams", "Baker", "Dunn", "Evans"}, {0, 2, 3}},
        {"selected row among others", {}, {2, 3}, 2, {"Adams", "Baker", "Dunn", "Evans"}, {2}},
        {"last row of a result", {1, 3, 4}, {0, 2}, 2, {"Baker", "Dunn"}, {0}},
        {"first row of a result", {1, 3, 4}, {1, 2}, 0, {"Dunn", "Evans"}, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        WriteBook(FiveContacts());
        CTestableDlg dlg(m_context);
        CStepRunner()
            .Do([&] {
                if (!c.shown.empty()) {
                    dlg.List().ShowContacts(dlg.Book().Contacts(), c.shown);
                }
                dlg.List().SelectRows(c.selected);
                EXPECT_TRUE(dlg.Commands().DeleteRow(c.nRow).bChanged);
                EXPECT_EQ(c.names, LastNames(dlg));
                EXPECT_EQ(c.selectedAfter, SelectedRows(dlg));
                EXPECT_LT(Focused(dlg), dlg.List().GetItemCount());
                ExpectRowsShowTheirContacts(dlg);
            })
            .RunModal(dlg);
    }
}

// An edit sorts the contact to its new place: the full list comes back, every row shows the text
// of its contact there, and only the edited contact is selected.
TEST_F(MainWindowTest, EditedContactIsShownAndSelectedAtItsNewPlace) {
    struct Case {
        const char* pszName;
        std::vector<int> shown; // empty: the full list
        int nRow;
        const char* pszNewName;
        std::vector<std::string> names;
        int nSelected;
    };
    const Case cases[] = {
        {"to the end", {}, 0, "Zeller", {"Baker", "Clark", "Dunn", "Evans", "Zeller"}, 4},
        {"to the top", {}, 4, "Aaron", {"Aaron", "Adams", "Baker", "Clark", "Dunn"}, 0},
        {"from a result", {1, 3}, 1, "Able", {"Able", "Adams", "Baker", "Clark", "Evans"}, 0},
        {"staying in place", {}, 2, "Cole", {"Adams", "Baker", "Cole", "Dunn", "Evans"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        WriteBook(FiveContacts());
        CTestableDlg dlg(m_context);
        CStepRunner()
            .Do([&] {
                if (!c.shown.empty()) {
                    dlg.List().ShowContacts(dlg.Book().Contacts(), c.shown);
                }
                dlg.List().SelectRows({0, c.nRow});
                int nIndex = dlg.List().RowContact(c.nRow);
                CContact edited = dlg.Book().Contacts()[nIndex];
                edited.lastname = c.pszNewName;
                dlg.Commands().Commit(dlg.Commands().StoreEditedContact(nIndex, edited));
                EXPECT_EQ(c.names, LastNames(dlg));
                EXPECT_EQ(std::vector<int>{c.nSelected}, SelectedRows(dlg));
                EXPECT_EQ(c.nSelected, Focused(dlg));
                ExpectRowsShowTheirContacts(dlg);
            })
            .RunModal(dlg);
    }
}

// A search and its end each show a new order from the top with nothing selected: no selection of
// the order before stays on the row numbers.
TEST_F(MainWindowTest, SearchAndItsEndStartWithNothingSelected) {
    WriteBook(FiveContacts());
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner()
        .Do([&] {
            dlg.List().SelectRows({0, 1, 3});
            ::SetDlgItemTextA(dlg.m_hWnd, IDC_SEARCH_EDIT, "n"); // Dunn, Evans
            dlg.SearchButton().SetCheck(BST_CHECKED);
            dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
            EXPECT_EQ((std::vector<std::string>{"Dunn", "Evans"}), LastNames(dlg));
            EXPECT_TRUE(SelectedRows(dlg).empty());
            EXPECT_EQ(-1, Focused(dlg));
            dlg.List().SelectRows({1});
            dlg.SearchButton().SetCheck(BST_UNCHECKED);
            dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
            EXPECT_EQ((std::vector<std::string>{"Adams", "Baker", "Clark", "Dunn", "Evans"}), LastNames(dlg));
            EXPECT_TRUE(SelectedRows(dlg).empty());
            EXPECT_EQ(-1, Focused(dlg));
            ExpectRowsShowTheirContacts(dlg);
        })
        .RunModal(dlg);
}

// With 100,000 rows: the letter jump, the list's own type-ahead for a digit, Ctrl+A, Escape back
// to the top, and Delete of the last row.
TEST_F(MainWindowTest, KeysAndDeleteWorkOnAHundredThousandRows) {
    WriteBook(LargeBook());
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    HWND hList = nullptr;
    CStepRunner()
        .Then([&] { return dlg.List().GetItemCount() == kLargeCount; })
        .Do([&] {
            hList = dlg.List().m_hWnd;
            EXPECT_EQ("7-Eleven", dlg.List().GetItemText(0, 0).GetStdString());
            PostKey(hList, 'M');
        })
        .Then([&] { return SelectedRows(dlg).size() == 1 && SelectedRows(dlg)[0] > 0; })
        .Do([&] {
            int nRow = SelectedRows(dlg)[0];
            EXPECT_EQ('M', dlg.List().GetItemText(nRow, 0)[0]);
            EXPECT_EQ('L', dlg.List().GetItemText(nRow - 1, 0)[0]);
            EXPECT_GT(TopRow(dlg), 0); // scrolled to it
            // Not a letter: the list's own type-ahead finds the row.
            dlg.List().SendMessage(WM_CHAR, '7', 1);
            EXPECT_EQ(std::vector<int>{0}, SelectedRows(dlg));
            EXPECT_EQ(0, Focused(dlg));
            PostKey(hList, 'A', true);
        })
        .Then([&] { return dlg.List().GetSelectedCount() == kLargeCount; })
        .Do([&] {
            SetControlKey(false);
            PostKey(hList, 'Y');
        })
        .Then([&] { return SelectedRows(dlg).size() == 1 && TopRow(dlg) > kLargeCount / 2; })
        .Do([&] {
            PostKey(hList, VK_ESCAPE);
        })
        .Then([&] { return TopRow(dlg) == 0; })
        .Do([&] {
            EXPECT_EQ(0, dlg.List().GetSelectedCount());
            int nLast = kLargeCount - 1;
            std::string strBefore = dlg.List().GetItemText(nLast - 1, 0).GetStdString();
            dlg.List().SelectRow(nLast);
            dlg.SendMessage(WM_COMMAND, IDC_DELETE, 0);
            ASSERT_EQ(1u, answerer.m_boxes.size());
            EXPECT_EQ(nLast, dlg.List().GetItemCount());
            EXPECT_EQ(nLast, dlg.Book().Contacts().GetSize());
            EXPECT_EQ(strBefore, dlg.List().GetItemText(nLast - 1, 0).GetStdString());
            EXPECT_EQ(0, dlg.List().GetSelectedCount());
            EXPECT_EQ(nLast - 1, dlg.List().RowContact(nLast - 1));
            EXPECT_EQ(-1, dlg.List().RowContact(nLast));
        })
        .RunModal(dlg);
}
