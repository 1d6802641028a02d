// The main window's image buttons and search toggle as they are painted: pixels read back from
// the screen against the strips and pictures in the resources.
#include "MainWindowTestSupport.h"
#include "res/resource.h"
#include "ui/controls/ArtLogic.h"
#include "ui/controls/ArtResources.h"
#include "ui/controls/HoverLogic.h"

#include <commctrl.h>

namespace {

const int kSide = 55;

// What a pixel of a state image of the strip looks like over the snapshot colour.
COLORREF ExpectedPixel(UINT nStrip, int nState, int x, int y, COLORREF background) {
    HRSRC hResource = ::FindResourceA(nullptr, MAKEINTRESOURCEA(nStrip), "RAW");
    const uint8_t* pStrip = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, hResource)));
    CStripLayout layout = MakeStripLayout(kSide, kSide * kHoverStateCount, false);
    size_t nIndex = StateImageStart(layout, nState) + static_cast<size_t>(y) * kSide + static_cast<size_t>(x);
    // The snapshot holds what lay beneath as 0xFFRRGGBB.
    uint32_t nSnapshot = 0xFF000000u | uint32_t(GetRValue(background)) << 16 | uint32_t(GetGValue(background)) << 8 |
                         GetBValue(background);
    uint32_t nBlended = BlendStripPixel(pStrip + 4 * nIndex, nSnapshot);
    return RGB((nBlended >> 16) & 0xFF, (nBlended >> 8) & 0xFF, nBlended & 0xFF);
}

std::string ToolTipText(HWND hToolTip, HWND hTool) {
    char szText[80] = "";
    TOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = hTool;
    info.uId = 1;
    info.lpszText = szText;
    ::SendMessageA(hToolTip, TTM_GETTEXTA, sizeof szText, reinterpret_cast<LPARAM>(&info));
    return szText;
}

} // namespace

// Each of the six buttons is one 55-pixel state image in its region, with its tooltip; each
// state shows its image blended over what lay beneath the button.
TEST_F(MainWindowTest, ImageButtonsShowTheStateImageOfTheirStrip) {
    const struct {
        int nId;
        UINT nStrip;
        const char* pszToolTip;
    } buttons[] = {
        {IDC_ADD_NEW, IDR_RAW_ADDNEW, "Add New"}, {IDC_VIEW_EDIT, IDR_RAW_VIEWEDIT, "View/Edit Contact"},
        {IDC_HELP_BUTTON, IDR_RAW_HELP, "Help"},  {IDC_DELETE, IDR_RAW_DELETE, "Delete Contact"},
        {IDOK, IDR_RAW_EXIT, "Exit Program"},     {IDC_HOME, IDR_RAW_HOME, "TovanoSoft"},
    };
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            COLORREF face = ::GetSysColor(COLOR_BTNFACE);
            for (const auto& button : buttons) {
                SCOPED_TRACE(button.pszToolTip);
                HWND hButton = dlg.GetDlgItem(button.nId);
                RECT rcClient;
                ::GetClientRect(hButton, &rcClient);
                EXPECT_EQ((std::vector<LONG>{kSide, kSide}), (std::vector<LONG>{rcClient.right, rcClient.bottom}));
                HRGN hRegion = ::CreateRectRgn(0, 0, 0, 0);
                RECT rcRegion = {};
                ASSERT_EQ(SIMPLEREGION, ::GetWindowRgn(hButton, hRegion));
                ::GetRgnBox(hRegion, &rcRegion);
                ::DeleteObject(hRegion);
                EXPECT_EQ((std::vector<LONG>{0, 0, kSide, kSide}),
                          (std::vector<LONG>{rcRegion.left, rcRegion.top, rcRegion.right, rcRegion.bottom}));
                auto* pButton = static_cast<CHoverButtonEx*>(CWnd::FromHandle(hButton));
                ASSERT_NE(nullptr, pButton->GetToolTip());
                EXPECT_EQ(button.pszToolTip, ToolTipText(pButton->GetToolTip()->m_hWnd, hButton));
            }

            // The states of one button, from its centre (the emblem) to a corner (nothing of
            // the strip, the snapshot itself).
            HWND hButton = dlg.GetDlgItem(IDC_ADD_NEW);
            const struct {
                const char* pszName;
                std::function<void()> enter;
                int nState;
            } states[] = {
                {"normal", [] {}, kHoverStateNormal},
                {"hover", [&] { ::SendMessageA(hButton, WM_MOUSEHOVER, 0, 0); }, kHoverStateHover},
                {"pressed", [&] { ::SendMessageA(hButton, BM_SETSTATE, TRUE, 0); }, kHoverStatePressed},
                {"released under the pointer", [&] { ::SendMessageA(hButton, BM_SETSTATE, FALSE, 0); },
                 kHoverStateHover},
                {"left", [&] { ::SendMessageA(hButton, WM_MOUSELEAVE, 0, 0); }, kHoverStateNormal},
                {"disabled", [&] { ::EnableWindow(hButton, FALSE); }, kHoverStateDisabled},
            };
            for (const auto& state : states) {
                SCOPED_TRACE(state.pszName);
                state.enter();
                ::RedrawWindow(hButton, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                for (POINT pt : {POINT{27, 27}, POINT{20, 15}, POINT{0, 0}}) {
                    EXPECT_EQ(ExpectedPixel(IDR_RAW_ADDNEW, state.nState, pt.x, pt.y, face),
                              ScreenPixel(hButton, pt.x, pt.y))
                        << pt.x << "," << pt.y;
                }
            }
            ::EnableWindow(hButton, TRUE);

            // A strip that is missing, or shorter than the size asked for, is not read: the
            // button goes back to a plain push button with its caption.
            auto* pButton = static_cast<CHoverButtonEx*>(CWnd::FromHandle(hButton));
            EXPECT_FALSE(pButton->LoadRaw(IDR_RAW_ADDNEW, kSide, kSide * 8));
            EXPECT_FALSE(pButton->LoadRaw(9999, kSide, kSide * kHoverStateCount));
            ::RedrawWindow(hButton, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EXPECT_NE(DWORD(BS_OWNERDRAW), ::GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK);
        })
        .RunModal(dlg);
}

