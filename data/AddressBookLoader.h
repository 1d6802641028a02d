// Reading the address book file into contacts, and telling the caller how much of the file
// was understood, so that a file read only in part is never silently replaced.
#pragma once

#include "ContactArray.h"
#include "XMLParser.h"

enum class LoadStatus {
    missing,    // no file yet: the normal first start
    unreadable, // the file exists but could not be opened or read
    complete,   // the root element ended with its own end tag, nothing followed, no warning
    partial,    // read only in part: a warning, no root in a non-empty file, or cut off
};

struct CLoadResult {
    LoadStatus status = LoadStatus::missing;
    int nParsed = 0;        // 1 when a root element was found
    int nWarnings = 0;      // warnings the reader reported
    // Where the file stops being what the reader understood: the byte offset of the first
    // damaged tag, of the end that cut the root off, or of what follows the root; kNoOffset for
    // a whole file, or one whose only faults are values (the warnings name their contacts).
    int64_t nProblemOffset = kNoOffset;
    CFileException failure; // why an unreadable file could not be read
    // Not 0: the file held the bytes of this code page, as books before UTF-8 did, and the
    // values were converted from it.
    unsigned nLegacyCodePage = 0;
};

// Appends every entry of the file to contacts in document order (unsorted), every value in UTF-8.
// root is cleared, and holds the file's element tree when the file is not laid out as the program
// saves it (the tree is what decides what a damaged or foreign file holds). Each warning goes to
// pSink as it occurs. A file whose values are not UTF-8 at all was written in nLegacyCodePage
// (SystemLegacyCodePage, by default) and is read in it; a file of UTF-8 with bytes that are not
// is damaged, and each field holding such bytes is reported (its bytes are kept).
CLoadResult ReadAddressBook(const char* pszPath, CXML& root, CContactArray& contacts, CXMLWarningSink* pSink,
                            unsigned nLegacyCodePage = 0);
// The same from a file already open at its start.
CLoadResult ReadAddressBook(CFile& file, CXML& root, CContactArray& contacts, CXMLWarningSink* pSink,
                            unsigned nLegacyCodePage = 0);

// Appends one contact per "entry" element anywhere below root, in the order the entries end.
// Each entry starts empty; field elements set the field of the innermost entry around them.
void CollectEntries(CXML& root, CContactArray& contacts);

// The value of the element's attribute with exactly that name, or an empty text.
CString GetAttributeValue(CXML* pElement, const CString& strName);

