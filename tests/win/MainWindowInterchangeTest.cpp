// Contacts in and out of the main window: files dropped or handed over by a later start, the
// Open and Save As dialogs, the list's menu, Copy and Paste, Undo, and cancelling a long import.
#include "MainWindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/shell/FileHandOver.h"

#include <shlobj.h>

namespace {

const char kTwoCards[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Carl;;;\r\nFN:Carl Clark\r\nEND:VCARD\r\n"
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dora;;;\r\nFN:Dora Dunn\r\nEND:VCARD\r\n";

CContactArray Book(std::initializer_list<CContact> contacts) {
    CContactArray array;
    for (const CContact& contact : contacts) {
        array.Add(contact);
    }
    return array;
}

// Drops the files on the window as Explorer does.
void DropFiles(HWND hWnd, const std::vector<std::string>& files) {
    std::wstring strNames;
    for (const std::string& strFile : files) {
        strNames += ToWide(strFile.c_str()) + L'\0';
    }
    strNames += L'\0';
    HGLOBAL hDrop = ::GlobalAlloc(GHND, sizeof(DROPFILES) + strNames.size() * sizeof(wchar_t));
    auto* pDrop = static_cast<DROPFILES*>(::GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    memcpy(pDrop + 1, strNames.data(), strNames.size() * sizeof(wchar_t));
    ::GlobalUnlock(hDrop);
    ::PostMessageW(hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(hDrop), 0);
}

// A shown window of this thread of the class and caption (any caption for null).
HWND FindShown(const char* pszClass, const char* pszCaption) {
    HWND hWnd = ::FindWindowA(pszClass, pszCaption);
    return hWnd && ::IsWindowVisible(hWnd) ? hWnd : nullptr;
}

// Whether each command of the shown popup menu is enabled, in the order asked.
std::vector<bool> EnabledItems(HWND hPopup, std::initializer_list<UINT> commands) {
    auto hMenu = reinterpret_cast<HMENU>(::SendMessageW(hPopup, MN_GETHMENU, 0, 0));
    std::vector<bool> enabled;
    for (UINT nCommand : commands) {
        enabled.push_back((::GetMenuState(hMenu, nCommand, MF_BYCOMMAND) & MF_GRAYED) == 0);
    }
    return enabled;
}

} // namespace

// A drop and a later start's hand-over each ask once, add only what is new, report it, and
// leave the added contacts selected in the whole list.
TEST_F(MainWindowTest, FilesDroppedOrHandedOverAreImportedAndSelected) {
    WriteBook(Book({MakeContact("Adams", "Ann", "555 0101"), MakeContact("Baker", "Bob")}));
    const std::string strCards = m_folder.Path("friends.vcf");
    const std::string strList = m_folder.Path("list.csv");
    WriteBytes(strCards, kTwoCards);
    WriteBytes(strList, "First Name,Last Name,Mobile Phone\r\nEve,Evans,\r\nAnn,Adams,555-0101\r\n");
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    CStepRunner steps;
    steps.Do([&] {
             // Where a tray command leaves the focus: the list must take it to show the new rows.
             ::SetFocus(dlg.GetDlgItem(IDC_SEARCH));
             DropFiles(dlg.m_hWnd, {strCards});
         })
        .Then([&] { return answerer.m_boxes.size() == 2 && dlg.List().GetItemCount() == 4; })
        .Do([&] {
            EXPECT_EQ(dlg.List().m_hWnd, ::GetFocus());
            EXPECT_EQ("Import 2 contacts from friends.vcf into your address book?",
                      answerer.m_boxes[0].strText);
            EXPECT_EQ(0u, answerer.m_boxes[1].strText.find(
                              "Imported from friends.vcf: added 2, skipped as duplicates 0"));
            EXPECT_NE(std::string::npos, answerer.m_boxes[1].strText.find("Undo (Ctrl+Z)"));
            EXPECT_EQ((std::vector<int>{2, 3}), SelectedRows(dlg));
            EXPECT_TRUE(HandFilesToRunningProgram({strList.c_str()}, 2000));
        })
        .Then([&] { return answerer.m_boxes.size() == 5 && dlg.List().GetItemCount() == 5; })
        .Do([&] {
            ASSERT_EQ(5u, answerer.m_boxes.size());
            EXPECT_EQ(
                "You or another program asked Tovano Address Book to import the contacts of list.csv in " +
                    m_folder.Folder() + ".\n\nOpen the file and read its contacts?",
                answerer.m_boxes[2].strText);
            EXPECT_EQ("Import 2 contacts from list.csv into your address book?", answerer.m_boxes[3].strText);
            EXPECT_EQ(0u, answerer.m_boxes[4].strText.find(
                              "Imported from list.csv: added 1, skipped as duplicates 1"));
            EXPECT_EQ(std::vector<int>{4}, SelectedRows(dlg));
            EXPECT_EQ("Evans,Eve", Rows(dlg)[4]);
        });
    steps.RunModal(dlg);
    CContactBook saved(BookPath().c_str());
    saved.LoadAddressBook();
    EXPECT_EQ(5, saved.Contacts().GetSize());
}

// Files another process named (the command line, a hand-over) are asked about, each with where it
// is, before any of them is opened: a file made only while the question shows is read, and after
// No nothing is, whatever computer it is on. A drop is not asked about.
TEST_F(MainWindowTest, FilesFromAnotherProcessAreAskedAboutBeforeAnyIsOpened) {
    WriteBook(Book({MakeContact("Adams", "Ann")}));
    const std::string strLater = m_folder.Path("later.vcf"); // made while the question shows
    const std::string strList = m_folder.Path("list.csv");
    const std::string strDropped = m_folder.Path("dropped.vcf");
    WriteBytes(strList, "First Name,Last Name\r\nEve,Evans\r\n");
    WriteBytes(strDropped, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Grey;Gil;;;\r\nEND:VCARD\r\n");
    m_context.files = {strLater.c_str()};
    const char kAsked[] = "You or another program asked Tovano Address Book to import the contacts of ";
    CMessageBoxAnswerer answerer(IDYES);
    answerer.m_onOpen = [&](HWND hBox) {
        char szText[4096] = "";
        ::GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof szText);
        if (std::string(szText).find(kAsked) != 0) {
            return;
        }
        if (std::string(szText).find("later.vcf") != std::string::npos) {
            WriteBytes(strLater, kTwoCards);
        } else {
            ::PostMessageW(hBox, WM_COMMAND, IDNO, 0);
        }
    };
    CTestableDlg dlg(m_context);
    CStepRunner steps;
    steps.Then([&] { return answerer.m_boxes.size() == 3 && dlg.List().GetItemCount() == 3; })
        .Do([&] {
            // Not asked first, the program would go on to open the path on another computer.
            ASSERT_EQ(3u, answerer.m_boxes.size());
            ASSERT_EQ(std::string(kAsked) + "later.vcf in " + m_folder.Folder() +
                          ".\n\nOpen the file and read its contacts?",
                      answerer.m_boxes[0].strText);
            EXPECT_EQ("Import 2 contacts from later.vcf into your address book?",
                      answerer.m_boxes[1].strText);
            EXPECT_TRUE(HandFilesToRunningProgram(
                {"\\\\tbook-test-host\\share\\friends.vcf", strList.c_str()}, 2000));
        })
        .Then([&] { return answerer.m_boxes.size() == 4; })
        .Do([&] {
            ASSERT_EQ(4u, answerer.m_boxes.size());
            EXPECT_EQ(
                std::string(kAsked) +
                    "these files:\n\nfriends.vcf on the computer \\\\tbook-test-host\nlist.csv in " +
                    m_folder.Folder() +
                    "\n\nOpening a file on another computer connects to that computer with your Windows "
                    "logon. Choose No unless you expected files from there.\n\nOpen the files and read "
                    "their contacts?",
                answerer.m_boxes[3].strText);
            DropFiles(dlg.m_hWnd, {strDropped});
        })
        // The next question is the drop's: nothing of the files refused was read.
        .Then([&] { return answerer.m_boxes.size() == 6 && dlg.List().GetItemCount() == 4; })
        .Do([&] {
            ASSERT_EQ(6u, answerer.m_boxes.size());
            EXPECT_EQ("Import 1 contact from dropped.vcf into your address book?",
                      answerer.m_boxes[4].strText);
            EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "Clark,Carl", "Dunn,Dora", "Grey,Gil"}),
                      Rows(dlg));
        });
    steps.RunModal(dlg);
}

