// The windows in the light face, the dark face and high contrast: the colours their controls are
// given (asked with the colour messages, the list view's own colours, and pixels on the screen),
// at the start and after a switch while they are open. The dark face is the user's setting in the
// redirected HKEY_CURRENT_USER; high contrast, which Wine cannot switch, comes through the
// theme's stand-in for the system's setting, with the system's colours set to a palette of its own.
#include "MainWindowTestSupport.h"
#include "res/resource.h"
#include "ui/about/AboutDlg.h"
#include "ui/controls/ArtResources.h"
#include "ui/editor/ContactDlg.h"

#include <commctrl.h>

#include <iterator>
#include <memory>
#include <vector>

namespace {

const wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// The user's app mode: light, dark, or no value at all.
enum class EMode { missing, light, dark };

void SetAppMode(EMode mode) {
    if (mode == EMode::missing) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme");
        return;
    }
    const DWORD dwValue = mode == EMode::light ? 1 : 0;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme",
                                               REG_DWORD, &dwValue, sizeof dwValue));
}

// What Windows sends every top-level window when the user switches the app mode.
void AnnounceModeChange(HWND hWnd) {
    ::SendMessageW(hWnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
}

// The background and text colours a window gives a control in answer to a colour message: the
// brush's colour and the device context's text colour.
struct CAnswer {
    COLORREF back;
    COLORREF text;
    bool operator==(const CAnswer& other) const { return back == other.back && text == other.text; }
};
std::ostream& operator<<(std::ostream& out, const CAnswer& answer) {
    return out << std::hex << "{back " << answer.back << ", text " << answer.text << "}";
}

CAnswer AskColours(HWND hWindow, UINT nMessage, HWND hControl) {
    HDC hDC = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(hDC, RGB(1, 2, 3));
    HBRUSH hBrush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(hWindow, nMessage, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(hControl)));
    LOGBRUSH brush = {};
    CAnswer answer = {CLR_INVALID, ::GetTextColor(hDC)};
    if (hBrush && ::GetObjectW(hBrush, sizeof brush, &brush) == sizeof brush) {
        answer.back = brush.lbColor;
    }
    ::DeleteDC(hDC);
    return answer;
}

std::vector<COLORREF> ListColours(HWND hList) {
    return {static_cast<COLORREF>(::SendMessageW(hList, LVM_GETBKCOLOR, 0, 0)),
            static_cast<COLORREF>(::SendMessageW(hList, LVM_GETTEXTCOLOR, 0, 0))};
}

CThemeColors ExpectedColours(ETheme theme) {
    return ThemeColorsFor(theme, {::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT),
                                  ::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT),
                                  ::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_HIGHLIGHT),
                                  ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_INFOBK)});
}

// A first label of the window: a static with no id of its own.
HWND FirstLabel(HWND hWindow) {
    for (HWND h = ::GetWindow(hWindow, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        wchar_t szClass[16] = L"";
        ::GetClassNameW(h, szClass, 16);
        if (::GetDlgCtrlID(h) == -1 || ::GetDlgCtrlID(h) == 0xFFFF) {
            if (std::wstring(szClass) == L"Static" && ::GetWindowTextLengthW(h) > 0) {
                return h;
            }
        }
    }
    return nullptr;
}

// While alive, the system's colours are a high-contrast palette of their own and high contrast
// is on, as far as the theme asks; both are put back at the end.
class CHighContrast {
public:
    CHighContrast() {
        for (size_t i = 0; i < std::size(kElements); ++i) {
            m_old[i] = ::GetSysColor(kElements[i]);
        }
        ::SetSysColors(static_cast<int>(std::size(kElements)), kElements, kPalette);
        CTheme::SetHighContrastQuery([] { return true; });
    }
    ~CHighContrast() {
        CTheme::SetHighContrastQuery(nullptr);
        ::SetSysColors(static_cast<int>(std::size(kElements)), kElements, m_old);
        CTheme::Current().Refresh();
    }
    CHighContrast(const CHighContrast&) = delete;
    CHighContrast& operator=(const CHighContrast&) = delete;

private:
    static constexpr int kElements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT,
                                        COLOR_3DFACE};
    static constexpr COLORREF kPalette[] = {RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 0, 16), RGB(0, 255, 0),
                                            RGB(0, 0, 0)};
    COLORREF m_old[std::size(kElements)] = {};
};

} // namespace

