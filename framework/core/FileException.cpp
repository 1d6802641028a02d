#include "FileException.h"

void CFileException::SetFromOsError(long lOsError, const CString& strFileName) {
    m_cause = OsErrorToCause(lOsError);
    m_lOsError = lOsError;
    m_strFileName = strFileName;
}

CString CFileException::GetErrorMessage() const {
    const char* pszFormat = "An unexpected error occurred while accessing %s.";
    switch (m_cause) {
    case none: pszFormat = "No error occurred while accessing %s."; break;
    case genericException: break;
    case fileNotFound: pszFormat = "%s was not found."; break;
    case badPath: pszFormat = "%s contains an incorrect path."; break;
    case tooManyOpenFiles: pszFormat = "%s could not be opened because too many files are open."; break;
    case accessDenied: pszFormat = "Access to %s was denied."; break;
    case invalidFile: pszFormat = "An invalid file handle was used with %s."; break;
    case removeCurrentDir: pszFormat = "%s could not be removed because it is the current folder."; break;
    case directoryFull: pszFormat = "%s could not be created because the folder is full."; break;
    case badSeek: pszFormat = "A seek failed on %s."; break;
    case hardIO: pszFormat = "A hardware error occurred while accessing %s."; break;
    case sharingViolation: pszFormat = "%s is in use by another program (sharing violation)."; break;
    case lockViolation: pszFormat = "Part of %s is locked by another program."; break;
    case diskFull: pszFormat = "The disk is full: %s could not be written."; break;
    case endOfFile: pszFormat = "An attempt was made to read past the end of %s."; break;
    case alreadyExists: pszFormat = "%s already exists."; break;
    case readOnly:
        pszFormat = "%s is marked read-only, so it was not changed. To allow changes again, clear the "
                    "file's read-only attribute (Properties, General) and try again.";
        break;
    case changingElsewhere:
        pszFormat = "%s is being changed by another program at the moment, so it was not changed here. Try "
                    "again when the other program has finished.";
        break;
    }
    CString strName = m_strFileName.IsEmpty() ? CString("an unnamed file") : m_strFileName;
    CString strText;
    strText.Format(pszFormat, strName.GetString());
    // A sentence starts with a capital letter, unless it starts with the file's name, which is
    // left as it is spelled.
    if (m_strFileName.IsEmpty() && !strText.IsEmpty() && strText[0] >= 'a' && strText[0] <= 'z') {
        strText.SetAt(0, static_cast<char>(strText[0] - 'a' + 'A'));
    }
    return strText;
}