// A card of a person the book holds gives that contact what it lacked: the summary counts and
// names it, the contact is selected, and one undo writes the book as it was.
TEST_F(MainWindowTest, AnImportMergesWhatABookContactLackedAndUndoTakesItBack) {
    WriteBook(Book({MakeContact("Adams", "Ann", "+1 425 555 0199"), MakeContact("Baker", "Bob")}));
    const std::string strBefore = ReadBytes(BookPath());
    const std::string strCard = m_folder.Path("ann.vcf");
    WriteBytes(strCard, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Ann;;;\r\nTEL;TYPE=CELL:+14255550199\r\n"
                        "ADR;TYPE=WORK:;;1 Main St;;;;\r\nEND:VCARD\r\n");
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    steps.Do([&] { DropFiles(dlg.m_hWnd, {strCard}); })
        .Then([&] { return answerer.m_boxes.size() == 2; })
        .Do([&] {
            ASSERT_EQ(2u, answerer.m_boxes.size());
            EXPECT_EQ(0u, answerer.m_boxes[1].strText.find(
                              "Imported from ann.vcf: added 0, skipped as duplicates 0"));
            EXPECT_NE(std::string::npos,
                      answerer.m_boxes[1].strText.find(", duplicates merged 1.\n\nann.vcf: merged "
                                                       "into \"Adams, Ann\": Office address\n"));
            EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "Baker,Bob"}), Rows(dlg));
            EXPECT_EQ(std::vector<int>{0}, SelectedRows(dlg));
            EXPECT_EQ("1 Main St", dlg.Book().Contacts()[0].officeaddress.GetStdString());
            EXPECT_EQ("+1 425 555 0199", dlg.Book().Contacts()[0].mobile.GetStdString());
            PostKey(dlg.List().m_hWnd, 'Z', true);
        })
        .Then([&] { return ReadBytes(BookPath()) == strBefore; })
        .Do([&] { EXPECT_FALSE(dlg.Book().CanUndo()); });
    steps.RunModal(dlg);
}

