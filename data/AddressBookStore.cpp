#include "AddressBookStore.h"

#include "AddressBookWriter.h"

#include <vector>

namespace {

// A folder holding this many backups of one file is not a place to add another silently.
const int kMaxBackups = 9999;
const unsigned kCopyChunk = 64 * 1024;

void Report(const CFileException& error, CFileException* pError) {
    if (pError) {
        *pError = error;
    }
}

// Opens the first backup name that is still free. The name is claimed by creating the file, so
// a backup that appears meanwhile (another copy of the program) is skipped, never overwritten.
bool CreateFirstFreeBackup(const CString& strPath, CFile& backup, CString& strName, CFileException& error) {
    for (int n = 1; n <= kMaxBackups; ++n) {
        strName = BackupFileName(strPath, n);
        if (backup.Open(strName, CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive, &error)) {
            return true;
        }
        if (error.m_cause != CFileException::alreadyExists) {
            return false;
        }
    }
    return false;
}

bool CopyAll(CFile& source, CFile& backup, CFileException& error) {
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        unsigned nRead = source.Read(buffer.data(), kCopyChunk);
        if (nRead == 0) {
            // Zero bytes is the end of the file only when no failure stopped the read.
            if (source.GetFailure().m_cause != CFileException::none) {
                error = source.GetFailure();
                return false;
            }
            return true;
        }
        if (!backup.Write(buffer.data(), nRead, &error)) {
            return false;
        }
    }
}

} // namespace

CString BackupFileName(const CString& strPath, int nNumber) {
    if (nNumber <= 1) {
        return strPath + ".bak";
    }
    CString strSuffix;
    strSuffix.Format(".%d.bak", nNumber);
    return strPath + strSuffix;
}

bool BackUpFile(const char* pszPath, CString* pBackupPath, CFileException* pError) {
    CFile source;
    CFile backup;
    return BackUpFile(pszPath, source, backup, pBackupPath, pError);
}

bool BackUpFile(const char* pszPath, CFile& source, CFile& backup, CString* pBackupPath,
                CFileException* pError) {
    CFileException error;
    // Opened first, so that a file that cannot be read leaves no empty backup behind; other
    // programs may still read it but not change it while it is copied.
    if (!source.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        Report(error, pError);
        return false;
    }
    CString strName;
    if (!CreateFirstFreeBackup(CString(pszPath), backup, strName, error)) {
        source.Close(nullptr);
        Report(error, pError);
        return false;
    }
    bool bCopied = CopyAll(source, backup, error) && backup.Flush(&error) && backup.Close(&error);
    source.Close(nullptr);
    if (!bCopied) {
        // Half a backup would pass for a whole one later; only a complete copy may stay.
        backup.Close(nullptr);
        backup.Remove(strName, nullptr);
        Report(error, pError);
        return false;
    }
    if (pBackupPath) {
        *pBackupPath = strName;
    }
    return true;
}

CAddressBookStore::CAddressBookStore(const CString& strPath) : m_strPath(strPath) {}

bool CAddressBookStore::Lock(CFileException* pError) { return m_lock.Acquire(m_strPath, kLockWaitMs, pError); }

CLoadResult CAddressBookStore::Load(CXML& root, CContactArray& contacts, CXMLWarningSink* pSink) {
    RemoveStaleTemporaryFiles(m_strPath);
    CLoadResult result = ReadAddressBook(m_strPath, root, contacts, pSink, m_nLegacyCodePage);
    m_bLoaded = true;
    // A book of an earlier version is converted to UTF-8 by the first save: the old file is kept
    // beside it first, and a run that changes nothing leaves it as it is.
    m_bNeedsBackup = result.status == LoadStatus::unreadable || result.status == LoadStatus::partial ||
                     result.nLegacyCodePage != 0;
    m_bReadCompletely = !m_bNeedsBackup;
    return result;
}

bool CAddressBookStore::Save(const CContactArray& contacts, CFileException* pError) {
    CFile source;
    CFile backup;
    CFile document;
    return Save(contacts, source, backup, document, pError);
}

bool CAddressBookStore::Save(const CContactArray& contacts, CFile& source, CFile& backup, CFile& document,
                             CFileException* pError) {
    if (!m_bLoaded) {
        // Without a load nothing says what the file holds, so nothing may replace it.
        Report(CFileException(CFileException::genericException, -1, m_strPath), pError);
        return false;
    }
    if (document.IsReadOnly(m_strPath)) {
        // Not replaced, so there is nothing to back up either.
        Report(CFileException(CFileException::readOnly, -1, m_strPath), pError);
        return false;
    }
    // Held for this save only, unless a writer holds it already from its read on.
    CFileLock saveLock;
    if (!m_lock.IsHeld() && !saveLock.Acquire(m_strPath, kLockWaitMs, pError)) {
        return false;
    }
    if (m_bNeedsBackup) {
        CString strBackup;
        CFileException error;
        if (BackUpFile(m_strPath, source, backup, &strBackup, &error)) {
            m_strBackupPath = strBackup;
            m_bNeedsBackup = false;
        } else if (!error.IsMissingFile()) { // a file that is not there holds nothing to keep
            Report(error, pError);
            return false;
        }
    }
    if (!SaveAddressBook(contacts, m_strPath, document, pError)) {
        return false;
    }
    // The file on disk is now one this run wrote in full; a later save may replace it freely.
    m_bNeedsBackup = false;
    m_bReadCompletely = true;
    m_bUnsaved = false;
    return true;
}
