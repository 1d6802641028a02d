#include "File.h"

#include "FilePlatform.h"

namespace {

// A virus scanner or backup tool may hold a file for a moment; give it about a second.
const int kTries = 5;
const int kPauseMs = 250;

} // namespace

bool CFile::Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError) {
    if (IsOpen()) {
        (void)Close(); // a writer checks its own close; a file left open here was only read
    }
    m_strFileName = pszFileName;
    m_failure = CFileException();
    intptr_t hFile = kNoFile;
    if (!OpenOsFile(pszFileName, nOpenFlags, hFile)) {
        return Fail(pError);
    }
    m_hFile = hFile;
    return true;
}

bool CFile::GetInfo(CFileInfo& info) const { return IsOpen() && ReadOpenFileInfo(m_hFile, info); }

bool CFile::Fail(CFileException* pError) {
    m_failure.SetFromOsError(LastOsError(), m_strFileName);
    if (pError) {
        *pError = m_failure;
    }
    return false;
}

bool CFile::OpenRetrying(const char* pszFileName, unsigned nOpenFlags, CFileException* pError) {
    for (int nTry = 1;; ++nTry) {
        CFileException error;
        if (Open(pszFileName, nOpenFlags, &error)) {
            return true;
        }
        if (!IsTransientOsError(error.m_lOsError) || nTry == kTries) {
            if (pError) {
                *pError = error;
            }
            return false;
        }
        SleepBriefly(kPauseMs);
    }
}

bool CFile::Rename(const char* pszFrom, const char* pszTo, CFileException* pError) {
    for (int nTry = 1;; ++nTry) {
        long lError = RenameReplacing(pszFrom, pszTo);
        if (lError == 0) {
            return true;
        }
        if (!IsTransientOsError(lError) || nTry == kTries) {
            if (pError) {
                pError->SetFromOsError(lError, pszTo);
            }
            return false;
        }
        SleepBriefly(kPauseMs);
    }
}

bool ReadWholeFile(const char* pszPath, std::string& strData, CFileException& error) {
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        return false;
    }
    char buffer[65536];
    unsigned nRead;
    while ((nRead = file.Read(buffer, sizeof buffer)) > 0) {
        strData.append(buffer, nRead);
    }
    error = file.GetFailure();
    error.m_strFileName = pszPath;
    return error.m_cause == CFileException::none;
}