// Each undo takes back one change, latest first, and writes the file as it was before it.
TEST_F(MainWindowTest, UndoTakesBackAnEditADeletionOfAllAndAnImportToTheByte) {
    WriteBook(Book({MakeContact("Adams", "Ann"), MakeContact("Baker", "Bob")}));
    const std::string strCards = m_folder.Path("friends.vcf");
    WriteBytes(strCards, kTwoCards);
    std::vector<std::string> files = {ReadBytes(BookPath())};
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    CStepRunner steps;
    steps.Do([&] {
        dlg.Commands().Commit(dlg.Commands().StoreEditedContact(0, MakeContact("Aaron", "Ann")));
        files.push_back(ReadBytes(BookPath()));
        dlg.List().SelectAllRows();
        dlg.PostMessage(WM_COMMAND, IDC_DELETE, 0);
    });
    steps.Then([&] { return dlg.List().GetItemCount() == 0; }).Do([&] {
        EXPECT_EQ("Deleted 2 contacts. Undo (Ctrl+Z) brings them back.", StatusText(dlg));
        files.push_back(ReadBytes(BookPath()));
        DropFiles(dlg.m_hWnd, {strCards});
    });
    steps.Then([&] { return dlg.List().GetItemCount() == 2; });
    for (size_t nUndo = 3; nUndo-- > 0;) {
        steps.Do([&] { PostKey(dlg.List().m_hWnd, 'Z', true); }).Then([&, nUndo] {
            return ReadBytes(BookPath()) == files[nUndo];
        });
    }
    steps.Do([&] {
        EXPECT_EQ((std::vector<std::string>{"Adams,Ann", "Baker,Bob"}), Rows(dlg));
        EXPECT_FALSE(dlg.Book().CanUndo());
    });
    steps.RunModal(dlg);
}

