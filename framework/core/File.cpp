#include "File.h"

#include "FilePlatform.h"

bool CFile::Rename(const char* pszFrom, const char* pszTo, CFileException* pError) {
    // A virus scanner or backup tool may hold the target for a moment; give it about a second.
    const int kTries = 5;
    const int kPauseMs = 250;
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
