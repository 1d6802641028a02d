// What tbkutil's commands share: their exit codes, their way of failing, reading an address book
// as the program does, and the one way they change a book (CBookAccess).
#pragma once

#include "data/AddressBookLoader.h"
#include "data/ContactBook.h"

const int kExitClean = 0;
const int kExitWarned = 1; // done, but with warnings (a book read only in part, lines skipped)
const int kExitFailed = 2; // nothing written

// Prints the reader's warnings to stderr as they come.
class CStderrSink : public CXMLWarningSink {
public:
    void OnWarning(const CString& strText, int64_t nOffset) override;
};

// Prints "tbkutil: " and the message to stderr; returns kExitFailed.
int Fail(const char* pszFormat, const char* pszArgument);

// Checks what reading a book found; a missing file is an empty book when bMayBeMissing. False,
// after saying why, when it could not be read; bPartial when it was read only in part (said too).
bool CheckLoad(const char* pszPath, const CLoadResult& result, bool bMayBeMissing, bool& bPartial);
// Reads the book's contacts, in the file's order, its warnings to stderr; false after saying why.
bool LoadBook(const char* pszPath, unsigned nLegacyCodePage, CContactArray& contacts, bool& bPartial);

// CBookAccess: a book as the commands that change it (import, merge-duplicates, sync, resave)
// take it, as the program does: its lock claimed from the read to the save, so that no other
// writer comes between, the file read, the command's change made to the contact book, and the
// change written through it. A program that changed the file all the same (one that does not
// take the lock) loses nothing: the contact book reads it again before it writes.
class CBookAccess {
public:
    CBookAccess(const CString& strPath, unsigned nLegacyCodePage);

    // Claims the book (unless only to read it, as a dry run does) and reads it, its warnings to
    // stderr unless bQuiet (a book only written over). A missing file is an empty book when
    // bMayBeMissing. False after saying why; pszNothing ends that sentence ("nothing was
    // imported").
    enum class EUse { read, change };
    bool Open(EUse use, bool bMayBeMissing, const char* pszNothing, bool bQuiet = false);
    CContactBook& Book() { return m_book; }
    const CLoadResult& GetLoadResult() const { return m_book.GetLoadResult(); }
    bool IsPartial() const { return m_bPartial; }

    // Writes the change, keeping the previous file as a numbered backup first when bKeepBackup
    // (Book().GetBackupPath() names it). False with the cause; the commands word their own
    // message.
    [[nodiscard]] bool Commit(const CBookChange& change, bool bKeepBackup, CFileException& error);

private:
    CContactBook m_book;
    bool m_bPartial = false;
};

// The running program writes its own list over its book only with its own changes now, so a
// change from here survives; --quit-running still has it end first. True when the program runs
// and pszInto (null for the user's own book) is its book.
bool WritesRunningProgramsBook(const char* pszInto);
// Has the program save and end, as asked with --quit-running, for a piece of work ("import",
// "sync"); pszNothing ends the failure message ("Nothing was imported."). False, after saying
// so, when it did not end.
bool QuitProgramFor(const char* pszWork, const char* pszNothing);
