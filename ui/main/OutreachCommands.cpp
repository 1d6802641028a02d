#include "OutreachCommands.h"

#include "res/resource.h"
#include "ui/about/AboutDlg.h"
#include "ui/about/BrowserLauncher.h"
#include "ui/about/FriendMailer.h"
#include "ui/about/Maker.h"
#include "ui/shell/Paths.h"

const CMessageTable* COutreachCommands::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&COutreachCommands::OnHelp>(IDC_HELP_BUTTON),
        OnCommand<&COutreachCommands::OnHelp>(ID_TRAY_HELP),
        OnWmHelp<&COutreachCommands::OnHelpInfo>(),
        OnCommand<&COutreachCommands::OnHome>(IDC_HOME),
        OnCommand<&COutreachCommands::OnAbout>(ID_TRAY_ABOUT),
        OnCommand<&COutreachCommands::OnTellAFriend>(ID_TRAY_TELL_A_FRIEND),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void COutreachCommands::ShowHelp(const char* pszAnchor) {
    CBrowserLauncher().OpenPage(m_window.m_hWnd, HelpPageUrl(m_strProgramFolder) + pszAnchor);
}

// Home leads to the maker's page of its programs, the same page as the About box's last button.
void COutreachCommands::OnHome() { CBrowserLauncher().OpenPage(m_window.m_hWnd, kMoreProgramsUrl); }

void COutreachCommands::OnAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}

void COutreachCommands::OnTellAFriend() { CFriendMailer().SendRecommendation(m_window.m_hWnd); }
