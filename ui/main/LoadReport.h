// What the user is told when the address book file was not read completely.
#pragma once

#include "data/AddressBookLoader.h"

// One message: what went wrong with the file at strPath and that the file is kept.
CString DescribeIncompleteLoad(const CString& strPath, const CLoadResult& result);
