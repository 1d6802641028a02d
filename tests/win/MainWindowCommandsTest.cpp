// The main window's contact commands with the real editor: what the list shows and what the
// file holds after each of them.
#include "MainWindowTestSupport.h"
#include "data/AddressBookLoader.h"
#include "res/resource.h"
#include "ui/birthdays/BirthdaysDlg.h"

#include <memory>

namespace {

CContactArray FiveContacts() {
    CContactArray contacts;
    for (const char* pszName : {"Adams", "Baker", "Clark", "Dunn", "Evans"}) {
        contacts.Add(MakeContact(pszName, "X"));
    }
    return contacts;
}

std::string EditorText(int nId) {
    char szText[256] = "";
    ::GetDlgItemTextA(FindEditorWindow(), nId, szText, sizeof szText);
    return szText;
}

// The last names the file holds, in its order.
std::vector<std::string> NamesInFile(const std::string& strPath) {
    CXML root;
    CContactArray contacts;
    ReadAddressBook(strPath.c_str(), root, contacts, nullptr);
    std::vector<std::string> names;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        names.push_back(contacts[i].lastname.GetStdString());
    }
    return names;
}

void SelectRows(CTestableDlg& dlg, std::initializer_list<int> rows) {
    dlg.List().DeselectAllRows();
    for (int nRow : rows) {
        dlg.List().SetItemState(nRow, LVIS_SELECTED, LVIS_SELECTED);
    }
}

// Waits for the editor, lets check look at it, then presses nButton (IDOK Save, IDCANCEL Close).
// The next editor of a View/Edit command may open at once, so the answered one is waited for
// by its handle.
void AnswerEditor(CStepRunner& steps, std::function<void(HWND)> check, int nButton) {
    auto phAnswered = std::make_shared<HWND>();
    steps.Then([] { return FindEditorWindow() != nullptr; }).Do([=] {
        *phAnswered = FindEditorWindow();
        check(*phAnswered);
        ::PostMessageA(*phAnswered, WM_COMMAND, static_cast<WPARAM>(nButton), 0);
    });
    steps.Then([=] { return !::IsWindow(*phAnswered); });
}

// Selects the first two rows, starts View/Edit and waits for the first editor.
void StartViewEditOfTwo(CStepRunner& steps, CTestableDlg& dlg) {
    steps.Do([&dlg] {
        SelectRows(dlg, {0, 1});
        dlg.PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0);
    });
    steps.Then([] { return FindEditorWindow() != nullptr; });
}

} // namespace

// Closing the editor moves on to the next selected contact; saving one ends the command, with
// the list sorted again, the search ended and the edited contact selected at its new place.
TEST_F(MainWindowTest, ViewEditWalksTheSelectionUntilOneIsSaved) {
    WriteBook(FiveContacts());
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    std::vector<std::string> shown;
    CStepRunner steps;
    steps.Do([&] {
        dlg.SearchButton().SetCheck(BST_CHECKED);
        SelectRows(dlg, {0, 2, 4});
        dlg.PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0);
    });
    auto record = [&](HWND) { shown.push_back(EditorText(IDC_EDIT_LASTNAME)); };
    AnswerEditor(steps, record, IDCANCEL);
    AnswerEditor(steps, record, IDCANCEL);
    AnswerEditor(steps, [&](HWND hEditor) {
        record(hEditor);
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Aaron \"Al\"");
    }, IDOK);
    steps.Do([&] {
        EXPECT_EQ((std::vector<std::string>{"Adams", "Clark", "Evans"}), shown);
        // The list shows what was typed; the file holds the stored form.
        EXPECT_EQ((std::vector<std::string>{"Aaron \"Al\",X", "Adams,X", "Baker,X", "Clark,X", "Dunn,X"}),
                  Rows(dlg));
        EXPECT_EQ(std::vector<int>{0}, SelectedRows(dlg));
        EXPECT_EQ(BST_UNCHECKED, dlg.SearchButton().GetCheck());
        EXPECT_EQ(-1, dlg.Book().Contacts().FindMarkedContact());
        EXPECT_EQ((std::vector<std::string>{"Aaron &quote;Al&quote;", "Adams", "Baker", "Clark", "Dunn"}),
                  NamesInFile(BookPath()));
    });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
}

