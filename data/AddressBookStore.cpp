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
        (void)source.Close(nullptr); // only read
        Report(error, pError);
        return false;
    }
    bool bCopied = CopyAll(source, backup, error) && backup.Flush(&error) && backup.Close(&error);
    (void)source.Close(nullptr); // only read
    if (!bCopied) {
        // Half a backup would pass for a whole one later; only a complete copy may stay. The
        // copy's failure is the cause to tell, not a second one while clearing up.
        (void)backup.Close(nullptr);
        (void)backup.Remove(strName, nullptr);
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
    CFileStamp stamp;
    CLoadResult result = Read(root, contacts, pSink, stamp);
    Accept(result, stamp);
    return result;
}

CLoadResult CAddressBookStore::Read(CXML& root, CContactArray& contacts, CXMLWarningSink* pSink,
                                    CFileStamp& stamp) const {
    RemoveStaleTemporaryFiles(m_strPath);
    root.Clear();
    stamp = CFileStamp();
    // The bytes are hashed as the reader takes them, so the stamp costs no second read.
    CStampingReader file;
    CFileException error;
    // A file another program holds for a moment is read once it lets go, rather than taken for
    // an empty book.
    if (!file.OpenRetrying(m_strPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        CLoadResult result;
        result.status = error.IsMissingFile() ? LoadStatus::missing : LoadStatus::unreadable;
        result.failure = error;
        stamp.bKnown = result.status == LoadStatus::missing;
        return result;
    }
    CLoadResult result = ReadAddressBook(file, root, contacts, pSink, m_nLegacyCodePage);
    if (result.status != LoadStatus::unreadable && !file.Finish(stamp)) {
        // What the reader did not need could not be read either: the file is not sound.
        result.status = LoadStatus::unreadable;
        result.failure = file.GetFailure().m_cause != CFileException::none
                             ? file.GetFailure()
                             : CFileException(CFileException::genericException, -1, m_strPath);
    }
    return result;
}

void CAddressBookStore::Accept(const CLoadResult& result, const CFileStamp& stamp) {
    m_bLoaded = true;
    // A book of an earlier version is converted to UTF-8 by the first save: the old file is kept
    // beside it first, and a run that changes nothing leaves it as it is.
    m_bNeedsBackup = result.status == LoadStatus::unreadable || result.status == LoadStatus::partial ||
                     result.nLegacyCodePage != 0;
    m_stamp = stamp;
}

bool CAddressBookStore::IsFileAsLastSeen(CFileException* pError) const {
    if (!m_stamp.bKnown) {
        return false;
    }
    CFileInfo info;
    CFileException error;
    if (!ReadFileInfo(m_strPath, info, &error)) {
        if (error.IsMissingFile()) {
            return !m_stamp.bExists;
        }
        Report(error, pError);
        return false;
    }
    if (!m_stamp.bExists || info != m_stamp.info) {
        return false; // told without reading a byte
    }
    // The same name, size and time may still hold other bytes: a rewrite in place that kept the
    // time, or came within its resolution.
    CFileStamp now;
    return TakeFileStamp(m_strPath, now, pError) && now == m_stamp;
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
    CStampingWriter stamping(document);
    if (!SaveAddressBook(contacts, m_strPath, stamping, pError)) {
        return false;
    }
    // The file on disk is now one this run wrote in full; a later save may replace it freely.
    m_bNeedsBackup = false;
    m_bUnsaved = false;
    // Its stamp, from the bytes just written. Should the system not say what the file is now,
    // the stamp stays unknown, and the next save reads the file again before writing it.
    m_stamp = CFileStamp();
    CFileInfo info;
    if (ReadFileInfo(m_strPath, info, nullptr) && info.nSize == stamping.GetLength()) {
        m_stamp.bKnown = m_stamp.bExists = true;
        m_stamp.info = info;
        m_stamp.nHash = stamping.GetHash();
    }
    return true;
}
