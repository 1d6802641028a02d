// Writing the address book file: the document's exact bytes, and the save that replaces the
// file on disk in one step so that a failure at any point leaves the previous file as it was.
#pragma once

#include "ContactArray.h"
#include "framework/core/File.h"

#include <string>

// The whole document for the list, in list order: declaration, root, one entry per contact.
CString BuildAddressBookDocument(const CContactArray& contacts);

// Writes the document to a temporary file of its own beside pszPath (pszPath + ".PID-N.tmp"),
// flushes it to disk, and moves it over pszPath. A read-only file is not replaced. On failure
// the previous file is untouched, the temporary file is removed, and pError (if given) names
// the cause.
[[nodiscard]] bool SaveAddressBook(const CContactArray& contacts, const char* pszPath, CFileException* pError);
// The same through the given file object, the seam where tests inject failures.
[[nodiscard]] bool SaveAddressBook(const CContactArray& contacts, const char* pszPath, CFile& file, CFileException* pError);

// The temporary file name of a save: never the book's own name nor a backup's.
CString TemporaryFileName(const CString& strPath, unsigned long nProcess, int nAttempt);
// Whether strName (a name without folder) is one of TemporaryFileName's for the book file named
// strBookName; nProcess then holds the number of the process whose save made it.
bool IsTemporaryFileOf(const CString& strName, const CString& strBookName, unsigned long& nProcess);
// Removes the temporary files that saves of the book at pszPath left behind because their
// process was ended in the middle (killed, or the power went); files of a process that still
// runs are its own business. Returns how many were removed.
int RemoveStaleTemporaryFiles(const char* pszPath);

// Writes a temporary file beside the target and moves it over the target, so a failure leaves
// any earlier file as it was.
[[nodiscard]] bool WriteFileAtomically(const char* pszPath, const std::string& strData, CFileException& error);
