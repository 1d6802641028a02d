#include "FileLock.h"
#include "WideText.h"

#include <windows.h>

CFileLock::Attempt CFileLock::TryAcquire(const CString& strLockPath, long& lError) {
    // Opened by one holder at a time; gone with the last handle, also when the holder crashes.
    std::wstring lockPath = ToWide(strLockPath);
    HANDLE h = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        m_hLock = reinterpret_cast<intptr_t>(h);
        return Attempt::held;
    }
    lError = static_cast<long>(::GetLastError());
    // A lock file that is open, or on its way out after its holder let go, belongs to a writer;
    // access denied to a lock file that is not there is the folder's own refusal.
    bool bExists = ::GetFileAttributesW(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (lError == ERROR_SHARING_VIOLATION || (lError == ERROR_ACCESS_DENIED && bExists)) {
        return Attempt::busy;
    }
    return Attempt::failed;
}

void CFileLock::Release() {
    if (IsHeld()) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_hLock));
        m_hLock = kNoLock;
    }
}
