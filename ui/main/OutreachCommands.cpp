// The main window's ways out to the user's browser and mail program, and its About box.
#include "TBookDlg.h"

#include "ui/shell/Paths.h"
#include "ui/about/AboutDlg.h"
#include "ui/about/BrowserLauncher.h"
#include "ui/about/FriendMailer.h"
#include "ui/about/Maker.h"

void CTBookDlg::ShowHelp(const char* pszAnchor) {
    CBrowserLauncher().OpenPage(m_hWnd, HelpPageUrl(m_context.strProgramFolder) + pszAnchor);
}

// Home leads to the maker's page of its programs, the same page as the About box's last button.
void CTBookDlg::OnHome() { CBrowserLauncher().OpenPage(m_hWnd, kMoreProgramsUrl); }

void CTBookDlg::OnAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}

void CTBookDlg::OnTellAFriend() { CFriendMailer().SendRecommendation(m_hWnd); }
