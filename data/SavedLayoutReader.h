// The quick way into a book: a file laid out exactly as BuildAddressBookDocument writes it is
// read in one pass from its bytes to the contacts, without building an element tree. Anything
// else (a file edited by hand, damaged, or from another program) is left to the tolerant reader,
// which decides what it holds; for every file this reader takes, both give the same contacts
// and the tolerant reader has nothing to warn about.
#pragma once

#include "ContactArray.h"
#include "framework/core/File.h"

// Appends the file's contacts (from its current position to its end) in document order and
// returns true; or returns false at the first byte that leaves the saved layout or when the file
// cannot be read, with contacts as they were and the file at an unknown position. With
// pPlainTexts, says whether every text of the contacts is UTF-8 without a control character
// other than tab, CR and LF, which spares the loader looking at them again.
bool ReadSavedLayout(CFile& file, CContactArray& contacts, bool* pPlainTexts = nullptr);
