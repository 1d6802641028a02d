// The contact editor on its own: what it shows of a stored record and stores back, each way of
// leaving it, and the note field's colours as they are painted.
#include "WindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/editor/ContactDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kDeleteQuestion[] = "Are you sure you want to delete this contact?";
const char kEmptyMessage[] = "You have to enter some information before saving a contact";

// Records the commands that reach the dialog itself, to show which notifications its controls
// kept.
class CRecordingEditor : public CContactDlg {
public:
    BOOL OnCmdMsg(UINT nId, UINT nCode) override {
        m_commands.emplace_back(nId, nCode);
        return CContactDlg::OnCmdMsg(nId, nCode);
    }
    CColorEdit& NoteEdit() { return m_editNote; }

    std::vector<std::pair<UINT, UINT>> m_commands;
};

std::string ItemText(HWND hDlg, int nId) {
    wchar_t szText[512] = L"";
    ::GetDlgItemTextW(hDlg, nId, szText, static_cast<int>(std::size(szText)));
    return FromWide(szText).GetStdString();
}

// A key pressed with Ctrl and Alt down: a key-down (not a system key) with the Alt bit set.
void PostCtrlAltKey(HWND hWnd, WPARAM nKey) {
    UINT nScan = ::MapVirtualKeyA(static_cast<UINT>(nKey), MAPVK_VK_TO_VSC);
    ::PostMessageA(hWnd, WM_KEYDOWN, nKey, 1 | (nScan << 16) | (1 << 29));
}

} // namespace

// Stored text shows as the user reads it and is stored again unchanged; a double quote typed in
// is stored in its stored form.
TEST(ContactEditorTest, StoredTextRoundTripsThroughTheFields) {
    const struct {
        int nId;
        int nField;
        const char* pszStored;
        const char* pszShown;
    } fields[] = {
        {IDC_EDIT_LASTNAME, CContact::fieldLastName, "&quote;Al&quote; Baker", "\"Al\" Baker"},
        {IDC_EDIT_COMPANY, CContact::fieldCompany, "<b> & </b>", "<b> & </b>"},
        {IDC_EDIT_FIRSTNAME, CContact::fieldFirstName, "J\xC3\xBCrgen \xE2\x82\xAC\xC3\xA9", "J\xC3\xBCrgen \xE2\x82\xAC\xC3\xA9"},
        {IDC_EDIT_HOMEADDRESS, CContact::fieldHomeAddress, "1 Main St\\r\\nSpringfield", "1 Main St\r\nSpringfield"},
        {IDC_EDIT_OFFICEADDRESS, CContact::fieldOfficeAddress, "Floor 2\\r\\n\\r\\nDock", "Floor 2\r\n\r\nDock"},
        {IDC_EDIT_NOTE, CContact::fieldNote, "one\\r\\ntwo", "one\r\ntwo"},
        // Outside the three multi-line fields the same characters are plain text.
        {IDC_EDIT_NICKNAME, CContact::fieldNickname, "a\\r\\nb", "a\\r\\nb"},
    };
    // An edit shows a value only up to a zero byte; untouched, the value is kept whole.
    const CString strCutPhone("555\0" "0100", 8);
    CMessageBoxAnswerer answerer;
    for (bool bTypeQuote : {false, true}) {
        SCOPED_TRACE(bTypeQuote ? "a quote typed in" : "saved unchanged");
        CContactDlg dlg;
        for (const auto& field : fields) {
            dlg.m_contact.FieldAt(field.nField) = field.pszStored;
        }
        dlg.m_contact.homephone = strCutPhone;
        CStepRunner()
            .Do([&] {
                for (const auto& field : fields) {
                    EXPECT_EQ(field.pszShown, ItemText(dlg.m_hWnd, field.nId)) << field.nId;
                }
                if (bTypeQuote) {
                    ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_MOBILE, "555 \"x\"");
                }
                dlg.PostMessage(WM_COMMAND, IDOK, 0);
            })
            .ThenProgramEnds()
            .RunModal(dlg);
        for (const auto& field : fields) {
            EXPECT_EQ(field.pszStored, dlg.m_contact.FieldAt(field.nField)) << field.nId;
        }
        EXPECT_EQ(bTypeQuote ? "555 &quote;x&quote;" : "", dlg.m_contact.mobile);
        EXPECT_EQ(strCutPhone, dlg.m_contact.homephone);
        EXPECT_EQ(1, dlg.m_bSaved);
        EXPECT_EQ(0, dlg.m_bDeleted);
    }
    EXPECT_TRUE(answerer.m_boxes.empty());
}

