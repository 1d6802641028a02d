// The arithmetic of the contact commands that needs no window: keeping the rows on their
// contacts when one leaves the list, and where the walk over the selection goes on after a
// deletion.
#pragma once

#include "framework/core/String.h"

#include <cstddef>
#include <vector>

// After the contact at nRemovedIndex has been removed from the list (the later ones moved down
// by one), rowContacts (the contact index of each remaining row) is brought in step, so that
// every row still shows its own contact.
void ReindexRowContacts(std::vector<int>& rowContacts, int nRemovedIndex);

// The row after which the search for the next selected row goes on, once nRow was answered:
// after the row itself when it stayed, after the row above it when it was deleted, so that the
// row that moved up into its place is examined (-1: from the top).
inline int NextSelectedSearchStart(int nRow, bool bDeleted) { return bDeleted ? nRow - 1 : nRow; }

// "1 contact", "3 contacts": a count with the word that fits it.
CString CountOf(size_t nCount, const char* pszOne, const char* pszMany);
