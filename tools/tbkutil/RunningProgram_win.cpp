#include "RunningProgram.h"

#include "ui/shell/Paths.h"
#include "framework/win/Handles.h"

#include <windows.h>

namespace {

const int kCsidlLocalAppData = 0x001C;
const DWORD kPollMs = 100;

// The per-user local application-data folder, looked up where the program looks it up.
CString LocalAppDataFolder() {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    CString strPath;
    HMODULE hModule = ::LoadLibraryA("Shfolder.dll");
    if (!hModule) {
        return strPath;
    }
    auto pfnGetFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(hModule, "SHGetFolderPathA")));
    char szPath[MAX_PATH] = "";
    if (pfnGetFolderPath && pfnGetFolderPath(nullptr, kCsidlLocalAppData, nullptr, 0, szPath) == S_OK) {
        strPath = szPath;
    }
    ::FreeLibrary(hModule);
    return strPath;
}

} // namespace

bool IsProgramRunning() {
    CKernelHandle token(::OpenFileMappingA(FILE_MAP_READ, FALSE, kProgramFileName));
    return token.Get() != nullptr;
}

bool QuitRunningProgram(unsigned nTimeoutMs) {
    CKernelHandle quit(::OpenEventA(EVENT_MODIFY_STATE, FALSE, kQuitEventName));
    if (!quit.Get() || !::SetEvent(quit.Get())) {
        return false;
    }
    for (unsigned nWaited = 0; nWaited < nTimeoutMs; nWaited += kPollMs) {
        if (!IsProgramRunning()) {
            return true;
        }
        ::Sleep(kPollMs);
    }
    return !IsProgramRunning();
}

bool DefaultAddressBookPath(CString& strPath) {
    CString strBase = LocalAppDataFolder();
    if (strBase.IsEmpty()) {
        return false;
    }
    // An existing folder is fine; one that cannot be made shows up as a file that cannot be written.
    ::CreateDirectoryA(ParentFolderOf(DataFolderBelow(strBase)), nullptr);
    ::CreateDirectoryA(DataFolderBelow(strBase), nullptr);
    strPath = DataFolderBelow(strBase) + "\\" + kAddressBookFileName;
    return true;
}