// An edit during a search keeps the result, searched again, with the edited contact selected in
// it, also when it no longer holds the text.
TEST_F(MainWindowTest, ViewEditKeepsTheSearchResultAndTheEditedContactInIt) {
    WriteBook(FiveContacts());
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    auto editRow = [&](CStepRunner& steps, int nRow, const char* pszLastName) {
        steps.Do([&dlg, nRow] {
            SelectRows(dlg, {nRow});
            dlg.PostMessage(WM_COMMAND, IDC_VIEW_EDIT, 0);
        });
        AnswerEditor(steps, [=](HWND hEditor) { ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, pszLastName); }, IDOK);
    };
    auto expectResult = [&](std::vector<std::string> rows, int nSelected) {
        EXPECT_EQ(rows, Rows(dlg));
        EXPECT_EQ(std::vector<int>{nSelected}, SelectedRows(dlg));
        EXPECT_EQ(BST_CHECKED, dlg.SearchButton().GetCheck());
        EXPECT_EQ("a", dlg.GetDlgItemText(IDC_SEARCH_EDIT).GetStdString());
    };
    CStepRunner steps;
    steps.Do([&] {
        dlg.SetDlgItemText(IDC_SEARCH_EDIT, "a");
        dlg.SearchButton().SetCheck(BST_CHECKED);
        dlg.SendMessage(WM_COMMAND, IDC_SEARCH, 0);
        EXPECT_EQ((std::vector<std::string>{"Adams,X", "Baker,X", "Clark,X", "Evans,X"}), Rows(dlg));
    });
    editRow(steps, 1, "Young Baker"); // still a hit, sorted to the end
    steps.Do([&] { expectResult({"Adams,X", "Clark,X", "Evans,X", "Young Baker,X"}, 3); });
    editRow(steps, 1, "Bond"); // no longer holds the text, yet stays in view
    steps.Do([&] { expectResult({"Adams,X", "Bond,X", "Evans,X", "Young Baker,X"}, 1); });
    steps.RunModal(dlg);
}

// A deletion confirmed but refused by the emptiness check, then closed, must not turn the save
// of the next selected contact into its deletion.
TEST_F(MainWindowTest, AnUnfinishedDeletionDoesNotCarryOverToTheNextContact) {
    WriteBook(FiveContacts());
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    StartViewEditOfTwo(steps, dlg);
    steps.Do([&] {
        HWND hEditor = FindEditorWindow();
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "");
        ::SetDlgItemTextA(hEditor, IDC_EDIT_FIRSTNAME, "");
        ::SetDlgItemTextA(hEditor, IDC_EDIT_MOBILE, "");
        ::PostMessageA(hEditor, WM_COMMAND, IDC_DELETE, 0); // Yes, then the emptiness message
    });
    HWND hFirst = nullptr;
    steps.Then([&] { return answerer.m_boxes.size() == 2; }).Do([&] {
        EXPECT_EQ("You have to enter some information before saving a contact", answerer.m_boxes[1].strText);
        hFirst = FindEditorWindow();
        ::PostMessageA(hFirst, WM_COMMAND, IDCANCEL, 0);
    });
    steps.Then([&] { return !::IsWindow(hFirst); });
    AnswerEditor(steps, [](HWND hEditor) { ::SetDlgItemTextA(hEditor, IDC_EDIT_FIRSTNAME, "Y"); }, IDOK);
    steps.Do([&] {
        EXPECT_EQ((std::vector<std::string>{"Adams,X", "Baker,Y", "Clark,X", "Dunn,X", "Evans,X"}), Rows(dlg));
    });
    steps.RunModal(dlg);
}

