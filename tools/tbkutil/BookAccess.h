// What tbkutil's commands share: their exit codes, their way of failing, and reading an address
// book as the program does.
#pragma once

#include "data/AddressBookLoader.h"

const int kExitClean = 0;
const int kExitWarned = 1; // done, but with warnings (a book read only in part, lines skipped)
const int kExitFailed = 2; // nothing written

// Prints the reader's warnings to stderr as they come.
class CStderrSink : public CXMLWarningSink {
public:
    void OnWarning(const CString& strText) override;
};

// Prints "tbkutil: " and the message to stderr; returns kExitFailed.
int Fail(const char* pszFormat, const char* pszArgument);

// Checks what reading a book found; a missing file is an empty book when bMayBeMissing. False,
// after saying why, when it could not be read; bPartial when it was read only in part (said too).
bool CheckLoad(const char* pszPath, const CLoadResult& result, bool bMayBeMissing, bool& bPartial);
// Reads the book's contacts, in the file's order, its warnings to stderr; false after saying why.
bool LoadBook(const char* pszPath, unsigned nLegacyCodePage, CContactArray& contacts, bool& bPartial);

// The running program writes its own list over its book at its next change, so a change of
// that book from here would be lost: true when the program runs and pszInto (null for the
// user's own book) is its book. Any other book is the user's to change while the program runs.
bool WritesRunningProgramsBook(const char* pszInto);
// Has the program save and end, as asked with --quit-running, for a piece of work ("import",
// "sync"); pszNothing ends the failure message ("Nothing was imported."). False, after saying
// so, when it did not end.
bool QuitProgramFor(const char* pszWork, const char* pszNothing);