// The menu greys what the contact under it lacks; Copy puts text and cards on the clipboard,
// and Paste brings the cards back in.
TEST_F(MainWindowTest, TheListMenuGreysWhatHasNothingToActOnAndCopyPastesBack) {
    CContact reachable = MakeContact("Adams", "Ann", "+1 555 0100");
    reachable.homeemail = "ann@example.org";
    WriteBook(Book({reachable, MakeContact("Baker", "Bob")}));
    const std::initializer_list<UINT> commands = {ID_SEND_EMAIL, ID_OPEN_WEB_PAGE, ID_CALL,  ID_COPY,
                                                  ID_UNDO,       ID_IMPORT,        ID_EXPORT};
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.m_bRunCommands = true;
    std::vector<std::vector<bool>> menus;
    auto recordMenu = [&] {
        HWND hPopup = FindShown("#32768", nullptr);
        if (hPopup) {
            menus.push_back(EnabledItems(hPopup, commands));
            ::EndMenu();
        }
        return hPopup != nullptr;
    };
    CStepRunner steps;
    steps.Do([&] {
        dlg.List().SelectRow(0);
        PostKey(dlg.List().m_hWnd, VK_APPS);
    });
    steps.Then(recordMenu).Do([&] {
        dlg.List().DeselectAllRows();
        dlg.List().SelectRow(1);
        dlg.PostMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dlg.List().m_hWnd), -1);
    });
    steps.Then(recordMenu).Do([&] {
        dlg.List().SelectAllRows();
        PostKey(dlg.List().m_hWnd, 'C', true);
    });
    steps.Then([&] { return StatusText(dlg) == "Copied 2 contacts."; }).Do([&] {
        ASSERT_TRUE(::OpenClipboard(dlg.m_hWnd));
        HANDLE hText = ::GetClipboardData(CF_UNICODETEXT);
        std::string strText = FromWide(static_cast<const wchar_t*>(::GlobalLock(hText))).GetStdString();
        ::GlobalUnlock(hText);
        ::CloseClipboard();
        EXPECT_EQ(0u,
                  strText.find(
                      "Adams, Ann\r\nMobile: +1 555 0100\r\nHome e-mail: ann@example.org\r\n\r\nBaker, Bob"));
        dlg.PostMessage(WM_COMMAND, IDC_DELETE, 0);
    });
    steps.Then([&] { return dlg.List().GetItemCount() == 0; }).Do([&] {
        PostKey(dlg.List().m_hWnd, 'V', true);
    });
    steps.Then([&] { return dlg.List().GetItemCount() == 2 && answerer.m_boxes.size() == 3; }).Do([&] {
        EXPECT_EQ("Import 2 contacts from the clipboard into your address book?",
                  answerer.m_boxes[1].strText);
        EXPECT_EQ("ann@example.org", dlg.Book().Contacts()[0].homeemail.GetStdString());
        dlg.PostMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(dlg.List().m_hWnd), -1);
    });
    steps.Then(recordMenu);
    steps.RunModal(dlg);
    ASSERT_EQ(3u, menus.size());
    //                                mail   page   call   copy   undo   import export
    EXPECT_EQ((std::vector<bool>{true, false, true, true, false, true, true}), menus[0]);
    EXPECT_EQ((std::vector<bool>{false, false, false, true, false, true, true}), menus[1]);
    EXPECT_EQ((std::vector<bool>{true, false, true, true, true, true, true}),
              menus[2]); // Adams selected again
}