// Every way of leaving the editor, with the result, the flags and the questions asked.
TEST(ContactEditorTest, EachWayOutEndsWithItsResultAndFlags) {
    struct Case {
        const char* pszName;
        bool bNew;
        int nAnswer;
        std::function<void(CContactDlg&)> act;
        bool bStaysOpen; // the test closes it after the questions
        INT_PTR nResult;
        int bSaved, bDeleted;
        std::vector<std::string> boxes;
        // What the test does once the questions were answered (default: Close).
        std::function<void(CContactDlg&)> afterBoxes = nullptr;
    };
    auto command = [](int nId) { return [nId](CContactDlg& dlg) { dlg.PostMessage(WM_COMMAND, nId, 0); }; };
    auto ctrlAlt = [](WPARAM nKey) { return [nKey](CContactDlg&) { PostCtrlAltKey(::GetFocus(), nKey); }; };
    const Case cases[] = {
        {"Close after editing", false, IDOK,
         [](CContactDlg& dlg) {
             ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_LASTNAME, "Changed");
             dlg.PostMessage(WM_COMMAND, IDCANCEL, 0);
         },
         false, IDCANCEL, 0, 0, {}},
        {"Escape", false, IDOK, [](CContactDlg&) { PostKey(::GetFocus(), VK_ESCAPE); }, false, IDCANCEL, 0, 0, {}},
        {"Enter saves", false, IDOK, [](CContactDlg&) { PostKey(::GetFocus(), VK_RETURN); }, false, IDOK, 1, 0, {}},
        {"Delete, No", false, IDNO, command(IDC_DELETE), true, IDCANCEL, 0, 0, {kDeleteQuestion}},
        {"Delete, Yes", false, IDYES, command(IDC_DELETE), false, IDOK, 1, 1, {kDeleteQuestion}},
        {"Save of a new contact with only a note", true, IDOK,
         [](CContactDlg& dlg) {
             ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_NOTE, "just a note");
             dlg.PostMessage(WM_COMMAND, IDOK, 0);
         },
         true, IDCANCEL, 0, 0, {kEmptyMessage}},
        {"Ctrl+Alt+S", false, IDOK, ctrlAlt('S'), false, IDOK, 1, 0, {}},
        {"Ctrl+Alt+C", false, IDOK, ctrlAlt('C'), false, IDCANCEL, 0, 0, {}},
        // The shortcut reaches Delete even while its button is disabled.
        {"Ctrl+Alt+D on a new contact, Yes", true, IDYES,
         [](CContactDlg& dlg) {
             ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_LASTNAME, "New");
             PostCtrlAltKey(::GetFocus(), 'D');
         },
         false, IDOK, 1, 1, {kDeleteQuestion}},
        // A deletion the emptiness check refused is not carried into the next Save.
        {"Delete of an emptied contact, Yes, then Save", false, IDYES,
         [](CContactDlg& dlg) {
             ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_LASTNAME, "");
             dlg.PostMessage(WM_COMMAND, IDC_DELETE, 0);
         },
         true, IDOK, 1, 0, {kDeleteQuestion, kEmptyMessage},
         [](CContactDlg& dlg) {
             ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_LASTNAME, "Adams");
             dlg.PostMessage(WM_COMMAND, IDOK, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CMessageBoxAnswerer answerer(c.nAnswer);
        CContactDlg dlg;
        dlg.m_bNew = c.bNew;
        if (!c.bNew) {
            dlg.m_contact.lastname = "Adams";
        }
        CStepRunner steps;
        steps.Do([&] {
            if (c.bNew) {
                EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_DELETE)));
            }
            EXPECT_EQ(dlg.GetDlgItem(IDC_EDIT_LASTNAME), ::GetFocus());
            EXPECT_EQ(IDOK, LOWORD(dlg.SendMessage(DM_GETDEFID)));
            c.act(dlg);
        });
        if (c.bStaysOpen) {
            steps.Then([&] { return answerer.m_boxes.size() == c.boxes.size() && !::GetWindow(dlg.m_hWnd, GW_ENABLEDPOPUP); })
                .Do([&] {
                    EXPECT_TRUE(dlg.IsWindowVisible());
                    EXPECT_EQ(0, dlg.m_bSaved);
                    if (c.afterBoxes) {
                        c.afterBoxes(dlg);
                    } else {
                        dlg.PostMessage(WM_COMMAND, IDCANCEL, 0);
                    }
                });
        }
        EXPECT_EQ(c.nResult, steps.ThenProgramEnds().RunModal(dlg));
        EXPECT_EQ(c.bSaved, dlg.m_bSaved);
        EXPECT_EQ(c.bDeleted, dlg.m_bDeleted);
        std::vector<std::string> boxes;
        for (const CMessageBoxRecord& box : answerer.m_boxes) {
            boxes.push_back(box.strText);
        }
        EXPECT_EQ(c.boxes, boxes);
        if (!answerer.m_boxes.empty() && c.boxes[0] == kDeleteQuestion) {
            EXPECT_EQ("Tovano Address Book", answerer.m_boxes[0].strCaption);
        }
    }
}

