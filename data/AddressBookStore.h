// CAddressBookStore: the program's one address book file over a run. It loads the file and saves
// the whole list over it after every change; when the load did not understand the whole file
// (unreadable or partial), the first save of the run first copies the file to a backup beside
// it, and does not replace the file until that copy exists. Every save holds the book's lock
// (CFileLock); a writer that reads the book to change it holds it from the read on (Lock). The
// store remembers the stamp of the file it last read or wrote, so that its owner can tell whether
// another program has replaced it since (IsFileAsLastSeen). The store owns only the path, the
// lock and this state; the caller owns the tree and the list. One thread at a time.
#pragma once

#include "AddressBookLoader.h"
#include "ContactArray.h"
#include "framework/core/File.h"
#include "framework/core/FileLock.h"
#include "framework/core/FileStamp.h"

class CAddressBookStore {
public:
    explicit CAddressBookStore(const CString& strPath);
    CAddressBookStore(const CAddressBookStore&) = delete;
    CAddressBookStore& operator=(const CAddressBookStore&) = delete;

    // How long a writer waits for another one to finish with the book.
    static const unsigned kLockWaitMs = 5000;

    // Claims the book for a read, change and save that no other writer may come between; until
    // the store ends, other writers wait, then give up. False with the cause.
    [[nodiscard]] bool Lock(CFileException* pError);
    // Lets go of the claim that Lock made.
    void Unlock() { m_lock.Release(); }
    bool IsLocked() const { return m_lock.IsHeld(); }

    // The code page a book not yet in UTF-8 is read in (0: the system's, SystemLegacyCodePage).
    void SetLegacyCodePage(unsigned nCodePage) { m_nLegacyCodePage = nCodePage; }

    // Reads the file (ReadAddressBook) into root and contacts and remembers how complete it was
    // and its stamp. Temporary files that saves of ended processes left beside it are removed
    // first.
    CLoadResult Load(CXML& root, CContactArray& contacts, CXMLWarningSink* pSink);
    // Load in two steps, for a writer that reads the file again and may not take what it finds:
    // Read changes nothing of the store's state and gives the file's stamp (unknown when the file
    // could not be read whole); Accept makes the result the store's, as Load does.
    CLoadResult Read(CXML& root, CContactArray& contacts, CXMLWarningSink* pSink, CFileStamp& stamp) const;
    void Accept(const CLoadResult& result, const CFileStamp& stamp);
    // Whether the file is still the one last read or written here: the same identity, size, time
    // and bytes, or still none. False when it changed, or when that cannot be told (never read
    // whole, or the file cannot be read now: pError then says why).
    [[nodiscard]] bool IsFileAsLastSeen(CFileException* pError) const;
    bool IsLoaded() const { return m_bLoaded; }
    // True while a save would first copy the file to a backup.
    bool NeedsBackup() const { return m_bNeedsBackup; }

    // Saves the list over the file (SaveAddressBook), backing the file up first when needed.
    // False when the file was not replaced; pError then names the cause (for a failed backup,
    // the cause of the failure and the file involved). A save before Load writes nothing.
    [[nodiscard]] bool Save(const CContactArray& contacts, CFileException* pError);
    // The same through the given file objects, the seam where tests inject failures: source
    // and backup make the backup copy (see BackUpFile), document writes the new file.
    bool Save(const CContactArray& contacts, CFile& source, CFile& backup, CFile& document,
              CFileException* pError);

    // An accepted change to the list: it counts as unsaved until a save succeeds.
    void NoteChange() { m_bUnsaved = true; }
    bool HasUnsavedChanges() const { return m_bUnsaved; }
    // The next save copies the file to a backup first, whatever the load found.
    void KeepBackupBeforeNextSave() { m_bNeedsBackup = true; }
    // Whether the exit path is to write the file: only for a change that is not saved yet. A file
    // the run did not change stays exactly as it is, whoever else writes it meanwhile.
    bool IsWriteOnExitNeeded() const { return m_bLoaded && m_bUnsaved; }

    // The backup made in this run, or empty.
    const CString& GetBackupPath() const { return m_strBackupPath; }
    const CString& GetPath() const { return m_strPath; }

private:
    CString m_strPath;
    CString m_strBackupPath;
    CFileLock m_lock;
    unsigned m_nLegacyCodePage = 0;
    bool m_bLoaded = false;
    bool m_bNeedsBackup = false;
    bool m_bUnsaved = false;
    CFileStamp m_stamp; // of the file last read or written
};

// The n-th backup name for the file at strPath: strPath + ".bak" for 1, strPath + ".n.bak" after.
CString BackupFileName(const CString& strPath, int nNumber);

// Copies the file at pszPath to the first free backup name; false with the cause. Writes a backup
// that is flushed to disk and complete, or none (a partial copy is removed). An existing file is
// never overwritten. pBackupPath receives the name used.
[[nodiscard]] bool BackUpFile(const char* pszPath, CString* pBackupPath, CFileException* pError);
// The same through the given file objects: source reads the file, backup writes the copy.
[[nodiscard]] bool BackUpFile(const char* pszPath, CFile& source, CFile& backup, CString* pBackupPath,
                CFileException* pError);
