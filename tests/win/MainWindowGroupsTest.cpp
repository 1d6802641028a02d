// The main window's groups: the drop-down above the list with the search inside a group, and the
// list menu's commands that sort contacts into groups, each taken back by Undo.
#include "MainWindowTestSupport.h"
#include "data/AddressBookLoader.h"
#include "data/ContactGroups.h"
#include "framework/base/AppContext.h"
#include "framework/base/Handles.h"
#include "framework/core/WideText.h"
#include "res/resource.h"

namespace {

// Adams and Clark in "Family", Baker in "family" (one group), Dunn in "Chess", Evans in none.
CContactArray GroupedContacts() {
    CContactArray contacts;
    const std::pair<const char*, const char*> people[] = {
        {"Adams", "Family"}, {"Baker", "family"}, {"Clark", "Family"}, {"Dunn", "Chess"}, {"Evans", ""}};
    for (const auto& person : people) {
        CContact contact = MakeContact(person.first, "X");
        AddToGroup(contact, person.second);
        contacts.Add(contact);
    }
    return contacts;
}

std::vector<std::string> ComboEntries(HWND hCombo) {
    std::vector<std::string> entries;
    for (int i = 0; i < static_cast<int>(::SendMessageW(hCombo, CB_GETCOUNT, 0, 0)); ++i) {
        wchar_t szText[256] = L"";
        ::SendMessageW(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(szText));
        entries.push_back(FromWide(szText).GetStdString());
    }
    return entries;
}

// Chooses the entry as the user does: the selection, then the notification.
void ChooseEntry(CTestableDlg& dlg, int nEntry) {
    HWND hCombo = dlg.GetDlgItem(IDC_GROUP_FILTER);
    ::SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nEntry), 0);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_GROUP_FILTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
}

std::string PaneText(CTestableDlg& dlg, int nPane) {
    char szText[256] = "";
    dlg.StatusBar().SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(szText));
    return szText;
}

// The groups of each contact in the file, "Adams:Family" for each membership, in file order.
std::vector<std::string> MembershipsInFile(const std::string& strPath) {
    CXML root;
    CContactArray contacts;
    ReadAddressBook(strPath.c_str(), root, contacts, nullptr);
    std::vector<std::string> memberships;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (const CContactValue& value : contacts[i].values) {
            if (value.kind == EValueKind::group) {
                memberships.push_back(contacts[i].lastname.GetStdString() + ":" + value.text.GetStdString());
            }
        }
    }
    return memberships;
}

} // namespace