// SetUp for another dots per inch and face: every image button takes the size of the strip drawn
// for it, keeps its top-left corner and its tooltip covers it, shows that strip's state over what
// lies beneath it (not over the button's own picture of before), the dark strip on the dark
// face, and the toggle paints the dark face.
TEST_F(MainWindowTest, ButtonsTakeThePictureOfTheDpiAndFaceTheyAreSetUpFor) {
    const int kButtons[] = {IDC_ADD_NEW, IDC_VIEW_EDIT, IDC_HELP_BUTTON, IDC_DELETE, IDOK, IDC_HOME};
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
            const uint32_t nSnapshot = 0xFF000000u | uint32_t(GetRValue(face)) << 16 |
                                       uint32_t(GetGValue(face)) << 8 | GetBValue(face);
            HWND hAddNew = dlg.GetDlgItem(IDC_ADD_NEW);
            auto topLeft = [&](int nId) {
                const RECT rc = RectInParent(dlg.GetDlgItem(nId));
                return std::vector<LONG>{rc.left, rc.top};
            };
            // Every seventh pixel of the normal state on the screen against the strip over the face.
            auto expectShows = [&](const CArtPixels& strip) {
                ::RedrawWindow(hAddNew, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                for (int y = 0; y < strip.nWidth; y += 7) {
                    for (int x = 0; x < strip.nWidth; x += 7) {
                        uint32_t n = BlendStripPixel(&strip.rgba[(size_t(y) * strip.nWidth + x) * 4], nSnapshot);
                        ASSERT_EQ(RGB(n >> 16 & 0xFF, n >> 8 & 0xFF, n & 0xFF), ScreenPixel(hAddNew, x, y))
                            << x << "," << y;
                    }
                }
            };
            std::vector<std::vector<LONG>> corners;
            for (int nId : kButtons)
                corners.push_back(topLeft(nId));

            CArtPixels light, dark;
            ASSERT_TRUE(LoadToolStrip(::GetModuleHandleA(nullptr), IDR_RAW_ADDNEW, 192, false, light));
            ASSERT_TRUE(LoadToolStrip(::GetModuleHandleA(nullptr), IDR_RAW_ADDNEW, 192, true, dark));
            dlg.Buttons().SetUp(192, false);
            for (size_t i = 0; i < std::size(kButtons); ++i) {
                SCOPED_TRACE(kButtons[i]);
                HWND hButton = dlg.GetDlgItem(kButtons[i]);
                RECT rc;
                ::GetClientRect(hButton, &rc);
                EXPECT_EQ((std::vector<LONG>{110, 110}), (std::vector<LONG>{rc.right, rc.bottom}));
                HRGN hRegion = ::CreateRectRgn(0, 0, 0, 0);
                ASSERT_EQ(SIMPLEREGION, ::GetWindowRgn(hButton, hRegion));
                ::GetRgnBox(hRegion, &rc);
                ::DeleteObject(hRegion);
                EXPECT_EQ((std::vector<LONG>{0, 0, 110, 110}),
                          (std::vector<LONG>{rc.left, rc.top, rc.right, rc.bottom}));
                EXPECT_EQ(corners[i], topLeft(kButtons[i]));
                // The tooltip answers the pointer over the whole of the larger button.
                auto* pButton = static_cast<CHoverButtonEx*>(CWnd::FromHandle(hButton));
                TOOLINFOA tool = {};
                tool.cbSize = sizeof tool;
                tool.hwnd = hButton;
                tool.uId = 1;
                ASSERT_TRUE(::SendMessageA(pButton->GetToolTip()->m_hWnd, TTM_GETTOOLINFOA, 0,
                                           reinterpret_cast<LPARAM>(&tool)));
                EXPECT_EQ((std::vector<LONG>{0, 0, 110, 110}),
                          (std::vector<LONG>{tool.rect.left, tool.rect.top, tool.rect.right, tool.rect.bottom}));
            }
            expectShows(light);
            dlg.Buttons().SetUp(192, true);
            expectShows(dark);

            // The toggle's face beside its picture, where the picture is clear.
            HWND hToggle = dlg.SearchButton().m_hWnd;
            RECT rcToggle;
            ::GetClientRect(hToggle, &rcToggle);
            auto toggleFace = [&] {
                ::RedrawWindow(hToggle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                return ScreenPixel(hToggle, 2, rcToggle.bottom / 2);
            };
            dlg.Buttons().SetUp(96, true);
            EXPECT_EQ(RGB(kArtDarkFace >> 16, kArtDarkFace >> 8 & 0xFF, kArtDarkFace & 0xFF), toggleFace());

            // Back on the light face, the 55-pixel strip shows over the window's face, where the
            // larger dark picture was before.
            dlg.Buttons().SetUp(96, false);
            EXPECT_EQ(face, toggleFace());
            CArtPixels small;
            ASSERT_TRUE(LoadToolStrip(::GetModuleHandleA(nullptr), IDR_RAW_ADDNEW, 96, false, small));
            ASSERT_EQ(55, small.nWidth);
            expectShows(small);
            for (size_t i = 0; i < std::size(kButtons); ++i)
                EXPECT_EQ(corners[i], topLeft(kButtons[i])) << kButtons[i];
        })
        .RunModal(dlg);
}

