// The About box: its texts, its coloured labels as painted, its picture, and its buttons as the recording
// browser and a recording mail handler receive them.
#include "WindowTestSupport.h"
#include "win/outreach/RecordingBrowserTest.h"
#include "res/resource.h"
#include "ui/about/AboutDlg.h"

#include <commctrl.h>

#include <functional>
#include <vector>

namespace {

const char kMailtoKey[] = "Software\\Classes\\mailto";

// Runs the About box, does the step, and closes it.
void RunAbout(const std::function<void(CAboutDlg&)>& step) {
    CAboutDlg dlg;
    CStepRunner().Do([&] { step(dlg); }).RunModal(dlg);
}

// While alive, "mailto:" is opened by the recording browser, or by nothing at all. The test's
// own prefix has no other use for the class, so it is simply removed at the end.
class CMailtoHandler {
public:
    explicit CMailtoHandler(const CRecordingBrowser* pBrowser) {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMailtoKey);
        if (pBrowser) {
            RegisterScheme(kMailtoKey, "URL:MailTo Protocol", "\"" + pBrowser->m_strBrowser + "\" mail %1");
        }
    }
    ~CMailtoHandler() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMailtoKey); }
};

} // namespace

// The version line carries the build; each label paints in its colour and bold font of its height.
TEST(AboutDlgTest, LabelsShowTheirTextsInTheirColoursAndFonts) {
    const struct {
        int nId;
        const char* pszText;
        COLORREF colour;
        int nHeight;
    } labels[] = {
        {IDC_ABOUT_PRODUCT, "Tovano Address Book", RGB(60, 60, 220), 22},
        {IDC_ABOUT_VERSION, "Version 1.0 (build 10041022)", RGB(190, 60, 60), 17},
        {IDC_ABOUT_MAKER, "TovanoSoft", RGB(100, 100, 220), 17},
    };
    RunAbout([&](CAboutDlg& dlg) {
        EXPECT_EQ(std::vector<int>(), InaccessibleControls(dlg.m_hWnd));
        EXPECT_EQ(std::vector<int>(), ControlsWithCutText(dlg.m_hWnd));
        EXPECT_EQ(std::vector<int>(), ControlsNotFollowingDpi(dlg.m_hWnd));
        EXPECT_EQ("1.0 (build 10041022)", dlg.GetBuildText());
        for (const auto& label : labels) {
            SCOPED_TRACE(label.pszText);
            HWND hLabel = dlg.GetDlgItem(label.nId);
            EXPECT_EQ(label.pszText, dlg.GetDlgItemText(label.nId));
            LOGFONTA font = {};
            ASSERT_NE(0, ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hLabel, WM_GETFONT, 0, 0)), sizeof font,
                                      &font));
            EXPECT_EQ(label.nHeight, font.lfHeight);
            EXPECT_EQ(FW_BOLD, font.lfWeight);

            ::UpdateWindow(hLabel);
            EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), ScreenPixel(hLabel, 1, 1));
            EXPECT_TRUE(HasPixelNear(hLabel, label.colour)) << "no pixel of the label's colour";
        }

        // A second font height replaces the first font, which is gone.
        CColorLabel label;
        ASSERT_TRUE(label.CreateEx(0, "Static", "label", WS_CHILD, RECT{0, 0, 50, 20}, dlg.m_hWnd, 2000));
        label.SetFontHeight(12);
        HFONT hFirst = label.GetOwnFont();
        label.SetFontHeight(15);
        EXPECT_EQ(0u, ::GetObjectType(hFirst));
        EXPECT_EQ(label.GetOwnFont(), reinterpret_cast<HFONT>(label.SendMessage(WM_GETFONT)));
    });
}

