// What the user is told when the address book file was not read completely.
#pragma once

#include "data/AddressBookLoader.h"

// One message: what went wrong with the file at strPath and that the file is kept.
CString DescribeIncompleteLoad(const CString& strPath, const CLoadResult& result);

// A warning of the reader as a message box shows it: a damaged file can make one screens long, of
// which the start says enough. Longer than kMaxShownWarning bytes, it is cut there and ends
// with "...".
const int kMaxShownWarning = 200;
CString ShortenWarning(const CString& strWarning);