// The note paints on the tooltip colour in blue and keeps its changes to itself; the editor has
// its own taskbar button. A coloured edit of its own owns its font and one brush.
TEST(ContactEditorTest, NoteIsPaintedInItsColoursAndKeepsItsChanges) {
    // The tooltip colour of a fresh Wine prefix is white, which would not tell it from the
    // edit's own default.
    const COLORREF kTooltipColour = RGB(255, 255, 225);
    const int nElement = COLOR_INFOBK;
    COLORREF oldColour = ::GetSysColor(COLOR_INFOBK);
    ASSERT_TRUE(::SetSysColors(1, &nElement, &kTooltipColour));
    CRecordingEditor dlg;
    dlg.m_contact.lastname = "Adams";
    dlg.m_contact.note = "MMMMMMMM IIIIIIII";
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(std::vector<int>(), InaccessibleControls(dlg.m_hWnd));
            EXPECT_EQ(std::vector<int>(), ControlsWithCutText(dlg.m_hWnd));
            EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(dlg.m_hWnd));
            EXPECT_TRUE(dlg.GetExStyle() & WS_EX_APPWINDOW);
            HWND hNote = dlg.GetDlgItem(IDC_EDIT_NOTE);
            ::RedrawWindow(hNote, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            RECT client;
            ::GetClientRect(hNote, &client);
            EXPECT_EQ(kTooltipColour, ScreenPixel(hNote, client.right - 4, client.bottom - 4));
            EXPECT_TRUE(HasPixelNear(hNote, RGB(68, 54, 235))) << "no pixel of the text colour in the note";
            // Attached to the dialog's item, the note keeps the dialog's font.
            EXPECT_NE(dlg.NoteEdit().GetOwnFont(), reinterpret_cast<HFONT>(::SendMessageA(hNote, WM_GETFONT, 0, 0)));

            dlg.m_commands.clear();
            ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_NOTE, "changed");
            ::SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT_MOBILE, "changed");
            std::vector<std::pair<UINT, UINT>> changes;
            for (const auto& command : dlg.m_commands) {
                if (command.second == EN_CHANGE) {
                    changes.push_back(command);
                }
            }
            EXPECT_EQ((std::vector<std::pair<UINT, UINT>>{{IDC_EDIT_MOBILE, EN_CHANGE}}), changes);

            // Created through its own class, the control takes its bold Verdana font; a new
            // background colour replaces the one brush it holds.
            CColorEdit edit;
            ASSERT_TRUE(edit.CreateEx(0, "Edit", "text", WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 10, 200, 40},
                                      dlg.m_hWnd, 2000));
            LOGFONTA font = {};
            ASSERT_NE(0, ::GetObjectA(reinterpret_cast<HFONT>(edit.SendMessage(WM_GETFONT)), sizeof font, &font));
            EXPECT_EQ((std::vector<LONG>{14, FW_BOLD, VARIABLE_PITCH | FF_SWISS}),
                      (std::vector<LONG>{font.lfHeight, font.lfWeight, font.lfPitchAndFamily}));
            EXPECT_STREQ("Verdana", font.lfFaceName);
            HBRUSH hWhite = edit.GetBkBrush();
            edit.SetColors(RGB(1, 2, 3), RGB(0, 0, 0));
            HBRUSH hFirst = edit.GetBkBrush();
            edit.SetColors(RGB(4, 5, 6), RGB(0, 0, 0));
            EXPECT_EQ((std::vector<DWORD>{0, 0}), (std::vector<DWORD>{::GetObjectType(hWhite), ::GetObjectType(hFirst)}));
            LOGBRUSH brush = {};
            ASSERT_NE(0, ::GetObjectA(edit.GetBkBrush(), sizeof brush, &brush));
            EXPECT_EQ(RGB(4, 5, 6), brush.lbColor);
        })
        .RunModal(dlg);
    ::SetSysColors(1, &nElement, &oldColour);
}