// The product picture is the one drawn for the dialog's dots per inch and for the face it paints:
// the light one on the usual face, the dark one once the dialog paints a dark face.
TEST(AboutDlgTest, PictureFollowsTheFaceTheDialogPaints) {
    // Every third pixel of a 64-pixel picture.
    auto pixelsOf = [](HBITMAP hBitmap) {
        std::vector<COLORREF> pixels;
        BITMAP info = {};
        HDC hMemory = ::CreateCompatibleDC(nullptr);
        HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
        for (int y = 0; y < 64 && ::GetObjectA(hBitmap, sizeof info, &info) && info.bmWidth == 64; y += 3)
            for (int x = 0; x < 64; x += 3)
                pixels.push_back(::GetPixel(hMemory, x, y));
        ::SelectObject(hMemory, hOld);
        ::DeleteDC(hMemory);
        return pixels;
    };
    auto shownPicture = [&](HWND hDialog) {
        HWND hPicture = nullptr;
        for (HWND h = ::GetWindow(hDialog, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
            if ((::GetWindowLongA(h, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                hPicture = h;
        }
        return pixelsOf(reinterpret_cast<HBITMAP>(::SendMessageA(hPicture, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    };
    static HBRUSH s_hDark = ::CreateSolidBrush(RGB(0x20, 0x20, 0x20));
    SUBCLASSPROC darkFace = [](HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
        return nMessage == WM_CTLCOLORDLG ? reinterpret_cast<LRESULT>(s_hDark)
                                          : ::DefSubclassProc(hWnd, nMessage, wParam, lParam);
    };
    RunAbout([&](CAboutDlg& dlg) {
        CBitmap light;
        ASSERT_TRUE(light.LoadBitmap(::GetModuleHandleA(nullptr), IDB_ABOUT));
        ASSERT_FALSE(pixelsOf(light).empty());
        EXPECT_EQ(pixelsOf(light), shownPicture(dlg.m_hWnd));

        ASSERT_TRUE(::SetWindowSubclass(dlg.m_hWnd, darkFace, 1, 0));
        dlg.ShowPicture();
        std::vector<COLORREF> dark = shownPicture(dlg.m_hWnd);
        ASSERT_EQ(pixelsOf(light).size(), dark.size());
        EXPECT_NE(pixelsOf(light), dark);
        EXPECT_LT(GetRValue(dark[0]) + GetGValue(dark[0]) + GetBValue(dark[0]), 3 * 128) << "a light panel";
        ::RemoveWindowSubclass(dlg.m_hWnd, darkFace, 1);
    });
}

// The two page buttons open their pages; the support mail goes to the mail handler with the
// build in its subject, and without a handler the user is told.
TEST(AboutDlgTest, ButtonsOpenTheirPagesAndTheSupportMail) {
    const struct {
        const char* pszName;
        int nButton;
        bool bMailHandler;
        const char* pszLaunch; // what the recording browser was started with; null: nothing
        const char* pszMessage;
    } cases[] = {
        {"home page", IDC_OPEN_HOME_PAGE, true, "http://tovano.example/tbook/index.html", nullptr},
        {"more programs", IDC_MORE_PROGRAMS, true, "http://tovano.example/tbook/tstats.html", nullptr},
        {"support mail", IDC_SUPPORT_MAIL, true,
         "mail mailto:support@tovano.example?subject=Support request: Tovano Address Book 1.0 (build 10041022)",
         nullptr},
        {"support mail without a mail program", IDC_SUPPORT_MAIL, false, nullptr,
         "Error opening default mail client!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CRecordingBrowser browser;
        browser.RegisterForHttp();
        CMailtoHandler mailto(c.bMailHandler ? &browser : nullptr);
        CMessageBoxAnswerer answerer;
        RunAbout([&](CAboutDlg& dlg) { dlg.SendMessage(WM_COMMAND, static_cast<WPARAM>(c.nButton), 0); });
        std::vector<CLaunch> launches = browser.WaitForLaunches(c.pszLaunch ? 1 : 0);
        std::vector<std::string> arguments;
        for (const CLaunch& launch : launches) {
            arguments.push_back(launch.Unquoted());
        }
        EXPECT_EQ(c.pszLaunch ? std::vector<std::string>{c.pszLaunch} : std::vector<std::string>{}, arguments);
        std::vector<std::string> messages;
        for (const CMessageBoxRecord& box : answerer.m_boxes) {
            messages.push_back(box.strText);
        }
        EXPECT_EQ(c.pszMessage ? std::vector<std::string>{c.pszMessage} : std::vector<std::string>{}, messages);
    }
}