// A book without groups keeps the window as it was; one with groups shows the drop-down, whose
// choice limits the list and the search, names itself in the status bar and comes back next run.
TEST_F(MainWindowTest, GroupDropDownLimitsTheListAndTheSearchAndIsKeptForTheNextRun) {
    WriteBook(GroupedContacts());
    {
        CTestableDlg dlg(m_context);
        dlg.m_bRunCommands = true;
        CStepRunner steps;
        steps.Do([&] {
            HWND hCombo = dlg.GetDlgItem(IDC_GROUP_FILTER);
            ASSERT_TRUE(::IsWindowVisible(hCombo));
            EXPECT_EQ((std::vector<std::string>{"All contacts", "Chess (1)", "Family (3)", "Not in a group"}),
                      ComboEntries(hCombo));
            RECT rcCombo, rcList;
            ::GetWindowRect(hCombo, &rcCombo);
            ::GetWindowRect(dlg.List().m_hWnd, &rcList);
            EXPECT_LE(rcCombo.top + 20, rcList.top); // the list below the drop-down's row
            // Tab goes from the drop-down to the list.
            EXPECT_EQ(dlg.List().m_hWnd, ::GetNextDlgTabItem(dlg.m_hWnd, hCombo, FALSE));

            ChooseEntry(dlg, 2);
            EXPECT_EQ((std::vector<std::string>{"Adams,X", "Baker,X", "Clark,X"}), Rows(dlg));
            EXPECT_EQ("Shown: group Family", PaneText(dlg, 1));
            // "e" is in Baker and Evans; only Baker is in the group.
            dlg.SetDlgItemText(IDC_SEARCH_EDIT, "e");
            dlg.SearchButton().SetCheck(BST_CHECKED);
            dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
            EXPECT_EQ((std::vector<std::string>{"Baker,X"}), Rows(dlg));
            // Another group keeps the search: "e" in no group is Evans.
            ChooseEntry(dlg, 3);
            EXPECT_EQ((std::vector<std::string>{"Evans,X"}), Rows(dlg));
            EXPECT_EQ(BST_CHECKED, dlg.SearchButton().GetCheck());
            ChooseEntry(dlg, 2);
            dlg.SearchButton().SetCheck(BST_UNCHECKED);
            dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
            // A sync takes Adams out of the group and brings a contact in none: the group stays
            // shown, its rows and count brought up to date.
            CContact adams = dlg.Book().Contacts()[0];
            RemoveFromGroup(adams, "Family");
            dlg.Book().ApplySynchronisation({0}, {adams, MakeContact("Zed", "X")});
            EXPECT_EQ((std::vector<std::string>{"Baker,X", "Clark,X"}), Rows(dlg));
            EXPECT_EQ("family (2)", ComboEntries(hCombo)[2]); // as the first contact in it spells it
            EXPECT_EQ(2, ::SendMessageW(hCombo, CB_GETCURSEL, 0, 0));
            dlg.SendMessage(WM_COMMAND, IDOK, 0);
        });
        steps.RunModal(dlg);
    }
    CTestableDlg again(m_context);
    CStepRunner steps;
    steps.Do([&] {
        // The sync's change was never saved: the file's group again.
        EXPECT_EQ((std::vector<std::string>{"Adams,X", "Baker,X", "Clark,X"}), Rows(again));
        // A contact added while a group is shown starts in it.
        again.m_bRunCommands = true;
        again.PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    })
        .Then([] { return FindEditorWindow() != nullptr; })
        .Do([&] {
            ::SetDlgItemTextA(FindEditorWindow(), IDC_EDIT_LASTNAME, "Young");
            ::PostMessageA(FindEditorWindow(), WM_COMMAND, IDOK, 0);
        })
        .Then([&] { return Rows(again).size() == 4; })
        .Do([&] {
            EXPECT_EQ("Young,", Rows(again)[3]);
            EXPECT_TRUE(IsInGroup(again.Book().Contacts()[again.List().RowContact(3)], "Family"));
            EXPECT_TRUE(SelectedRows(again).empty());
        });
    steps.RunModal(again);
}

