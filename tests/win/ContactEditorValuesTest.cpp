// The contact editor's further values: the list beside the fields, the value dialog, what Save
// and Close give back, and a layout that fits the screen and the keyboard.
#include "WindowTestSupport.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "support/TestFiles.h"
#include "ui/editor/ContactDlg.h"
#include "ui/editor/ValueDlg.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

// Failures show a value as its kind and texts.
void PrintTo(const CContactValue& value, std::ostream* pOut) {
    *pOut << "{" << static_cast<int>(value.kind) << ", \"" << value.type.GetString() << "\", \""
          << value.label.GetString() << "\", \"" << value.text.GetStdString() << "\"}";
}

namespace {

CContactValue Address(const char* pszType, std::vector<const char*> parts) {
    CString given[kAddressPartCount];
    std::copy(parts.begin(), parts.end(), given);
    CContactValue value{EValueKind::address, pszType, "", ""};
    value.SetAddressParts(given);
    return value;
}

std::string Text(HWND hWnd, int nId) { return CWnd::FromHandle(hWnd)->GetDlgItemText(nId).GetStdString(); }
void SetText(HWND hWnd, int nId, const char* pszText) {
    ::SetDlgItemTextW(hWnd, nId, ToWide(pszText).c_str());
}
void Click(HWND hDlg, int nId) { ::SendMessageW(::GetDlgItem(hDlg, nId), BM_CLICK, 0, 0); }

// The list's wrapper, to read it as the editor does.
CListCtrl& List(const CDialog& dlg) {
    return *static_cast<CListCtrl*>(CWnd::FromHandle(dlg.GetDlgItem(IDC_VALUE_LIST)));
}

// Each row of the list as "kind | label | value".
std::vector<std::string> Rows(const CDialog& dlg) {
    std::vector<std::string> rows;
    for (int nRow = 0; nRow < List(dlg).GetItemCount(); ++nRow) {
        rows.push_back(std::string(List(dlg).GetItemText(nRow, 0) + " | " + List(dlg).GetItemText(nRow, 1) +
                                   " | " + List(dlg).GetItemText(nRow, 2)));
    }
    return rows;
}

void SelectRow(const CDialog& dlg, int nRow) {
    List(dlg).SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The value dialog this thread has open, or null.
HWND ValueDialog() {
    HWND hFound = ::FindWindowW(L"#32770", L"Edit Value");
    return hFound ? hFound : ::FindWindowW(L"#32770", L"Add Value");
}

void ChooseKind(HWND hDlg, const char* pszKind) {
    HWND hKinds = ::GetDlgItem(hDlg, IDC_VALUE_KIND);
    ::SendMessageW(hKinds, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(ToWide(pszKind).c_str()));
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_VALUE_KIND, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hKinds));
}

// The visible controls of a dialog, each inside its client area and none over another but in
// a group box.
void ExpectLaidOut(HWND hDlg) {
    RECT client, inside;
    ::GetClientRect(hDlg, &client);
    std::vector<RECT> shown;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        RECT rect;
        ::GetWindowRect(hChild, &rect);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rect), 2);
        wchar_t szClass[16] = L"";
        ::GetClassNameW(hChild, szClass, 16);
        bool bGroup = std::wstring(szClass) == L"Button" &&
                      (::GetWindowLongW(hChild, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        if (!::IsWindowVisible(hChild) || bGroup) {
            continue;
        }
        ::IntersectRect(&inside, &rect, &client);
        EXPECT_TRUE(::EqualRect(&inside, &rect)) << "cut off: " << ::GetDlgCtrlID(hChild);
        for (const RECT& other : shown) {
            EXPECT_FALSE(::IntersectRect(&inside, &rect, &other))
                << "covers another: " << ::GetDlgCtrlID(hChild);
        }
        shown.push_back(rect);
    }
}

} // namespace