// Add New puts the contact at its sorted place, unselected, and saves; a new contact deleted
// through the editor's shortcut is not added.
TEST_F(MainWindowTest, AddNewAddsTheSavedContactOnly) {
    WriteBook(FiveContacts());
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_TRAY_ADD_NEW, 0); });
    AnswerEditor(steps, [](HWND hEditor) {
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(hEditor, IDC_DELETE)));
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Carter");
    }, IDOK);
    steps.Do([&] {
        EXPECT_EQ("Carter,", Rows(dlg)[2]);
        EXPECT_TRUE(SelectedRows(dlg).empty());
        EXPECT_EQ(6u, NamesInFile(BookPath()).size());
        dlg.PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    });
    AnswerEditor(steps, [](HWND hEditor) {
        ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Ghost");
        ::SendMessageA(hEditor, WM_COMMAND, IDC_DELETE, 0); // as Ctrl+Alt+D does; answered Yes
    }, IDCANCEL);
    steps.Do([&] {
        EXPECT_EQ(6, dlg.List().GetItemCount());
        EXPECT_EQ(6u, NamesInFile(BookPath()).size());
    });
    steps.RunModal(dlg);
}

// Delete asks per contact unless every row shown is selected; the remaining rows keep their
// contacts, also in a search result; the file follows.
TEST_F(MainWindowTest, DeleteAsksAndKeepsEveryOtherRowOnItsContact) {
    struct Case {
        const char* pszName;
        bool bSearch;                  // a search result of Baker, Dunn, Evans is shown
        std::initializer_list<int> selected;
        int nAnswer;
        std::vector<std::string> questions;
        std::vector<std::string> rows; // afterwards
        std::vector<std::string> file;
    };
    const Case cases[] = {
        {"two of five, Yes", false, {1, 3}, IDYES,
         {"Deleting Baker, X...\r\nAre you sure?", "Deleting Dunn, X...\r\nAre you sure?"},
         {"Adams,X", "Clark,X", "Evans,X"}, {"Adams", "Clark", "Evans"}},
        {"two of five, No", false, {1, 3}, IDNO,
         {"Deleting Baker, X...\r\nAre you sure?", "Deleting Dunn, X...\r\nAre you sure?"},
         {"Adams,X", "Baker,X", "Clark,X", "Dunn,X", "Evans,X"}, {"Adams", "Baker", "Clark", "Dunn", "Evans"}},
        {"all rows", false, {0, 1, 2, 3, 4}, IDYES, {"Are you sure you want to delete all contacts?"}, {}, {}},
        {"one row of a result", true, {1}, IDYES, {"Deleting Dunn, X...\r\nAre you sure?"},
         {"Baker,X", "Evans,X"}, {"Adams", "Baker", "Clark", "Evans"}},
        {"a whole result", true, {0, 1, 2}, IDYES, {"Are you sure you want to delete all contacts?"}, {},
         {"Adams", "Clark"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        WriteBook(FiveContacts());
        CMessageBoxAnswerer answerer(c.nAnswer);
        CTestableDlg dlg(m_context);
        dlg.m_bRunCommands = true;
        CStepRunner()
            .Do([&] {
                if (c.bSearch) {
                    dlg.List().ShowContacts(dlg.Book().Contacts(), {1, 3, 4});
                }
                SelectRows(dlg, c.selected);
                dlg.SendMessage(WM_COMMAND, IDC_DELETE, 0);
                std::vector<std::string> questions;
                for (const CMessageBoxRecord& box : answerer.m_boxes) {
                    questions.push_back(box.strText);
                    EXPECT_EQ("Tovano Address Book", box.strCaption);
                }
                EXPECT_EQ(c.questions, questions);
                EXPECT_EQ(c.rows, Rows(dlg));
                EXPECT_TRUE(SelectedRows(dlg).empty());
                for (int nRow = 0; nRow < dlg.List().GetItemCount(); ++nRow) {
                    const CContact& contact = dlg.Book().Contacts()[dlg.List().RowContact(nRow)];
                    EXPECT_EQ(dlg.List().GetItemText(nRow, 0), contact.lastname) << "row " << nRow;
                }
                EXPECT_EQ(c.file, NamesInFile(BookPath()));
            })
            .RunModal(dlg);
    }
}

// A row that is not shown has no contact to delete, although the book holds a contact at that
// index: a search result of three rows out of five contacts.
TEST_F(MainWindowTest, DeleteRowBeyondTheRowsShownDeletesNothing) {
    WriteBook(FiveContacts());
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            dlg.List().ShowContacts(dlg.Book().Contacts(), {1, 3, 4});
            EXPECT_FALSE(dlg.Commands().DeleteRow(3).bChanged);
            EXPECT_EQ(5, dlg.Book().Contacts().GetSize());
            EXPECT_EQ((std::vector<std::string>{"Baker,X", "Dunn,X", "Evans,X"}), Rows(dlg));
        })
        .RunModal(dlg);
}

