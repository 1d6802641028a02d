#include "TBookApp.h"

#include "app/AutoProxy.h"
#include "framework/core/WideText.h"
#include "framework/base/AppContext.h"
#include "framework/base/Handles.h"
#include "framework/core/Dpi.h"
#include "framework/win/DpiIcon.h"
#include "framework/win/Theme.h"
#include "res/resource.h"
#include "ui/controls/ArtResources.h"
#include "ui/main/TBookDlg.h"
#include "ui/shell/BookLocation.h"
#include "ui/shell/FileHandOver.h"
#include "ui/shell/Globals.h"
#include "ui/shell/Paths.h"

#include <shellapi.h>

#include <memory>
#include <vector>

namespace {

const char kQuitOption[] = "-quit";
const char kStartHiddenOption[] = "-m";

// Sets a named event of the running instance; false when the event could not be reached.
bool SignalEvent(const char* pszName) {
    CKernelHandle event(::CreateEventA(nullptr, FALSE, FALSE, pszName));
    return event && ::SetEvent(event);
}

void ShowStartError(const char* pszText) {
    AfxShowMessageBox(nullptr, pszText, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
}

// How long a later start waits for the running program's window to take its files: "Open with"
// on several files starts the program once per file, all at about the same time.
const DWORD kHandOverWaitMs = 15000;

// The files the program was started with ("Open with", a drop on its icon), as full paths; the
// options ("-m", "-quit", the automation switches) are not files.
std::vector<CString> FilesOnCommandLine() {
    std::vector<CString> files;
    int nCount = 0;
    LPWSTR* ppArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nCount);
    for (int i = 1; ppArgs && i < nCount; ++i) {
        if (ppArgs[i][0] == L'-' || ppArgs[i][0] == L'/' || ppArgs[i][0] == L'\0') {
            continue;
        }
        // A later start may run in another folder than the program it hands the names to.
        wchar_t szFull[32768];
        DWORD dwLength =
            ::GetFullPathNameW(ppArgs[i], static_cast<DWORD>(std::size(szFull)), szFull, nullptr);
        files.push_back(FromWide(dwLength > 0 && dwLength < std::size(szFull) ? szFull : ppArgs[i]));
    }
    ::LocalFree(ppArgs);
    return files;
}

} // namespace

const CMessageTable* CTBookApp::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CWinApp::OnHelp>(ID_HELP),
    };
    static const CMessageTable table = {CWinApp::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CTBookApp::ResolveDataFolder() {
    // By the rules tbkutil finds the book by too.
    g_strDataFolder = ProgramDataFolder();
}

int CTBookApp::CreateDataFolder() {
    MakeProgramDataFolder(g_strDataFolder);
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
    std::vector<CString> files = FilesOnCommandLine();

    // The instance token lives as long as this process; a later start finds it.
    HANDLE hToken = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32, ToWide(strToken).c_str());
    if (!hToken) {
        AfxShowMessageBox(nullptr, "Error creating mapping", kSystemCaption, MB_OK);
        ::ExitProcess(1);
    }
    // A start that hands its work to the running program, or a "-quit" with nothing to end, did
    // what it was asked: scripts and shells see success, and failure only when it was refused.
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        bool bDone = true;
        if (strCmdLine == kQuitOption) {
            if (!SignalEvent(kQuitEventName)) {
                ShowStartError("Tovano Address Book is running but could not be asked to quit.");
                bDone = false;
            }
            ::Sleep(1000);
        } else {
            // Lets the running instance come to the front when it handles the signal.
            ::AllowSetForegroundWindow(ASFW_ANY);
            if (!files.empty() && !HandFilesToRunningProgram(files, kHandOverWaitMs)) {
                ShowStartError(
                    "Tovano Address Book is running already, but did not take the files to import. "
                    "Try again in a moment, or import them from its menu.");
                bDone = false;
            }
            if (!SignalEvent(kShowEventName)) {
                ShowStartError("Tovano Address Book is running already, but its window could not be shown.");
                bDone = false;
            }
        }
        ::ExitProcess(bDone ? 0 : 1);
    }
    if (strCmdLine == kQuitOption) {
        ::ExitProcess(0);
    }
    CMainContext context;
    context.strAddressBookPath = g_strAddressBookPath;
    context.strProgramPath = g_strProgramPath;
    context.strProgramFolder = g_strProgramFolder;
    context.bStartHidden = strCmdLine == kStartHiddenOption;
    context.files = std::move(files);

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

    if (GetSystemDpi() != kBaseDpi || CTheme::Current().IsDark()) {
        PrepareArtDecoding(); // the window's pictures are PNG resources at this scaling or face
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
