// COutreachCommands: the main window's ways out to the user's browser and mail program: the help
// page (the Help button, the tray's Help, F1 anywhere, and each window's own section of it), the
// maker's home page, the recommendation mail, and the About box. User-interface thread only.
#pragma once

#include "framework/core/String.h"
#include "framework/win/Wnd.h"

class COutreachCommands : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    COutreachCommands(CWnd& window, const CString& strProgramFolder)
        : m_window(window), m_strProgramFolder(strProgramFolder) {}
    COutreachCommands(const COutreachCommands&) = delete;
    COutreachCommands& operator=(const COutreachCommands&) = delete;

    // The help page, at the section of the anchor ("#duplicates") when one is given.
    void ShowHelp(const char* pszAnchor = "");

private:
    void OnHelp() { ShowHelp(); }
    // F1 anywhere in the window: the help page, and nothing more.
    BOOL OnHelpInfo(HELPINFO*) {
        ShowHelp();
        return TRUE;
    }
    void OnHome();
    void OnAbout();
    void OnTellAFriend();

    CWnd& m_window;
    CString m_strProgramFolder; // ending in a backslash: the help pages lie below it
};
