#include "TBookApp.h"

#include "Paths.h"
#include "ui/main/TBookDlg.h"

#include <memory>

CString g_strAddressBookPath = kAddressBookFileName;
CString g_strDataFolder;
CString g_strVersion = "1.0";
CString g_strProgramPath;
CString g_strProgramFolder;
std::atomic<int> g_bStartHidden{0};
int g_bLaunchOnStartup = 0;

namespace {

const int kCsidlLocalAppData = 28;
const char kSystemCaption[] = "Tovano Address Book";
const char kQuitOption[] = "-quit";
const char kStartHiddenOption[] = "-m";

bool IsNtFamily() { return (::GetVersion() & 0x80000000u) == 0; }

CString WindowsFolder() {
    char szFolder[2048] = "";
    ::GetWindowsDirectoryA(szFolder, sizeof szFolder);
    return szFolder;
}

void SignalEvent(const char* pszName) {
    HANDLE hEvent = ::CreateEventA(nullptr, FALSE, FALSE, pszName);
    if (hEvent) {
        ::SetEvent(hEvent);
        ::CloseHandle(hEvent);
    }
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
    CString strPath;
    HMODULE hModule = ::LoadLibraryA("Shfolder.dll");
    if (!hModule) {
        return strPath;
    }
    auto pfnGetFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(hModule, "SHGetFolderPathA")));
    char szPath[MAX_PATH] = "";
    if (pfnGetFolderPath && pfnGetFolderPath(nullptr, nCsidl, nullptr, 0, szPath) == S_OK) {
        strPath = szPath;
    }
    ::FreeLibrary(hModule);
    return strPath;
}

void CTBookApp::ResolveDataFolder() {
    g_strDataFolder = IsNtFamily() ? DataFolderBelow(GetShellFolderPath(kCsidlLocalAppData))
                                   : LegacyDataFolderBelow(WindowsFolder());
}

int CTBookApp::CreateDataFolder() {
    CString strParent;
    CString strFolder;
    if (IsNtFamily()) {
        CString strBase = GetShellFolderPath(kCsidlLocalAppData);
        strParent = DataParentBelow(strBase);
        strFolder = DataFolderBelow(strBase);
    } else {
        strParent = LegacyDataParentBelow(WindowsFolder());
        strFolder = LegacyDataFolderBelow(WindowsFolder());
    }
    // An existing folder is fine, and a folder that cannot be made shows up later as a file
    // that cannot be read or written, with its own message.
    ::CreateDirectoryA(strParent, nullptr);
    ::CreateDirectoryA(strFolder, nullptr);
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
            SignalEvent(kQuitEventName);
            ::Sleep(1000);
        } else {
            // Lets the running instance come to the front when it handles the signal.
            ::AllowSetForegroundWindow(ASFW_ANY);
            SignalEvent(kShowEventName);
        }
        ::ExitProcess(1);
    }
    if (strCmdLine == kQuitOption) {
        ::ExitProcess(1);
    }
    g_bStartHidden = strCmdLine == kStartHiddenOption ? 1 : 0;

    // OLE and the registration of the automation object will be initialised here.

    auto pDlg = std::make_unique<CTBookDlg>();
    m_pMainWnd = pDlg.get();
    pDlg->DoModal();
    m_pMainWnd = nullptr;
    pDlg.reset();
    return FALSE;
}