// Add to Group, Remove from Group, a new group through its window and Manage Groups: each a change
// in the file that one undo takes back, and deleting a group keeps its contacts.
TEST_F(MainWindowTest, GroupCommandsChangeMembershipsAndUndoTakesThemBack) {
    WriteBook(GroupedContacts());
    const std::vector<std::string> original = MembershipsInFile(BookPath());
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    auto window = [](const char* pszCaption) { return ::FindWindowA("#32770", pszCaption); };
    CStepRunner steps;
    steps.Do([&] {
        // Adams (in Family) and Evans (in none): Family is not checked, "New Group..." comes last.
        dlg.List().SelectRows({0, 4});
        CMenu bar(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_LIST_MENU)));
        HMENU hPopup = ::GetSubMenu(bar, 0);
        dlg.GroupCommands().PrepareMenu(hPopup);
        HMENU hAdd = ::GetSubMenu(hPopup, 7);
        ASSERT_NE(nullptr, hAdd);
        ASSERT_EQ(4, ::GetMenuItemCount(hAdd));
        EXPECT_EQ(ID_ADD_TO_GROUP_FIRST + 1, ::GetMenuItemID(hAdd, 1));
        EXPECT_EQ(0u, ::GetMenuState(hAdd, 1, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_EQ(ID_ADD_TO_NEW_GROUP, ::GetMenuItemID(hAdd, 3));
        EXPECT_NE(0u, ::GetMenuState(hPopup, ID_REMOVE_FROM_GROUP, MF_BYCOMMAND) & MF_GRAYED); // no group shown
        dlg.PostMessage(WM_COMMAND, ID_ADD_TO_GROUP_FIRST + 1, 0);
    })
        .Then([&] { return MembershipsInFile(BookPath()) != original; })
        .Do([&] {
            EXPECT_EQ("Added 1 contact to \"Family\". Undo (Ctrl+Z) takes it back.", StatusText(dlg));
            EXPECT_TRUE(IsInGroup(dlg.Book().Contacts()[4], "Family"));
            PostKey(dlg.List().m_hWnd, 'Z', true);
        })
        .Then([&] { return MembershipsInFile(BookPath()) == original; })
        .Do([&] {
            // A new group's name in another spelling joins the group the book has.
            dlg.List().DeselectAllRows();
            dlg.List().SelectRows({4});
            dlg.PostMessage(WM_COMMAND, ID_ADD_TO_NEW_GROUP, 0);
        })
        .Then([&] { return window("Tovano Address Book - Add to Group") != nullptr; })
        .Do([&] {
            HWND hName = window("Tovano Address Book - Add to Group");
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(hName));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(hName));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(hName));
            ::SetDlgItemTextA(hName, IDC_GROUP_NAME, "  CHESS ");
            ::PostMessageA(hName, WM_COMMAND, IDOK, 0);
        })
        .Then([&] { return IsInGroup(dlg.Book().Contacts()[4], "Chess"); })
        .Do([&] {
            EXPECT_EQ("Evans:Chess", MembershipsInFile(BookPath()).back());
            // Shown: Chess (Dunn, Evans); Dunn taken out of it leaves the rows.
            ChooseEntry(dlg, 1);
            EXPECT_EQ((std::vector<std::string>{"Dunn,X", "Evans,X"}), Rows(dlg));
            dlg.List().SelectRows({0});
            dlg.PostMessage(WM_COMMAND, ID_REMOVE_FROM_GROUP, 0);
        })
        .Then([&] { return Rows(dlg).size() == 1; })
        .Do([&] {
            EXPECT_FALSE(IsInGroup(dlg.Book().Contacts()[3], "Chess"));
            dlg.PostMessage(WM_COMMAND, ID_MANAGE_GROUPS, 0);
        })
        .Then([&] { return window("Tovano Address Book - Manage Groups") != nullptr; })
        .Do([&] {
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(window("Tovano Address Book - Manage Groups")));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(window("Tovano Address Book - Manage Groups")));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(window("Tovano Address Book - Manage Groups")));
            // Chess is the first row; deleting it (the box answered Yes) keeps Evans in the book.
            ::PostMessageA(window("Tovano Address Book - Manage Groups"), WM_COMMAND, IDC_GROUP_DELETE, 0);
        })
        .Then([&] { return !IsInGroup(dlg.Book().Contacts()[4], "Chess"); })
        .Do([&] {
            ASSERT_EQ(1u, answerer.m_boxes.size());
            EXPECT_NE(std::string::npos, answerer.m_boxes[0].strText.find("Delete the group \"Chess\"?"));
            EXPECT_EQ(5, dlg.Book().Contacts().GetSize());
            // The group shown is gone: every contact is shown.
            EXPECT_EQ(5u, Rows(dlg).size());
            ::PostMessageA(window("Tovano Address Book - Manage Groups"), WM_COMMAND, IDCANCEL, 0);
        })
        .Then([&] { return window("Tovano Address Book - Manage Groups") == nullptr; })
        .Do([&] { PostKey(dlg.List().m_hWnd, 'Z', true); })
        .Then([&] { return IsInGroup(dlg.Book().Contacts()[4], "Chess"); });
    steps.RunModal(dlg);
}