// The search toggle: raised with the up picture, sunken with the down picture while checked,
// and the check states the button takes.
TEST_F(MainWindowTest, SearchToggleShowsItsPictureForItsState) {
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            HWND hToggle = dlg.SearchButton().m_hWnd;
            RECT rc;
            ::GetClientRect(hToggle, &rc);
            auto picturePixel = [](UINT nBitmap, int x, int y) {
                HBITMAP hBitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nBitmap));
                HDC hMemory = ::CreateCompatibleDC(nullptr);
                HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
                COLORREF color = ::GetPixel(hMemory, x, y);
                ::SelectObject(hMemory, hOld);
                ::DeleteDC(hMemory);
                ::DeleteObject(hBitmap);
                return color;
            };
            // The 53-pixel picture is centred; its centre is drawn at the button's centre.
            int x = rc.right / 2, y = rc.bottom / 2;
            int px = x - (rc.right - 53) / 2, py = y - (rc.bottom - 53) / 2;
            const struct {
                WPARAM nCheck;
                int nExpected;
                UINT nBitmap;
                int nBorderColour; // of the left edge, halfway down
            } cases[] = {
                {BST_UNCHECKED, BST_UNCHECKED, IDB_SEARCH_UP, COLOR_BTNHIGHLIGHT},
                {BST_CHECKED, BST_CHECKED, IDB_SEARCH_DOWN, COLOR_BTNSHADOW},
                {BST_INDETERMINATE, BST_CHECKED, IDB_SEARCH_DOWN, COLOR_BTNSHADOW},
                {3, BST_UNCHECKED, IDB_SEARCH_UP, COLOR_BTNHIGHLIGHT},
            };
            for (const auto& c : cases) {
                SCOPED_TRACE(c.nCheck);
                ::SendMessageA(hToggle, BM_SETCHECK, c.nCheck, 0);
                EXPECT_EQ(c.nExpected, ::SendMessageA(hToggle, BM_GETCHECK, 0, 0));
                ::RedrawWindow(hToggle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                EXPECT_EQ(picturePixel(c.nBitmap, px, py), ScreenPixel(hToggle, x, y));
                EXPECT_EQ(::GetSysColor(c.nBorderColour), ScreenPixel(hToggle, 0, rc.bottom / 2));
            }
            ::SendMessageA(hToggle, BM_SETCHECK, BST_UNCHECKED, 0);

            // Focused: a black frame on the edge, the bevel one pixel inside it.
            ::SetFocus(hToggle);
            ::RedrawWindow(hToggle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EXPECT_EQ(RGB(0, 0, 0), ScreenPixel(hToggle, 0, rc.bottom / 2));
            EXPECT_EQ(::GetSysColor(COLOR_BTNHIGHLIGHT), ScreenPixel(hToggle, 1, rc.bottom / 2));

            // A double click is two clicks: checked and unchecked again, and two commands.
            dlg.m_commands.clear();
            LPARAM point = MAKELPARAM(x, y);
            for (UINT nMessage : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
                ::PostMessageA(hToggle, nMessage, nMessage == WM_LBUTTONUP ? 0 : MK_LBUTTON, point);
            }
            PumpMessages(dlg.m_hWnd);
            EXPECT_EQ((std::vector<UINT>{IDC_SEARCH, IDC_SEARCH}), dlg.m_commands);
            EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(hToggle, BM_GETCHECK, 0, 0));
        })
        .RunModal(dlg);
}

