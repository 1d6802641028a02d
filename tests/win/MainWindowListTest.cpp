// The main window's contact list: loading, rows, selection, keys and layout.
#include "MainWindowTestSupport.h"
#include "data/ContactSort.h"
#include "res/resource.h"

namespace {

CContactArray SampleBook() {
    CContactArray contacts;
    contacts.Add(MakeContact("Zeta", "Zoe", "555 0109"));
    contacts.Add(MakeContact("king", "Karl"));
    contacts.Add(MakeContact("Adams", "Ann", "555 0101"));
    contacts.Add(MakeContact("Kent", "Clark"));
    contacts.Add(MakeContact("brown", "bob"));
    return contacts;
}

HWND Focus() { return ::GetFocus(); }

} // namespace

TEST_F(MainWindowTest, ListShowsTheContactsSortedWithTheirIndexes) {
    CContactArray contacts = SampleBook();
    contacts[2].company = "Acme";
    contacts[2].officeemail = "ann@acme.example";
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "brown,bob", "Kent,Clark", "king,Karl", "Zeta,Zoe"}),
                      Rows(dlg));
            EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), RowData(dlg));
            EXPECT_EQ("555 0101", dlg.List().GetItemText(0, 3));
            EXPECT_EQ("Acme", dlg.List().GetItemText(0, 5));
            EXPECT_EQ("ann@acme.example", dlg.List().GetItemText(0, 7));
            EXPECT_TRUE(SelectedRows(dlg).empty());
            EXPECT_TRUE(dlg.m_commands.empty()); // a list with contacts does not open the editor
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, EmptyOrMissingAddressBookAsksForANewContact) {
    CTestableDlg dlg(m_context);
    CStepRunner().Then([&] { return !dlg.m_commands.empty(); }).RunModal(dlg);
    EXPECT_EQ(std::vector<UINT>{IDC_ADD_NEW}, dlg.m_commands);
    EXPECT_EQ(0, dlg.List().GetItemCount());
}