// A book read only in part stays as it is until something changes: a Delete answered No for
// every contact changes nothing, so it writes nothing and makes no backup.
TEST_F(MainWindowTest, DeleteAnsweredNoLeavesAPartlyReadBookAsItIs) {
    std::string strWhole = BuildAddressBookDocument(FiveContacts()).GetStdString();
    std::string strCut = strWhole.substr(0, strWhole.size() * 3 / 5);
    WriteBytes(BookPath(), strCut);
    CMessageBoxAnswerer answerer(IDNO);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner()
        .Then([&] { return dlg.IsLoadFinished(); })
        .Do([&] {
            ASSERT_GE(dlg.List().GetItemCount(), 2);
            SelectRows(dlg, {0});
            dlg.SendMessage(WM_COMMAND, IDC_DELETE, 0);
            EXPECT_EQ("Deleting Adams, X...\r\nAre you sure?", answerer.m_boxes.back().strText);
            EXPECT_EQ(strCut, ReadBytes(BookPath()));
            EXPECT_FALSE(FileExists(BookPath() + ".bak"));
        })
        .RunModal(dlg);
}

// A save that fails keeps the accepted change in memory; the next accepted change saves both.
TEST_F(MainWindowTest, FailedSaveKeepsTheChangeForTheNextSave) {
    CTempFolder folder;
    std::string strMissing = folder.Path("later");
    m_context.strAddressBookPath = (strMissing + "\\tbk.xml").c_str();
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    // An empty book opens the editor at once.
    AnswerEditor(steps, [](HWND hEditor) { ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "First"); }, IDOK);
    steps.Then([&] { return answerer.m_boxes.size() == 1; }).Do([&] {
        EXPECT_EQ(std::vector<std::string>{"First,"}, Rows(dlg));
        ASSERT_TRUE(::CreateDirectoryA(strMissing.c_str(), nullptr));
        dlg.PostMessage(WM_COMMAND, IDC_ADD_NEW, 0);
    });
    AnswerEditor(steps, [](HWND hEditor) { ::SetDlgItemTextA(hEditor, IDC_EDIT_LASTNAME, "Second"); }, IDOK);
    steps.Do([&] { EXPECT_EQ((std::vector<std::string>{"First", "Second"}), NamesInFile(strMissing + "\\tbk.xml")); });
    steps.RunModal(dlg);
    EXPECT_EQ(1u, answerer.m_boxes.size());
}

// Exit or the quit signal while the editor is open closes it as Close does; the command ends and
// the program then ends through its exit path, with what was saved before in the file.
TEST_F(MainWindowTest, EndingWhileTheEditorIsOpenClosesItAndEnds) {
    const struct {
        const char* pszName;
        UINT nMessage;
        WPARAM wParam;
    } requests[] = {{"quit signal", WM_WATCHER_QUIT, 0}, {"tray Exit", WM_COMMAND, ID_TRAY_EXIT}};
    for (const auto& request : requests) {
        SCOPED_TRACE(request.pszName);
        WriteBook(FiveContacts());
        CTestableDlg dlg(m_context);
        dlg.m_bRunCommands = true;
        CStepRunner steps;
        StartViewEditOfTwo(steps, dlg);
        steps.Do([&] {
            ::SetDlgItemTextA(FindEditorWindow(), IDC_EDIT_LASTNAME, "Unsaved");
            dlg.PostMessage(request.nMessage, request.wParam, 0);
        });
        INT_PTR nResult = steps.ThenProgramEnds().RunModal(dlg);
        EXPECT_EQ(IDOK, nResult);
        EXPECT_EQ(nullptr, FindEditorWindow());
        EXPECT_EQ((std::vector<std::string>{"Adams", "Baker", "Clark", "Dunn", "Evans"}), NamesInFile(BookPath()));
    }
}

