#include "RunningProgram.h"

#include "framework/core/WideText.h"
#include "framework/win/Handles.h"
#include "framework/win/ShellFolder.h"
#include "ui/shell/Paths.h"

#include <windows.h>

namespace {

const DWORD kPollMs = 100;

// The full path of a file, existing or not; the text as given where the system cannot tell.
std::wstring FullPath(const CString& strPath) {
    std::wstring strWide = ToWide(strPath);
    DWORD dwLength = ::GetFullPathNameW(strWide.c_str(), 0, nullptr, nullptr);
    std::wstring strFull(dwLength, L'\0');
    if (dwLength == 0 || ::GetFullPathNameW(strWide.c_str(), dwLength, &strFull[0], nullptr) >= dwLength) {
        return strWide;
    }
    strFull.resize(dwLength - 1);
    return strFull;
}

// A text value of the program's synchronisation key; empty when it has none.
std::string SyncValue(const char* pszName) {
    std::wstring strKey = ToWide(kSyncKeyPath);
    std::wstring strName = ToWide(pszName);
    DWORD dwBytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                       &dwBytes) != ERROR_SUCCESS ||
        dwBytes < sizeof(wchar_t)) {
        return std::string();
    }
    std::wstring strValue(dwBytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr,
                       &strValue[0], &dwBytes) != ERROR_SUCCESS) {
        return std::string();
    }
    strValue.resize(::wcsnlen(strValue.c_str(), strValue.size()));
    return FromWide(strValue.c_str()).GetStdString();
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

bool IsProgramBook(const CString& strPath) {
    CString strBook;
    if (!DefaultAddressBookPath(strBook)) {
        return false;
    }
    // File names on Windows ignore case, as the system compares them.
    std::wstring a = FullPath(strPath);
    std::wstring b = FullPath(strBook);
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

CProgramSyncAccount ProgramSyncAccount() {
    CProgramSyncAccount account;
    account.strAddress = SyncValue(kSyncAddressValue);
    account.strBookUrl = SyncValue(kSyncBookUrlValue);
    account.strTrustedSha256 = SyncValue(kSyncCertificateValue);
    return account;
}