TEST_F(MainWindowTest, ColumnsAndStatusBarAreSetUp) {
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            const char* const headings[] = {"Last Name",     "First Name", "Phone (home)",   "Mobile",
                                            "E-Mail (home)", "Company",    "Phone (office)", "E-Mail (office)"};
            HWND hHeader = reinterpret_cast<HWND>(dlg.List().SendMessage(LVM_GETHEADER));
            ASSERT_EQ(8, static_cast<int>(::SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0)));
            for (int c = 0; c < 8; ++c) {
                char szText[64] = "";
                LVCOLUMNA column = {};
                column.mask = LVCF_TEXT | LVCF_WIDTH;
                column.pszText = szText;
                column.cchTextMax = sizeof szText;
                dlg.List().SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
                EXPECT_STREQ(headings[c], szText);
                EXPECT_EQ(100, column.cx);
            }
            DWORD dwStyle = static_cast<DWORD>(dlg.List().SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
            EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP), dwStyle);
            char szStatus[64] = "";
            dlg.StatusBar().SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(szStatus));
            EXPECT_STREQ("Tovano Address Book", szStatus);
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowAndKeepsItsMinimumSize) {
    CTestableDlg dlg(m_context);
    auto checkLayout = [&] {
        RECT client;
        dlg.GetClientRect(&client);
        RECT list;
        dlg.List().GetWindowRect(&list);
        ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&list), 2);
        EXPECT_EQ(11, list.left);
        EXPECT_EQ(74, list.top);
        EXPECT_EQ(client.right - 11, list.right);
        EXPECT_EQ(client.bottom - 24, list.bottom);
        RECT status;
        dlg.StatusBar().GetWindowRect(&status);
        ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&status), 2);
        EXPECT_EQ(client.bottom, status.bottom);
    };
    CStepRunner()
        .Do(checkLayout)
        .Do([&] { dlg.MoveWindow(20, 20, 900, 600); })
        .Do(checkLayout)
        .Do([&] {
            MINMAXINFO info = {};
            dlg.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
            EXPECT_EQ(620, info.ptMinTrackSize.x);
            EXPECT_EQ(240, info.ptMinTrackSize.y);
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, LettersJumpToTheFirstMatchingName) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] { ::SetFocus(dlg.GetDlgItem(IDOK)); }) // the user tabs away from the search box
        .Do([&] { PostKey(dlg.GetDlgItem(IDOK), 'K'); })
        .Then([&] { return SelectedRows(dlg) == std::vector<int>{2}; })
        .Do([&] {
            EXPECT_EQ(dlg.List().m_hWnd, Focus());
            PostKey(dlg.List().m_hWnd, 'M'); // none: the last one lower, king
        })
        .Then([&] { return SelectedRows(dlg) == std::vector<int>{3}; })
        .Do([&] { PostKey(dlg.List().m_hWnd, 'A'); })
        .Then([&] { return SelectedRows(dlg) == std::vector<int>{0}; })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, LetterOnASearchResultSelectsAmongTheRowsShown) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            dlg.List().ShowContacts(dlg.Book().Contacts(), {1, 4}); // a search result: brown and Zeta
            PostKey(dlg.List().m_hWnd, 'Z');
        })
        .Then([&] { return SelectedRows(dlg) == std::vector<int>{1}; })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, CtrlASelectsEveryRowEvenFromTheSearchBox) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            ::SetFocus(dlg.GetDlgItem(IDC_SEARCH_EDIT));
            PostKey(dlg.GetDlgItem(IDC_SEARCH_EDIT), 'A', true);
        })
        .Then([&] { return SelectedRows(dlg).size() == 5; })
        .Do([&] {
            SetControlKey(false);
            char szText[16] = "";
            ::GetDlgItemTextA(dlg.m_hWnd, IDC_SEARCH_EDIT, szText, sizeof szText);
            EXPECT_STREQ("", szText);
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, KeysPostTheCommandsOfTheirButtons) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    HWND hList = nullptr;
    INT_PTR nResult = CStepRunner()
        .Do([&] {
            hList = dlg.List().m_hWnd;
            ::SetFocus(hList);
            PostKey(hList, VK_RETURN);
            PostKey(hList, VK_SPACE);
            PostKey(hList, VK_INSERT);
            PostKey(hList, VK_DELETE);
            PostKey(hList, VK_SHIFT);
        })
        .Then([&] { return dlg.m_commands.size() >= 4; })
        .Do([&] {
            EXPECT_EQ((std::vector<UINT>{IDC_VIEW_EDIT, IDC_VIEW_EDIT, IDC_ADD_NEW, IDC_DELETE}), dlg.m_commands);
            dlg.m_commands.clear();
            // On a button, Space and Enter open the contact instead of pressing the button.
            ::SetFocus(dlg.GetDlgItem(IDOK));
            PostKey(dlg.GetDlgItem(IDOK), VK_SPACE);
            PostKey(dlg.GetDlgItem(IDOK), VK_RETURN);
        })
        .Then([&] { return dlg.m_commands.size() >= 2; })
        .Do([&] {
            EXPECT_EQ((std::vector<UINT>{IDC_VIEW_EDIT, IDC_VIEW_EDIT}), dlg.m_commands);
            dlg.m_commands.clear();
            // The list menu's shortcuts, from the search box as well.
            dlg.m_bRecordMenuCommands = true;
            PostKey(hList, 'O', true);
        })
        // One key a step: Ctrl is read as the key arrives.
        .Then([&] { return dlg.m_commands.size() >= 1; })
        .Do([&] { PostKey(dlg.GetDlgItem(IDC_SEARCH_EDIT), 'E', true); })
        .Then([&] { return dlg.m_commands.size() >= 2; })
        .Do([&] {
            SetControlKey(false);
            PostKey(hList, VK_F5);
        })
        .Then([&] { return dlg.m_commands.size() >= 3; })
        .Do([&] { EXPECT_EQ((std::vector<UINT>{ID_IMPORT, ID_EXPORT, ID_SYNC_NOW}), dlg.m_commands); })
        .RunModal(dlg);
    EXPECT_NE(IDOK, nResult); // Enter on Exit did not end the program
}

