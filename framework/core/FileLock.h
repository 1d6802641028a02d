// CFileLock: the claim that every writer of a file makes before it reads the file in order to
// change it, and keeps until the new file is in place, so that two writers never both start from
// the same old file and one of them silently loses its work. Readers are not held up. The claim
// is a lock file beside the file (its name + ".lock") held open exclusively; the system lets go
// of it when its holder ends, however it ends, so a claim never outlives a crashed writer.
// One thread at a time.
#pragma once

#include "FileException.h"

#include <cstdint>

class CFileLock {
public:
    CFileLock() = default;
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;
    ~CFileLock() { Release(); }

    // Claims the file at pszPath, waiting up to nWaitMs while another writer holds it. False
    // with the cause: changingElsewhere when the other writer kept it, or why the lock file could
    // not be made. Claiming a second file lets go of the first.
    [[nodiscard]] bool Acquire(const char* pszPath, unsigned nWaitMs, CFileException* pError);
    void Release();
    bool IsHeld() const { return m_hLock != kNoLock; }

private:
    enum class Attempt { held, busy, failed };
    // One try, without waiting; lError is the system's error number of a failure.
    Attempt TryAcquire(const CString& strLockPath, long& lError);

    static constexpr intptr_t kNoLock = -1;
    intptr_t m_hLock = kNoLock; // a HANDLE on Windows, a descriptor elsewhere
    CString m_strLockPath;
};

// The lock file of the file at strPath.
CString LockFileName(const CString& strPath);
