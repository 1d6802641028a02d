// CFileException: why a file operation failed. It is a plain value that operations fill in for
// their caller (nothing is thrown): the portable cause, the system's own error number, and the
// file's name, from which GetErrorMessage builds the text shown to the user.
#pragma once

#include "Object.h"
#include "String.h"

class CFileException : public CObject {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
        alreadyExists,
        readOnly, // marked read-only by its owner: not a failure of the system, a wish to honour
        changingElsewhere, // another writer held it longer than we waited (CFileLock)
    };

    CFileException() = default;
    CFileException(int cause, long lOsError = -1, const CString& strFileName = CString())
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(strFileName) {}

    const char* GetRuntimeClassName() const override { return "CFileException"; }

    // Fills in the cause from the system's error number (GetLastError on Windows, errno elsewhere).
    void SetFromOsError(long lOsError, const CString& strFileName);
    static int OsErrorToCause(long lOsError);

    // Whether the failure means there is no such file (or no folder for it): for an address
    // book, the first start rather than a problem.
    bool IsMissingFile() const { return m_cause == fileNotFound || m_cause == badPath; }

    // One sentence naming the cause and the file, for a message box.
    CString GetErrorMessage() const;

    int m_cause = none;
    long m_lOsError = -1;
    CString m_strFileName;
};
