// CWinApp: the one application object of the process. WinMain fills in the names taken from
// the executable, then runs InitInstance. Commands that no window handles are routed to the
// application's message table.
#pragma once

#include "CmdTarget.h"
#include "Wnd.h"
#include "framework/core/String.h"

// The framework's help command.
const UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    // Without a name the application is named after its executable.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // The message loop of an application whose InitInstance returned TRUE.
    virtual int Run();
    // Asks the main window for its help, as F1 does. Applications route ID_HELP here.
    void OnHelp();

    // Called once by WinMain (and by tests) before InitInstance.
    void SetUp(HINSTANCE hInstance, const char* pszModulePath, const char* pszCmdLine);

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = "";
    const char* m_pszExeName = "";      // the executable's base name, without folder or extension
    const char* m_pszHelpFilePath = ""; // the executable's full path with the extension ".HLP"
    char* m_lpCmdLine = nullptr;        // the text after the program's name
    CWnd* m_pMainWnd = nullptr;

private:
    CString m_strAppName;
    CString m_strExeName;
    CString m_strHelpFilePath;
    CString m_strCmdLine;
};

CWinApp* AfxGetApp();