// Rows for what the fields do not show; a value opened (double click) and left as it was, Remove
// (Delete key), Edit (Enter) and Add, given back by Save and not by Close. Untouched values come
// back byte for byte where they were, although an edit cannot show each whole; an address
// field's parts (not listed) stay until the field itself changes.
TEST(ContactEditorValuesTest, ListChangesReachTheContactOnSaveOnly) {
    const std::vector<CContactValue> original = {
        {EValueKind::phone, "WORK", "&quote;Desk&quote;",
         CString("555\0"
                 "0100",
                 8)},
        {EValueKind::cardProperty, "", "", "X-FOO;A=b:c"},
        {EValueKind::photo, "", "", "baker.jpg"},
        {EValueKind::email, "home", "", "al@home.example"},
        Address("home", {"", "", "1 Main St", "Springfield"}),
        {EValueKind::date, "birthday", "", "--05-17"},
    };
    for (int nWayOut : {IDOK, IDC_EDIT_HOMEADDRESS, IDCANCEL}) {
        SCOPED_TRACE(nWayOut);
        CMessageBoxAnswerer answerer;
        CContactDlg dlg;
        dlg.m_contact.homeaddress = "1 Main St\\r\\nSpringfield";
        dlg.m_contact.values = original;
        auto pressOk = [](void (*fill)(HWND)) {
            return [fill] {
                EXPECT_EQ(std::vector<int>(), InaccessibleControls(ValueDialog()));
                EXPECT_EQ(std::vector<int>(), ControlsWithCutText(ValueDialog()));
                EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(ValueDialog()));
                fill(ValueDialog());
                ::PostMessageW(ValueDialog(), WM_COMMAND, IDOK, 0);
            };
        };
        CStepRunner()
            .Do([&] {
                EXPECT_EQ((std::vector<std::string>{
                              "Phone | \"Desk\" (WORK) | 555", "Card property |  | X-FOO;A=b:c",
                              "E-mail | home | al@home.example", "Date | birthday | 17 May"}),
                          Rows(dlg));
                RECT row = {};
                row.left = LVIR_LABEL;
                List(dlg).SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
                List(dlg).SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 4, row.top + 2));
            })
            .Then([] { return ValueDialog() != nullptr; })
            .Do(pressOk([](HWND) {}))
            .Then([] { return !ValueDialog(); })
            .Do([&] {
                SelectRow(dlg, 1);
                EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_VALUE_EDIT)))
                    << "a card's property is read-only";
                EXPECT_TRUE(::IsWindowEnabled(dlg.GetDlgItem(IDC_VALUE_REMOVE)));
                PostKey(dlg.GetDlgItem(IDC_VALUE_LIST), VK_DELETE);
            })
            .Then([&] { return Rows(dlg).size() == 3; })
            .Do([&] { PostKey(dlg.GetDlgItem(IDC_VALUE_LIST), VK_RETURN); }) // the row after the removed one
            .Then([] { return ValueDialog() != nullptr; })
            .Do(pressOk([](HWND h) {
                EXPECT_EQ("al@home.example", Text(h, IDC_VALUE_TEXT));
                SetText(h, IDC_VALUE_TEXT, "al@baker.example");
            }))
            .Then([] { return !ValueDialog(); })
            .Do([&] { dlg.PostMessage(WM_COMMAND, IDC_VALUE_ADD, 0); })
            .Then([] { return ValueDialog() != nullptr; })
            .Do(pressOk([](HWND) {})) // nothing entered: refused with a message, the dialog stays
            .Then([&] {
                return answerer.m_boxes.size() == 1 && !::FindWindowW(L"#32770", L"Tovano Address Book");
            })
            .Do(pressOk([](HWND h) {
                ChooseKind(h, "Messaging");
                SetText(h, IDC_VALUE_TYPE, "Skype");
                SetText(h, IDC_VALUE_TEXT, "al.baker");
            }))
            .Then([&] { return !ValueDialog() && Rows(dlg).size() == 4; })
            .Do([&] {
                if (nWayOut == IDC_EDIT_HOMEADDRESS) {
                    SetText(dlg.m_hWnd, IDC_EDIT_HOMEADDRESS, "3 New St");
                }
                dlg.PostMessage(WM_COMMAND, nWayOut == IDCANCEL ? IDCANCEL : IDOK, 0);
            })
            .ThenProgramEnds()
            .RunModal(dlg);
        std::vector<CContactValue> expected = original;
        if (nWayOut != IDCANCEL) {
            // The edited address fills the empty home e-mail field: each field is the first value
            // of its kind.
            expected = {original[0], original[2], original[4], original[5],
                        {EValueKind::messaging, "skype", "", "al.baker"}};
        }
        if (nWayOut == IDC_EDIT_HOMEADDRESS) {
            expected.erase(expected.begin() + 2);
        }
        EXPECT_EQ(expected, dlg.m_contact.values);
        EXPECT_EQ(nWayOut == IDCANCEL ? "" : "al@baker.example", dlg.m_contact.homeemail.GetStdString());
        EXPECT_EQ(1u, answerer.m_boxes.size());
    }
}

