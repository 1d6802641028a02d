// Help and Home from the main window, as the recording browser receives them.
#include "MainWindowTestSupport.h"
#include "win/outreach/RecordingBrowserTest.h"
#include "res/resource.h"

#include <functional>

// F1 wherever the focus is, the Help button and the tray's "Help" open the page beside the
// program; Home opens the maker's page.
TEST_F(MainWindowTest, HelpAndHomeOpenTheirPagesInANewBrowser) {
    const std::string kHelpUrl = "file:///C:/Programs/Book/Help/index.html";
    const std::string kHomeUrl = "http://tovano.example/tbook/tstats.html";
    const struct {
        const char* pszName;
        std::function<void(CTestableDlg&)> act;
        std::string strUrl;
    } cases[] = {
        {"F1 in the list",
         [](CTestableDlg& dlg) {
             dlg.List().SetFocus();
             PostKey(dlg.List().m_hWnd, VK_F1);
         },
         kHelpUrl},
        {"F1 in the search box",
         [](CTestableDlg& dlg) {
             ::SetFocus(dlg.GetDlgItem(IDC_SEARCH_EDIT));
             PostKey(dlg.GetDlgItem(IDC_SEARCH_EDIT), VK_F1);
         },
         kHelpUrl},
        {"Help button", [](CTestableDlg& dlg) { dlg.PostMessage(WM_COMMAND, IDC_HELP_BUTTON, 0); }, kHelpUrl},
        {"tray Help", [](CTestableDlg& dlg) { dlg.PostMessage(WM_COMMAND, ID_TRAY_HELP, 0); }, kHelpUrl},
        {"Home button", [](CTestableDlg& dlg) { dlg.PostMessage(WM_COMMAND, IDC_HOME, 0); }, kHomeUrl},
    };
    WriteBook([] {
        CContactArray contacts;
        contacts.Add(MakeContact("Adams", "X"));
        return contacts;
    }());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CRecordingBrowser browser;
        browser.RegisterForHttp();
        CTestableDlg dlg(m_context);
        CStepRunner()
            .Do([&] {
                c.act(dlg);
                PumpMessages(dlg.m_hWnd);
            })
            .RunModal(dlg);
        std::vector<CLaunch> launches = browser.WaitForLaunches(1);
        ASSERT_EQ(1u, launches.size());
        EXPECT_EQ(c.strUrl, launches[0].Unquoted());
    }
}

// A page that neither a browser nor the shell can open is not lost in silence.
TEST_F(MainWindowTest, HelpThatCannotBeOpenedSaysSo) {
    CRecordingBrowser browser;
    browser.SetVerbCommand("open", "\"C:\\nowhere\\gone.exe\" %1");
    CMessageBoxAnswerer answerer;
    CTestableDlg dlg(m_context);
    CStepRunner()
        .Do([&] {
            dlg.SendMessage(WM_COMMAND, IDC_HELP_BUTTON, 0);
            ASSERT_EQ(1u, answerer.m_boxes.size());
            EXPECT_EQ("Tovano Address Book", answerer.m_boxes[0].strCaption);
            EXPECT_EQ("The page file:///C:/Programs/Book/Help/index.html could not be opened: no web browser could "
                      "be started.",
                      answerer.m_boxes[0].strText);
        })
        .RunModal(dlg);
}
