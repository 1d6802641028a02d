#include "RunningProgram.h"

#include "framework/win/Handles.h"
#include "framework/win/ShellFolder.h"
#include "ui/shell/Paths.h"

#include <windows.h>

namespace {

const DWORD kPollMs = 100;

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
    // Where the program looks it up.
    CString strBase = GetShellFolderPath(kCsidlLocalAppData);
    if (strBase.IsEmpty()) {
        return false;
    }
    // An existing folder is fine; one that cannot be made shows up as a file that cannot be written.
    CreateFolder(ParentFolderOf(DataFolderBelow(strBase)));
    CreateFolder(DataFolderBelow(strBase));
    strPath = DataFolderBelow(strBase) + "\\" + kAddressBookFileName;
    return true;
}