// The main window at the start in each mode, and switched while it is open: the list's colours,
// the face the window paints (and the pictures drawn for it), the search box and its label, and
// the status bar. A settings message about something else switches nothing.
TEST_F(MainWindowTest, MainWindowFollowsTheAppMode) {
    const struct {
        const char* pszName;
        EMode start;
        EMode after;
    } cases[] = {
        {"no setting, then dark", EMode::missing, EMode::dark},
        {"dark, then light", EMode::dark, EMode::light},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        SetAppMode(c.start);
        CTestableDlg dlg(m_context);
        CStepRunner()
            .Do([&] {
                HWND hSearch = dlg.GetDlgItem(IDC_SEARCH_EDIT);
                HWND hLabel = FirstLabel(dlg.m_hWnd);
                auto expectMode = [&](EMode mode) {
                    const bool bDark = mode == EMode::dark;
                    const CThemeColors colors = ExpectedColours(bDark ? ETheme::dark : ETheme::light);
                    EXPECT_EQ((std::vector<COLORREF>{colors.window, colors.windowText}),
                              ListColours(dlg.List().m_hWnd));
                    EXPECT_EQ(bDark, PaintsDarkFace(dlg.m_hWnd));
                    EXPECT_EQ(bDark, dlg.Buttons().SearchToggle().HasDarkFace());
                    EXPECT_EQ(colors.face, AskColours(dlg.m_hWnd, WM_CTLCOLORDLG, dlg.m_hWnd).back);
                    EXPECT_EQ((CAnswer{colors.window, colors.windowText}),
                              AskColours(dlg.m_hWnd, WM_CTLCOLOREDIT, hSearch));
                    if (hLabel) {
                        EXPECT_EQ((CAnswer{colors.face, colors.text}),
                                  AskColours(dlg.m_hWnd, WM_CTLCOLORSTATIC, hLabel));
                    }
                    // The header paints itself on the dark face, where the system's style may
                    // not reach.
                    HWND hHeader = reinterpret_cast<HWND>(dlg.List().SendMessage(LVM_GETHEADER));
                    ::RedrawWindow(hHeader, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                    EXPECT_EQ(bDark, ScreenPixel(hHeader, 3, 2) == colors.face);
                    EXPECT_TRUE(HasPixelNear(hHeader, colors.text)) << "the header's text";
                    HWND hStatus = dlg.StatusBar().m_hWnd;
                    ::RedrawWindow(hStatus, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                    RECT rc;
                    ::GetClientRect(hStatus, &rc);
                    if (bDark) {
                        EXPECT_EQ(colors.face, ScreenPixel(hStatus, rc.right / 2, rc.bottom - 2));
                        EXPECT_TRUE(HasPixelNear(hStatus, colors.text)) << "no text on the status bar";
                    } else {
                        EXPECT_NE(ExpectedColours(ETheme::dark).face,
                                  ScreenPixel(hStatus, rc.right / 2, rc.bottom - 2));
                    }
                };
                expectMode(c.start == EMode::dark ? EMode::dark : EMode::light);
                SetAppMode(c.after);
                ::SendMessageW(dlg.m_hWnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
                expectMode(c.start == EMode::dark ? EMode::dark : EMode::light);
                AnnounceModeChange(dlg.m_hWnd);
                expectMode(c.after);
            })
            .RunModal(dlg);
    }
    SetAppMode(EMode::missing);
    CTheme::Current().Refresh();
}

// The editor in each look: its edits and labels, the note in its own colours (a dark variant of
// them on the dark face, the system's in high contrast), and the photo box's face.
TEST_F(MainWindowTest, EditorColoursFollowTheLook) {
    const struct {
        const char* pszName;
        ETheme theme;
    } cases[] = {{"light", ETheme::light}, {"dark", ETheme::dark}, {"high contrast", ETheme::highContrast}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        SetAppMode(c.theme == ETheme::light ? EMode::light : EMode::dark);
        std::unique_ptr<CHighContrast> contrast(c.theme == ETheme::highContrast ? new CHighContrast
                                                                                : nullptr);
        CContactDlg dlg;
        dlg.m_bNew = 1;
        CStepRunner()
            .Do([&] {
                const CThemeColors colors = ExpectedColours(c.theme);
                EXPECT_EQ(c.theme == ETheme::highContrast, CTheme::Current().IsHighContrast());
                if (c.theme == ETheme::highContrast) {
                    EXPECT_EQ(RGB(0, 0, 16), colors.noteBack);
                }
                HWND hNote = dlg.GetDlgItem(IDC_EDIT_NOTE);
                EXPECT_EQ((CAnswer{colors.noteBack, colors.noteText}),
                          AskColours(dlg.m_hWnd, WM_CTLCOLOREDIT, hNote));
                ::RedrawWindow(hNote, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                RECT rc;
                ::GetClientRect(hNote, &rc);
                EXPECT_EQ(colors.noteBack, ScreenPixel(hNote, rc.right - 4, rc.bottom - 4));
                if (c.theme == ETheme::dark) {
                    EXPECT_EQ((CAnswer{colors.window, colors.windowText}),
                              AskColours(dlg.m_hWnd, WM_CTLCOLOREDIT, dlg.GetDlgItem(IDC_EDIT_LASTNAME)));
                    EXPECT_EQ((CAnswer{colors.face, colors.text}),
                              AskColours(dlg.m_hWnd, WM_CTLCOLORSTATIC, FirstLabel(dlg.m_hWnd)));
                    // The caption of the first group box ("Home") is written in the face's text
                    // colour, whatever the visual style would give it.
                    HWND hGroup = ::GetWindow(dlg.m_hWnd, GW_CHILD);
                    auto isGroupBox = [](HWND h) {
                        wchar_t szClass[16] = L"";
                        ::GetClassNameW(h, szClass, 16);
                        return std::wstring(szClass) == L"Button" &&
                               (::GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
                    };
                    while (hGroup && !isGroupBox(hGroup)) {
                        hGroup = ::GetWindow(hGroup, GW_HWNDNEXT);
                    }
                    ASSERT_NE(nullptr, hGroup);
                    ::RedrawWindow(hGroup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                    const RECT caption = {4, 0, 40, 12};
                    EXPECT_TRUE(HasPixelNear(hGroup, colors.text, &caption))
                        << "no caption to read";
                }
                HWND hPhoto = dlg.GetDlgItem(IDC_PHOTO);
                ::RedrawWindow(hPhoto, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                ::GetClientRect(hPhoto, &rc);
                EXPECT_EQ(colors.face, ScreenPixel(hPhoto, rc.right / 2, 3));
            })
            .RunModal(dlg);
    }
    SetAppMode(EMode::missing);
    CTheme::Current().Refresh();
}

// About in each look: its coloured labels keep their colours on the light face, are lightened
// on the dark face, and take the system's text colour in high contrast, each on the face; the
// picture is the one of the face. High contrast switches at once with the system's colours.
TEST_F(MainWindowTest, AboutLabelsAndPictureFollowTheLook) {
    SetAppMode(EMode::dark);
    CAboutDlg dlg;
    CStepRunner()
        .Do([&] {
            HWND hProduct = dlg.GetDlgItem(IDC_ABOUT_PRODUCT);
            const COLORREF lightAccent = RGB(60, 60, 220);
            const CThemeColors dark = ExpectedColours(ETheme::dark);
            const CAnswer answer = AskColours(dlg.m_hWnd, WM_CTLCOLORSTATIC, hProduct);
            EXPECT_EQ(dark.face, answer.back);
            EXPECT_NE(lightAccent, answer.text);
            EXPECT_GE(ContrastRatio(answer.text, dark.face), 4.5);
            EXPECT_TRUE(PaintsDarkFace(dlg.m_hWnd));
            ::UpdateWindow(hProduct);
            EXPECT_EQ(dark.face, ScreenPixel(hProduct, 1, 1));

            // Light again: the labels' own colours on the system's face.
            SetAppMode(EMode::light);
            AnnounceModeChange(dlg.m_hWnd);
            EXPECT_EQ((CAnswer{::GetSysColor(COLOR_BTNFACE), lightAccent}),
                      AskColours(dlg.m_hWnd, WM_CTLCOLORSTATIC, hProduct));
            EXPECT_FALSE(PaintsDarkFace(dlg.m_hWnd));

            // High contrast, with the setting dark: no dark face, no colour of the program's own.
            SetAppMode(EMode::dark);
            CHighContrast contrast;
            ::SendMessageW(dlg.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
            EXPECT_EQ((CAnswer{RGB(0, 0, 0), RGB(255, 255, 0)}),
                      AskColours(dlg.m_hWnd, WM_CTLCOLORSTATIC, hProduct));
            EXPECT_FALSE(CTheme::Current().IsDark());
        })
        .RunModal(dlg);
    SetAppMode(EMode::missing);
    CTheme::Current().Refresh();
}
