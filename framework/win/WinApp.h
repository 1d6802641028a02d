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
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// The window that owns a message box or dialog opened without a parent: the main window, or
// the popup it last activated (a dialog open over it). Null without a main window.
HWND AfxGetModalOwner();
// A message box captioned with the application's name, owned by the main window's active popup.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);
// Every message box of the program: counted as a modal window while it is open. A null caption
// is the system's own ("Error").
int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType);
// The same with a text from the string table.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
