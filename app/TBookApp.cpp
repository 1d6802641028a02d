#include "TBookApp.h"

#include "ui/shell/Globals.h"
#include "ui/shell/Paths.h"
#include "app/AutoProxy.h"
#include "framework/win/Handles.h"
#include "res/resource.h"
#include "ui/main/TBookDlg.h"

#include <memory>

namespace {

const int kCsidlLocalAppData = 28;
const char kQuitOption[] = "-quit";
const char kStartHiddenOption[] = "-m";

bool IsNtFamily() { return (::GetVersion() & 0x80000000u) == 0; }

// The Windows folder, or an empty text when the system does not say (the data folder then
// falls back as it does without a shell folder).
CString WindowsFolder() {
    char szFolder[2048] = "";
    UINT nLength = ::GetWindowsDirectoryA(szFolder, sizeof szFolder);
    return nLength > 0 && nLength < sizeof szFolder ? CString(szFolder) : CString();
}

// Sets a named event of the running instance; false when the event could not be reached.
bool SignalEvent(const char* pszName) {
    CKernelHandle event(::CreateEventA(nullptr, FALSE, FALSE, pszName));
    return event && ::SetEvent(event);
}

// The per-user base of the data folder when the shell cannot name it: the environment says the
// same on every system that has the folder.
CString LocalAppDataFromEnvironment() {
    char szFolder[MAX_PATH] = "";
    DWORD dwLength = ::GetEnvironmentVariableA("LOCALAPPDATA", szFolder, sizeof szFolder);
    return dwLength > 0 && dwLength < sizeof szFolder ? CString(szFolder) : CString();
}

} // namespace

const CMessageTable* CTBookApp::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const CMessageTable table = {CWinApp::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CString CTBookApp::GetShellFolderPath(int nCsidl) {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    CLibrary library(::LoadLibraryA("Shfolder.dll"));
    if (!library) {
        return CString();
    }
    auto pfnGetFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "SHGetFolderPathA")));
    char szPath[MAX_PATH] = "";
    if (pfnGetFolderPath && pfnGetFolderPath(nullptr, nCsidl, nullptr, 0, szPath) == S_OK) {
        return szPath;
    }
    return CString();
}

void CTBookApp::ResolveDataFolder() {
    if (IsNtFamily()) {
        CString strBase = GetShellFolderPath(kCsidlLocalAppData);
        g_strDataFolder = DataFolderBelow(strBase.IsEmpty() ? LocalAppDataFromEnvironment() : strBase);
    } else {
        g_strDataFolder = LegacyDataFolderBelow(WindowsFolder());
    }
}

int CTBookApp::CreateDataFolder() {
    // The folder and its parent, as ResolveDataFolder formed them. An existing folder is fine,
    // and a folder that cannot be made shows up later as a file that cannot be read or
    // written, with its own message.
    ::CreateDirectoryA(ParentFolderOf(g_strDataFolder), nullptr);
    ::CreateDirectoryA(g_strDataFolder, nullptr);
    return 1;
}

void CTBookApp::ResolvePaths() {
    CString strFolder = ProgramFolderFromHelpPath(m_pszHelpFilePath);
    g_strProgramFolder = strFolder + "\\";
    g_strProgramPath = strFolder + "\\" + m_pszExeName + ".exe";
    ResolveDataFolder();
    CreateDataFolder();
    g_strAddressBookPath = g_strDataFolder + "\\" + kAddressBookFileName;
}

BOOL CTBookApp::InitInstance() {
    CString strToken = CString(m_pszExeName) + ".exe";
    ResolvePaths();
    CString strCmdLine = m_lpCmdLine;

    // The instance token lives as long as this process; a later start finds it.
    HANDLE hToken = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32, strToken);
    if (!hToken) {
        ::MessageBoxA(nullptr, "Error creating mapping", kSystemCaption, MB_OK);
        ::ExitProcess(1);
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (strCmdLine == kQuitOption) {
            if (!SignalEvent(kQuitEventName)) {
                ::MessageBoxA(nullptr, "Tovano Address Book is running but could not be asked to quit.",
                              kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
            }
            ::Sleep(1000);
        } else {
            // Lets the running instance come to the front when it handles the signal.
            ::AllowSetForegroundWindow(ASFW_ANY);
            if (!SignalEvent(kShowEventName)) {
                ::MessageBoxA(nullptr, "Tovano Address Book is running already, but its window could not be shown.",
                              kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
            }
        }
        ::ExitProcess(1);
    }
    if (strCmdLine == kQuitOption) {
        ::ExitProcess(1);
    }
    CMainContext context;
    context.strAddressBookPath = g_strAddressBookPath;
    context.strProgramPath = g_strProgramPath;
    context.strProgramFolder = g_strProgramFolder;
    context.bStartHidden = strCmdLine == kStartHiddenOption;

    if (FAILED(::OleInitialize(nullptr))) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        return FALSE;
    }
    // Started for a client: offer the object. Otherwise keep the registration true to this
    // program's place; where it cannot be written, clients simply do not find the program.
    if (IsAutomationCommandLine(strCmdLine)) {
        AutomationFactory().Register();
    } else {
        AutomationFactory().UpdateRegistry(g_strProgramPath);
    }

    auto pDlg = std::make_unique<CTBookDlg>(context);
    m_pMainWnd = pDlg.get();
    pDlg->DoModal();
    AutomationFactory().Revoke(); // no new client finds a window on its way out
    m_pMainWnd = nullptr;
    pDlg.reset();
    ::OleUninitialize();
    return FALSE;
}
