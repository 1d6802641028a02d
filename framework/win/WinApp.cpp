#include "WinApp.h"

#include "framework/base/AppContext.h"

namespace {

CWinApp* g_pApp = nullptr;

HWND MainWindow() { return g_pApp && g_pApp->m_pMainWnd ? g_pApp->m_pMainWnd->m_hWnd : nullptr; }

} // namespace

const CMessageTable* CWinApp::GetThisMessageTable() {
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), nullptr, 0};
    return &table;
}

CWinApp::CWinApp(const char* pszAppName) {
    g_pApp = this;
    AfxSetMainWindowSource(&MainWindow);
    AfxSetFallbackCommandTarget(this);
    if (pszAppName) {
        m_strAppName = pszAppName;
        m_pszAppName = m_strAppName;
        AfxSetAppName(m_pszAppName);
    }
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
        AfxSetMainWindowSource(nullptr);
        AfxSetFallbackCommandTarget(nullptr);
        AfxSetAppName(nullptr);
        AfxSetInstanceHandle(nullptr);
    }
}

void CWinApp::SetUp(HINSTANCE hInstance, const char* pszModulePath, const char* pszCmdLine) {
    m_hInstance = hInstance;
    CString strPath(pszModulePath);
    CString strFile = strPath.Mid(strPath.ReverseFind('\\') + 1);
    int nDot = strFile.ReverseFind('.');
    m_strExeName = nDot < 0 ? strFile : strFile.Left(nDot);
    int nPathDot = strPath.ReverseFind('.');
    bool bHasExtension = nPathDot > strPath.ReverseFind('\\');
    m_strHelpFilePath = (bHasExtension ? strPath.Left(nPathDot) : strPath) + ".HLP";
    if (m_strAppName.IsEmpty()) {
        m_strAppName = m_strExeName;
    }
    m_strCmdLine = pszCmdLine ? pszCmdLine : "";
    m_pszExeName = m_strExeName;
    m_pszHelpFilePath = m_strHelpFilePath;
    m_pszAppName = m_strAppName;
    m_lpCmdLine = const_cast<char*>(m_strCmdLine.GetString());
    AfxSetInstanceHandle(hInstance);
    AfxSetAppName(m_pszAppName);
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return ExitInstance();
}

void CWinApp::OnHelp() {
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd) {
        return;
    }
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = m_pMainWnd->m_hWnd;
    ::GetCursorPos(&info.MousePos);
    m_pMainWnd->SendMessage(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

CWinApp* AfxGetApp() { return g_pApp; }
