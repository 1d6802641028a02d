// The main window's search: the ways to start and end one, and what the list shows.
#include "MainWindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "support/UnicodeNames.h"

#include <algorithm>

namespace {

CContactArray SearchBook() {
    CContactArray contacts;
    contacts.Add(MakeContact("Adams", "Ann", "555 0101"));
    contacts.Add(MakeContact("Baker", "Bob"));
    contacts.Add(MakeContact("Clark", "Cy"));
    contacts[1].note = "Won the gold medal";
    contacts[2].company = "  Gold Ltd";
    return contacts;
}

bool IsSearchDown(CTestableDlg& dlg) { return dlg.SearchButton().GetCheck() == BST_CHECKED; }

void SetSearchText(CTestableDlg& dlg, const char* pszText) {
    ::SetDlgItemTextW(dlg.m_hWnd, IDC_SEARCH_EDIT, ToWide(pszText).c_str());
}

// The toggle clicked: it changes state, then tells the window.
void ClickSearch(CTestableDlg& dlg) {
    dlg.SearchButton().SetCheck(IsSearchDown(dlg) ? BST_UNCHECKED : BST_CHECKED);
    dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
}

} // namespace

TEST_F(MainWindowTest, SearchStartsAndEndsAsTheUserExpects) {
    WriteBook(SearchBook());
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    const std::vector<std::string> everyone = {"Adams,Ann", "Baker,Bob", "Clark,Cy"};
    HWND hEdit = nullptr;
    CStepRunner()
        .Do([&] {
            hEdit = dlg.GetDlgItem(IDC_SEARCH_EDIT);
            SetSearchText(dlg, "GOLD"); // case is ignored, and the note and company are searched
            ClickSearch(dlg);
            EXPECT_EQ((std::vector<std::string>{"Baker,Bob", "Clark,Cy"}), Rows(dlg));
            EXPECT_EQ((std::vector<int>{1, 2}), RowData(dlg));
            EXPECT_TRUE(IsSearchDown(dlg));
            EXPECT_TRUE(SelectedRows(dlg).empty());
            ClickSearch(dlg); // up again: everyone
            EXPECT_EQ(everyone, Rows(dlg));
        })
        .Do([&] {
            SetSearchText(dlg, "  gold"); // the blanks count: the note has only one before "gold"
            ::SetFocus(hEdit);
            PostKey(hEdit, VK_RETURN);
        })
        .Then([&] { return Rows(dlg).size() == 1; })
        .Do([&] {
            EXPECT_EQ(std::vector<std::string>{"Clark,Cy"}, Rows(dlg));
            EXPECT_TRUE(IsSearchDown(dlg));
            SetSearchText(dlg, "  golden"); // editing the text ends the result
            EXPECT_FALSE(IsSearchDown(dlg));
            EXPECT_EQ(everyone, Rows(dlg));
            PostKey(hEdit, VK_RETURN);
        })
        .Then([&] { return answerer.m_boxes.size() == 1; })
        .Do([&] {
            EXPECT_EQ("Tovano Address Book", answerer.m_boxes[0].strCaption);
            EXPECT_EQ("No contacts found with \"  golden\". All fields have been searched.", answerer.m_boxes[0].strText);
            EXPECT_FALSE(IsSearchDown(dlg));
            EXPECT_EQ(everyone, Rows(dlg));
            EXPECT_EQ(hEdit, ::GetFocus());
            SetSearchText(dlg, "");
            ClickSearch(dlg);
            ASSERT_EQ(2u, answerer.m_boxes.size());
            EXPECT_EQ("tbook", answerer.m_boxes[1].strCaption);
            EXPECT_EQ("Please enter some text in the search box first", answerer.m_boxes[1].strText);
            EXPECT_FALSE(IsSearchDown(dlg));
            EXPECT_EQ(hEdit, ::GetFocus());
        })
        .Do([&] {
            SetSearchText(dlg, "adams");
            ClickSearch(dlg);
            EXPECT_EQ(std::vector<std::string>{"Adams,Ann"}, Rows(dlg));
            PostKey(dlg.List().m_hWnd, VK_ESCAPE);
        })
        .Then([&] { return Rows(dlg).size() == 3; })
        .Do([&] {
            EXPECT_FALSE(IsSearchDown(dlg));
            EXPECT_EQ(0, ::GetWindowTextLengthA(hEdit));
        })
        .RunModal(dlg);
}

// A name of every script, typed into the editor: saved to the file as typed, shown in the list,
// and found again by a search in other case.
TEST_F(MainWindowTest, EveryScriptIsTypedSavedListedAndFound) {
    WriteBook(SearchBook());
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    for (const CUnicodeName& name : kUnicodeNames) {
        steps.Do([&dlg] { dlg.PostMessage(WM_COMMAND, IDC_ADD_NEW, 0); });
        steps.Then([] { return FindEditorWindow() != nullptr; }).Do([&name] {
            HWND hEditor = FindEditorWindow();
            ::SetDlgItemTextW(hEditor, IDC_EDIT_LASTNAME, ToWide(name.pszLast).c_str());
            ::SetDlgItemTextW(hEditor, IDC_EDIT_FIRSTNAME, ToWide(name.pszFirst).c_str());
            ::PostMessageW(hEditor, WM_COMMAND, IDOK, 0);
        });
        steps.Then([] { return FindEditorWindow() == nullptr; });
    }
    steps.Do([&] {
        ASSERT_EQ(static_cast<int>(std::size(kUnicodeNames)) + SearchBook().GetSize(), dlg.List().GetItemCount());
        std::vector<std::string> rows = Rows(dlg);
        std::string strFile = ReadBytes(BookPath());
        for (const CUnicodeName& name : kUnicodeNames) {
            SCOPED_TRACE(name.pszScript);
            std::string strShown = std::string(name.pszLast) + "," + name.pszFirst;
            EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), strShown));
            CContact typed = MakeContact(name.pszLast, name.pszFirst);
            typed.EncodeStoredText();
            EXPECT_NE(std::string::npos, strFile.find("\"" + typed.lastname.GetStdString() + "\""));
            SetSearchText(dlg, CString(name.pszLast).MakeUpper());
            ClickSearch(dlg);
            EXPECT_EQ(std::vector<std::string>{strShown}, Rows(dlg));
            ClickSearch(dlg);
        }
    });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}