// The buttons take their kind from the style's type, not from single bits of it; a skin button
// lets go of every bitmap it is handed; disabling a button moves the focus on only when it had
// the focus.
TEST_F(MainWindowTest, ButtonsReadTheirTypeAndKeepTheFocusWhereItBelongs) {
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            int nId = 3000;
            auto makeButton = [&](DWORD dwType) {
                return ::CreateWindowExA(0, "Button", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | dwType, 0, 0, 40, 40,
                                         dlg.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId++)), nullptr,
                                         nullptr);
            };
            const struct {
                DWORD dwType;
                bool bToggle;
            } types[] = {
                {BS_PUSHBUTTON, false}, {BS_DEFPUSHBUTTON, false}, {BS_CHECKBOX, true},  {BS_AUTOCHECKBOX, true},
                {BS_3STATE, false},     {BS_GROUPBOX, false},      {BS_OWNERDRAW, false}, {BS_PUSHBOX, false},
            };
            for (const auto& type : types) {
                SCOPED_TRACE(type.dwType);
                CSkinButton skin;
                ASSERT_TRUE(skin.SubclassWindow(makeButton(type.dwType)));
                EXPECT_EQ(type.bToggle, skin.IsCheckBox());
                ::DestroyWindow(skin.m_hWnd);
            }

            // A default push button is not owner-drawn until the strip makes it so.
            CHoverButtonEx hover;
            ASSERT_TRUE(hover.SubclassWindow(makeButton(BS_DEFPUSHBUTTON)));
            ASSERT_TRUE(hover.LoadRaw(IDR_RAW_EXIT, kSide, kSide * kHoverStateCount));
            EXPECT_EQ(DWORD(BS_OWNERDRAW), hover.GetStyle() & BS_TYPEMASK);

            // Without an In picture the Out picture is not kept, and not left behind either.
            CSkinButton skin;
            ASSERT_TRUE(skin.SubclassWindow(makeButton(BS_AUTOCHECKBOX)));
            HBITMAP hOut = ::CreateBitmap(8, 8, 1, 32, nullptr);
            EXPECT_EQ(0, skin.SetBitmaps(nullptr, 0, hOut, 0));
            EXPECT_EQ(0u, ::GetObjectType(hOut));

            // Disabled without the focus, the toggle leaves the focus where it is.
            HWND hSearchEdit = dlg.GetDlgItem(IDC_SEARCH_EDIT);
            ::SetFocus(hSearchEdit);
            skin.EnableWindow(FALSE);
            EXPECT_EQ(hSearchEdit, ::GetFocus());
            skin.EnableWindow(TRUE);
            ::SetFocus(skin.m_hWnd);
            skin.EnableWindow(FALSE);
            HWND hFocus = ::GetFocus();
            EXPECT_TRUE(hFocus && hFocus != skin.m_hWnd);
            ::DestroyWindow(skin.m_hWnd);
            ::DestroyWindow(hover.m_hWnd);
        })
        .RunModal(dlg);
}
