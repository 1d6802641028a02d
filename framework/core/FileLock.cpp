#include "FileLock.h"

#include "FilePlatform.h"

namespace {

const int kPauseMs = 100;

} // namespace

CString LockFileName(const CString& strPath) { return strPath + ".lock"; }

bool CFileLock::Acquire(const char* pszPath, unsigned nWaitMs, CFileException* pError) {
    Release();
    CString strLockPath = LockFileName(pszPath);
    for (unsigned nWaited = 0;; nWaited += kPauseMs) {
        long lError = 0;
        Attempt attempt = TryAcquire(strLockPath, lError);
        if (attempt == Attempt::held) {
            m_strLockPath = strLockPath;
            return true;
        }
        if (attempt == Attempt::failed || nWaited >= nWaitMs) {
            if (pError) {
                *pError = attempt == Attempt::failed
                              ? CFileException(CFileException::OsErrorToCause(lError), lError, strLockPath)
                              : CFileException(CFileException::changingElsewhere, -1, pszPath);
            }
            return false;
        }
        SleepBriefly(kPauseMs);
    }
}