TEST_F(MainWindowTest, SearchBoxKeepsDeleteAndLettersAndTurnsEnterIntoASearch) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    HWND hEdit = nullptr;
    CStepRunner()
        .Do([&] {
            hEdit = dlg.GetDlgItem(IDC_SEARCH_EDIT);
            ::SetFocus(hEdit);
        })
        .Then([&] { return Focus() == hEdit; })
        // One key a tick, as a typist's keys arrive after the characters of the ones before.
        .Do([&] { PostKey(hEdit, 'K'); })
        .Do([&] { PostKey(hEdit, 'X'); })
        .Do([&] { PostKey(hEdit, VK_HOME); })
        .Do([&] { PostKey(hEdit, VK_DELETE); })
        .Do([&] { PostKey(hEdit, VK_RETURN); })
        .Then([&] { return !dlg.m_commands.empty(); })
        .Do([&] {
            char szText[16] = "";
            ::GetDlgItemTextA(dlg.m_hWnd, IDC_SEARCH_EDIT, szText, sizeof szText);
            EXPECT_STREQ("x", szText); // typed, and Delete removed the first letter
            EXPECT_TRUE(SelectedRows(dlg).empty());
            EXPECT_EQ(std::vector<UINT>{IDC_SEARCH}, dlg.m_commands);
            EXPECT_EQ(BST_CHECKED, dlg.SearchButton().GetCheck());
            PostKey(hEdit, VK_RETURN); // with the button down, Enter ends the search
        })
        .Then([&] { return dlg.SearchButton().GetCheck() == BST_UNCHECKED; })
        .Do([&] {
            dlg.SearchButton().SetCheck(BST_CHECKED);
            PostKey(hEdit, VK_ESCAPE);
        })
        .Then([&] { return dlg.SearchButton().GetCheck() == BST_UNCHECKED; })
        .Do([&] {
            char szText[16] = "?";
            ::GetDlgItemTextA(dlg.m_hWnd, IDC_SEARCH_EDIT, szText, sizeof szText);
            EXPECT_STREQ("", szText);
            EXPECT_EQ(5, dlg.List().GetItemCount());
            EXPECT_EQ(std::vector<UINT>{IDC_SEARCH}, dlg.m_commands);
        })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, DoubleClickOpensTheSelectionOrANewContact) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    auto doubleClick = [&] {
        NMHDR header = {dlg.List().m_hWnd, IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
        EXPECT_EQ(0, dlg.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&header)));
    };
    CStepRunner()
        .Do(doubleClick)
        .Then([&] { return dlg.m_commands.size() == 1; })
        .Do([&] {
            dlg.List().SelectRow(2);
            doubleClick();
        })
        .Then([&] { return dlg.m_commands.size() == 2; })
        .Do([&] { EXPECT_EQ((std::vector<UINT>{IDC_ADD_NEW, IDC_VIEW_EDIT}), dlg.m_commands); })
        .RunModal(dlg);
}

TEST_F(MainWindowTest, SelectionOperationsCountRows) {
    WriteBook(SampleBook());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(5, dlg.List().SelectAllRows());
            EXPECT_EQ(5u, SelectedRows(dlg).size());
            EXPECT_EQ(5, dlg.List().DeselectAllRows());
            EXPECT_TRUE(SelectedRows(dlg).empty());
            dlg.List().SelectRow(1);
            dlg.List().SelectRow(3);
            EXPECT_EQ((std::vector<int>{1, 3}), SelectedRows(dlg));
            EXPECT_EQ(3, dlg.List().GetNextItem(-1, LVNI_FOCUSED));
        })
        .RunModal(dlg);
}