// Export writes the type chosen in Save As, whatever the name; Import reads what Open picked.
TEST_F(MainWindowTest, TheSaveAsAndOpenDialogsChooseTheFileAndTheFormat) {
    WriteBook(Book({MakeContact("Adams", "Ann"), MakeContact("Baker", "Bob")}));
    const std::string strCards = m_folder.Path("friends.vcf");
    WriteBytes(strCards, kTwoCards);
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    // Fills the dialog's name box, picks the type, and presses its default button.
    auto answerDialog = [](const char* pszCaption, const std::string& strName, int nType) {
        return [=] {
            HWND hDlg = FindShown("#32770", pszCaption);
            if (!hDlg) {
                return false;
            }
            for (int nNameBox : {cmb13, edt1}) {
                ::SetDlgItemTextW(hDlg, nNameBox, ToWide(strName.c_str()).c_str());
            }
            HWND hTypes = ::GetDlgItem(hDlg, cmb1);
            ::SendMessageW(hTypes, CB_SETCURSEL, static_cast<WPARAM>(nType), 0);
            // A choice with the mouse or the keyboard ends with both notices.
            for (WORD nNotice : {CBN_SELCHANGE, CBN_SELENDOK}) {
                ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(cmb1, nNotice), reinterpret_cast<LPARAM>(hTypes));
            }
            ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
            return true;
        };
    };
    CStepRunner steps;
    steps.Do([&] { dlg.PostMessage(WM_COMMAND, ID_EXPORT, 0); })
        .Then(answerDialog("Export Contacts", m_folder.Path("everyone"), 3)) // Outlook CSV
        .Then([&] {
            return FileExists(m_folder.Path("everyone.csv")) && !FindShown("#32770", "Export Contacts");
        })
        .Do([&] {
            std::string strCsv = ReadBytes(m_folder.Path("everyone.csv"));
            EXPECT_NE(std::string::npos, strCsv.substr(0, strCsv.find('\n')).find("First Name"));
            EXPECT_NE(std::string::npos, strCsv.find("Baker"));
            EXPECT_EQ("Exported 2 contacts to everyone.csv.", StatusText(dlg));
            dlg.PostMessage(WM_COMMAND, ID_IMPORT, 0);
        })
        .Then(answerDialog("Import Contacts", strCards, 0))
        .Then([&] { return dlg.List().GetItemCount() == 4; });
    steps.RunModal(dlg);
    ASSERT_EQ(2u, answerer.m_boxes.size());
    EXPECT_EQ("Import 2 contacts from friends.vcf into your address book?", answerer.m_boxes[0].strText);
}

// A long import shows its progress; cancelled, it leaves the book and its file as they were.
TEST_F(MainWindowTest, ACancelledImportLeavesTheBookAsItWas) {
    WriteBook(Book({MakeContact("Adams", "Ann")}));
    const std::string strBook = ReadBytes(BookPath());
    // So many that the reading is still under way when the test sees the dialog, however busy
    // the machine: a cancel that came after the end would import them after all.
    std::string strCards;
    for (int i = 0; i < 250000; ++i) {
        strCards += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Many" + std::to_string(i) +
                    ";Max;;;\r\nTEL:555\r\nEND:VCARD\r\n";
    }
    const std::string strFile = m_folder.Path("many.vcf");
    WriteBytes(strFile, strCards);
    CMessageBoxAnswerer answerer(IDYES);
    CTestableDlg dlg(m_context);
    dlg.Interchange().m_nProgressDelayMs = 0;
    HWND hProgress = nullptr;
    CStepRunner steps;
    steps.Do([&] { DropFiles(dlg.m_hWnd, {strFile}); })
        .Then([&] {
            hProgress = FindShown("#32770", "Tovano Address Book");
            return hProgress && ::GetDlgItem(hProgress, IDC_PROGRESS_BAR);
        })
        .Do([&] { ::PostMessageW(hProgress, WM_COMMAND, IDCANCEL, 0); })
        .Then([&] { return !::IsWindow(hProgress); })
        .Do([&] {
            EXPECT_EQ("Import cancelled. The address book was not changed.", StatusText(dlg));
            EXPECT_EQ(1, dlg.List().GetItemCount());
            EXPECT_FALSE(dlg.Book().CanUndo());
        });
    steps.RunModal(dlg);
    EXPECT_TRUE(answerer.m_boxes.empty());
    EXPECT_EQ(strBook, ReadBytes(BookPath()));
}