// The value dialog on its own: dates with and without their year, an address in its parts.
TEST(ContactEditorValuesTest, ValueDialogWritesDatesWithAndWithoutYearAndAddressParts) {
    const struct {
        const char* pszName;
        CContactValue value;
        void (*act)(HWND);
        CContactValue expected;
    } cases[] = {
        {"new date, no year", CContactValue{EValueKind::date, "", "", ""},
         [](HWND h) {
             SYSTEMTIME time = {};
             time.wYear = 1980, time.wMonth = 5, time.wDay = 17;
             ::SendMessageW(::GetDlgItem(h, IDC_VALUE_DATE), DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&time));
             Click(h, IDC_VALUE_NO_YEAR);
         },
         CContactValue{EValueKind::date, "birthday", "", "--05-17"}},
        {"no-year date given a year", CContactValue{EValueKind::date, "", "Leap", "--02-29"},
         [](HWND h) {
             EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(h, IDC_VALUE_NO_YEAR));
             Click(h, IDC_VALUE_NO_YEAR);
         },
         CContactValue{EValueKind::date, "", "Leap", "2000-02-29"}},
        {"address", Address("home", {"PO 5", "", "1 Main St", "Springfield"}),
         [](HWND h) {
             EXPECT_EQ("PO 5|1 Main St|Springfield", Text(h, IDC_VALUE_PO_BOX) + "|" +
                                                         Text(h, IDC_VALUE_STREET) + "|" +
                                                         Text(h, IDC_VALUE_LOCALITY));
             SetText(h, IDC_VALUE_STREET, "1 Main St\r\n\"Rose\" Flat");
             SetText(h, IDC_VALUE_COUNTRY, "USA");
         },
         Address("home",
                 {"PO 5", "", "1 Main St\\r\\n&quote;Rose&quote; Flat", "Springfield", "", "", "USA"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CValueDlg dlg;
        dlg.m_value = c.value;
        dlg.m_bNew = c.value.text.IsEmpty();
        auto act = [&] {
            c.act(dlg.m_hWnd);
            dlg.PostMessage(WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(IDOK, CStepRunner().Do(act).ThenProgramEnds().RunModal(dlg));
        EXPECT_EQ(c.expected, dlg.m_value);
    }
}

// Tab goes from the sixteen fields through the list and its buttons to Save, Delete and Close;
// every access key is the only one of its letter and none is a Ctrl+Alt shortcut's; both
// dialogs fit a 1024 x 768 screen with nothing cut off or covered, whatever the kind.
TEST(ContactEditorValuesTest, LayoutFitsTheScreenAndTheKeyboardReachesEverything) {
    CContactDlg dlg;
    dlg.m_contact.lastname = "Baker";
    dlg.m_contact.values = {CContactValue{EValueKind::group, "", "", "Choir"}};
    auto expectFits = [](HWND hWnd) {
        RECT window;
        ::GetWindowRect(hWnd, &window);
        EXPECT_LE(window.right - window.left, 1024);
        EXPECT_LE(window.bottom - window.top, 768 - 40); // a taskbar's room
        ExpectLaidOut(hWnd);
    };
    CStepRunner()
        .Do([&] {
            SelectRow(dlg, 0);
            std::vector<int> order;
            HWND hControl = dlg.GetDlgItem(IDC_EDIT_NOTE);
            for (int i = 0; i < 8; ++i) {
                hControl = ::GetNextDlgTabItem(dlg.m_hWnd, hControl, FALSE);
                order.push_back(::GetDlgCtrlID(hControl));
            }
            // Remove is grey without a photo.
            EXPECT_EQ((std::vector<int>{IDC_PHOTO_CHOOSE, IDC_VALUE_LIST, IDC_VALUE_ADD, IDC_VALUE_EDIT, IDC_VALUE_REMOVE, IDOK,
                                        IDC_DELETE, IDCANCEL}),
                      order);
            std::set<wchar_t> keys = {L'S', L'D', L'C'};
            for (HWND hChild = ::GetWindow(dlg.m_hWnd, GW_CHILD); hChild;
                 hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
                wchar_t szText[64] = L"";
                ::GetWindowTextW(hChild, szText, 64);
                if (const wchar_t* pAmp = wcschr(szText, L'&')) {
                    EXPECT_TRUE(keys.insert(towupper(pAmp[1])).second) << FromWide(szText).GetString();
                }
            }
            expectFits(dlg.m_hWnd);
            RECT window;
            dlg.GetWindowRect(&window);
            std::printf("editor: %ld x %ld pixels\n", window.right - window.left, window.bottom - window.top);
            ::PostMessageW(::GetFocus(), WM_SYSCHAR, 'a', 1 | (1 << 29)); // Alt+A: Add...
        })
        .Then([] { return ValueDialog() != nullptr; })
        .Do([&] {
            HWND hKinds = ::GetDlgItem(ValueDialog(), IDC_VALUE_KIND);
            for (int nKind = 0; nKind < ::SendMessageW(hKinds, CB_GETCOUNT, 0, 0); ++nKind) {
                ::SendMessageW(hKinds, CB_SETCURSEL, static_cast<WPARAM>(nKind), 0);
                ::SendMessageW(ValueDialog(), WM_COMMAND, MAKEWPARAM(IDC_VALUE_KIND, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(hKinds));
                SCOPED_TRACE(Text(ValueDialog(), IDC_VALUE_KIND));
                expectFits(ValueDialog());
            }
            ::PostMessageW(ValueDialog(), WM_COMMAND, IDCANCEL, 0);
        })
        .Then([] { return !ValueDialog(); })
        .RunModal(dlg);
}

namespace {

// A bitmap file of one colour, the plainest picture the system reads.
std::string BitmapFile(int nWidth, int nHeight, COLORREF colour) {
    const int nRow = (nWidth * 3 + 3) / 4 * 4;
    std::string strFile(54 + static_cast<size_t>(nRow * nHeight), '\0');
    auto put = [&](size_t nAt, uint32_t nValue, int nBytes) {
        for (int i = 0; i < nBytes; ++i) {
            strFile[nAt + static_cast<size_t>(i)] = static_cast<char>((nValue >> (8 * i)) & 0xFF);
        }
    };
    strFile[0] = 'B';
    strFile[1] = 'M';
    put(2, static_cast<uint32_t>(strFile.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(nWidth), 4);
    put(22, static_cast<uint32_t>(nHeight), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < nHeight; ++y) {
        for (int x = 0; x < nWidth; ++x) {
            size_t nAt = 54 + static_cast<size_t>(y * nRow + x * 3);
            put(nAt, static_cast<uint32_t>(GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16), 3);
        }
    }
    return strFile;
}

// The colour the photo box shows at its centre, or near its corner.
COLORREF PhotoCentre(HWND hDlg, bool bCorner = false) {
    HWND hBox = ::GetDlgItem(hDlg, IDC_PHOTO);
    auto hBitmap = reinterpret_cast<HBITMAP>(::SendMessageW(hBox, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info = {};
    if (!hBitmap || !::GetObjectW(hBitmap, sizeof info, &info)) {
        return CLR_INVALID;
    }
    HDC hMemory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
    COLORREF colour = bCorner ? ::GetPixel(hMemory, 2, 2) : ::GetPixel(hMemory, info.bmWidth / 2, info.bmHeight / 2);
    ::SelectObject(hMemory, hOld);
    ::DeleteDC(hMemory);
    return colour;
}

} // namespace

// The photo shows scaled in its box; Choose takes a picture file (refusing one that is none),
// Remove takes the photo away, and only Save gives either back, the other values untouched.
TEST(ContactEditorValuesTest, ThePhotoIsChosenShownAndRemoved) {
    CTempFolder folder;
    CPhotoFolder photos(folder.Path("tbk.xml").c_str());
    CString strBlue;
    ASSERT_TRUE(photos.Store(BitmapFile(300, 200, RGB(0, 0, 255)), strBlue, nullptr));
    const std::string strRed = BitmapFile(40, 60, RGB(255, 0, 0));
    WriteBytes(folder.Path("red.bmp"), strRed);
    WriteBytes(folder.Path("notes.bmp"), "no picture at all");
    const CContactValue group{EValueKind::group, "", "", "Choir"};
    CContactDlg dlg;
    dlg.m_pPhotos = &photos;
    dlg.m_contact.lastname = "Baker";
    dlg.m_contact.values = {group, CContactValue{EValueKind::photo, "", "", strBlue}};
    CMessageBoxAnswerer answerer;
    auto choose = [&](const std::string& strPath) {
        return [&dlg, strPath] {
            HWND hOpen = ::FindWindowW(L"#32770", L"Choose Photo");
            if (!hOpen || !::IsWindowVisible(hOpen)) {
                return false;
            }
            for (int nNameBox : {cmb13, edt1}) {
                ::SetDlgItemTextW(hOpen, nNameBox, ToWide(strPath.c_str()).c_str());
            }
            ::PostMessageW(hOpen, WM_COMMAND, IDOK, 0);
            return true;
        };
    };
    auto chooseClosed = [] { return !::FindWindowW(L"#32770", L"Choose Photo"); };
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(RGB(0, 0, 255), PhotoCentre(dlg.m_hWnd));
            EXPECT_TRUE(::IsWindowEnabled(dlg.GetDlgItem(IDC_PHOTO_REMOVE)));
            dlg.PostMessage(WM_COMMAND, IDC_PHOTO_CHOOSE, 0); // its dialog runs outside this step
        })
        .Then(choose(folder.Path("notes.bmp")))
        .Then([&] { return chooseClosed() && answerer.m_boxes.size() == 1; })
        .Do([&] {
            EXPECT_EQ(RGB(0, 0, 255), PhotoCentre(dlg.m_hWnd)) << "a file that is no picture changes nothing";
            dlg.PostMessage(WM_COMMAND, IDC_PHOTO_CHOOSE, 0); // its dialog runs outside this step
        })
        .Then(choose(folder.Path("red.bmp")))
        .Then(chooseClosed)
        .Do([&] {
            EXPECT_EQ(RGB(255, 0, 0), PhotoCentre(dlg.m_hWnd));
            dlg.PostMessage(WM_COMMAND, IDOK, 0);
        })
        .RunModal(dlg);
    ASSERT_EQ(1u, answerer.m_boxes.size());
    EXPECT_NE(std::string::npos, answerer.m_boxes[0].strText.find("not a picture"));
    std::string strBytes;
    ASSERT_EQ(2u, dlg.m_contact.values.size());
    EXPECT_EQ(group, dlg.m_contact.values[0]);
    EXPECT_TRUE(InlinePhotoBytes(dlg.m_contact.values[1].text, strBytes) && strBytes == strRed);

    dlg.m_bSaved = 0;
    CStepRunner()
        .Do([&] {
            EXPECT_EQ(RGB(255, 0, 0), PhotoCentre(dlg.m_hWnd));
            Click(dlg.m_hWnd, IDC_PHOTO_REMOVE);
            EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(IDC_PHOTO_REMOVE)));
            EXPECT_EQ(dlg.GetDlgItem(IDC_PHOTO_CHOOSE), ::GetFocus());
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), PhotoCentre(dlg.m_hWnd, true));
            dlg.PostMessage(WM_COMMAND, IDOK, 0);
        })
        .RunModal(dlg);
    EXPECT_EQ(std::vector<CContactValue>{group}, dlg.m_contact.values);
}
