#include "BookLocation.h"

#include "Paths.h"
#include "framework/core/WideText.h"
#include "framework/base/Handles.h"
#include "framework/base/ShellFolder.h"

#include <windows.h>

#include <iterator>

namespace {

const DWORD kPollMs = 100;

bool IsNtFamily() { return (::GetVersion() & 0x80000000u) == 0; }

// The Windows folder, or an empty text when the system does not say.
CString WindowsFolder() {
    wchar_t szFolder[2048] = L"";
    UINT nLength = ::GetWindowsDirectoryW(szFolder, static_cast<UINT>(std::size(szFolder)));
    return nLength > 0 && nLength < std::size(szFolder) ? FromWide(szFolder) : CString();
}

// The per-user base of the data folder when the shell cannot name it: the environment says the
// same on every system that has the folder.
CString LocalAppDataFromEnvironment() {
    wchar_t szFolder[MAX_PATH] = L"";
    DWORD dwLength = ::GetEnvironmentVariableW(L"LOCALAPPDATA", szFolder, static_cast<DWORD>(std::size(szFolder)));
    return dwLength > 0 && dwLength < std::size(szFolder) ? FromWide(szFolder) : CString();
}

} // namespace

CString ProgramDataFolder() {
    if (!IsNtFamily()) {
        return LegacyDataFolderBelow(WindowsFolder());
    }
    CString strBase = GetShellFolderPath(kCsidlLocalAppData);
    return DataFolderBelow(strBase.IsEmpty() ? LocalAppDataFromEnvironment() : strBase);
}

void MakeProgramDataFolder(const CString& strFolder) {
    CreateFolder(ParentFolderOf(strFolder));
    CreateFolder(strFolder);
}

bool IsProgramRunning() {
    // The window holds the event from its creation to its end; nothing else keeps it.
    CKernelHandle quit(::OpenEventA(SYNCHRONIZE, FALSE, kQuitEventName));
    return quit.Get() != nullptr;
}

bool QuitRunningProgram(unsigned nTimeoutMs) {
    {
        // Let go before waiting: a handle held here would keep the event, and so the program,
        // in sight.
        CKernelHandle quit(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kQuitEventName));
        if (!quit.Get() || !::SetEvent(quit.Get())) {
            return false;
        }
    }
    for (unsigned nWaited = 0; nWaited < nTimeoutMs; nWaited += kPollMs) {
        if (!IsProgramRunning()) {
            return true;
        }
        ::Sleep(kPollMs);
    }
    return !IsProgramRunning();
}