// Tidy Notes lifts the lines an earlier import wrote into values, in the list and the file, and
// one undo takes it back; a second time finds nothing to do.
TEST_F(MainWindowTest, TidyNotesLiftsImportLinesAndUndoTakesItBack) {
    CContactArray contacts = FiveContacts();
    contacts[1].note = "met in Rome\\r\\nMiddle name: Q.\\r\\nBirthday: 19800101";
    WriteBook(contacts);
    const std::string strBefore = ReadBytes(BookPath());
    CTestableDlg dlg(m_context);
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_TIDY_NOTES, 0); })
        .Then([&] { return ReadBytes(BookPath()) != strBefore; })
        .Do([&] {
            EXPECT_EQ("Tidied the notes of 1 contact: 2 lines became values. Undo (Ctrl+Z) takes it back.",
                      StatusText(dlg));
            const CContact& baker = dlg.Book().Contacts()[dlg.List().RowContact(SelectedRows(dlg).at(0))];
            EXPECT_EQ("met in Rome", baker.note.GetStdString());
            ASSERT_EQ(2u, baker.values.size());
            EXPECT_EQ(EValueKind::middleName, baker.values[0].kind);
            EXPECT_EQ("1980-01-01", baker.values[1].text.GetStdString());
            EXPECT_NE(std::string::npos, ReadBytes(BookPath()).find("<middlename value=\"Q.\"/>"));
            PostKey(dlg.List().m_hWnd, 'Z', true);
        })
        .Then([&] { return ReadBytes(BookPath()) == strBefore; })
        .Do([&] {
            dlg.PostMessage(WM_COMMAND, ID_TIDY_NOTES, 0);
            dlg.PostMessage(WM_COMMAND, ID_TIDY_NOTES, 0);
        })
        .Then([&] { return ReadBytes(BookPath()) != strBefore; })
        .Do([&] { dlg.PostMessage(WM_COMMAND, ID_TIDY_NOTES, 0); })
        .Then([&] { return StatusText(dlg).find("nothing to tidy") != std::string::npos; });
    steps.RunModal(dlg);
}

// Upcoming Birthdays lists the dates of the coming days in their order, not those further off;
// Enter on a row opens its contact in the editor, a search shown before or not.
TEST_F(MainWindowTest, UpcomingBirthdaysListsTheComingDatesAndOpensTheChosenContact) {
    const CValueDate today = LocalToday();
    CContactArray contacts = FiveContacts();
    contacts[3].values = {{EValueKind::date, "birthday", "", DateFromToday(0, 1980)}};  // Dunn, today
    contacts[1].values = {{EValueKind::date, "anniversary", "", DateFromToday(1, 0)}};  // Baker, tomorrow
    contacts[0].values = {{EValueKind::date, "birthday", "", DateFromToday(45, 1990)}}; // Adams, too far off
    WriteBook(contacts);
    CTestableDlg dlg(m_context);
    auto birthdays = [] { return ::FindWindowA("#32770", "Tovano Address Book - Upcoming Birthdays"); };
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_UPCOMING_BIRTHDAYS, 0); })
        .Then([&] { return birthdays() != nullptr; })
        .Do([&] {
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(birthdays()));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(birthdays()));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(birthdays()));
            CListCtrl& list = *static_cast<CListCtrl*>(CWnd::FromHandle(::GetDlgItem(birthdays(), IDC_BIRTHDAY_LIST)));
            std::vector<std::string> rows;
            for (int nRow = 0; nRow < list.GetItemCount(); ++nRow) {
                rows.push_back(std::string(list.GetItemText(nRow, 1) + " | " + list.GetItemText(nRow, 2) + " | " +
                                           list.GetItemText(nRow, 3)));
            }
            EXPECT_EQ((std::vector<std::string>{"Dunn, X | Birthday | " + std::to_string(today.nYear - 1980),
                                                "Baker, X | Anniversary | "}),
                      rows);
            list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            PostKey(list.m_hWnd, VK_RETURN);
        })
        .Then([] { return FindEditorWindow() != nullptr; })
        .Do([&] {
            EXPECT_EQ(nullptr, birthdays());
            EXPECT_EQ("Baker", EditorText(IDC_EDIT_LASTNAME));
            ::PostMessageA(FindEditorWindow(), WM_COMMAND, IDCANCEL, 0);
        })
        .Then([] { return FindEditorWindow() == nullptr; });
    steps.RunModal(dlg);
}
