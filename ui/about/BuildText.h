// The build number the About dialog shows: the version's digits, then the two-digit year,
// month and day of the build date, which is written "Mmm dd yyyy" (a blank before a one-digit
// day). A month name that is not one of the twelve stays as its three letters.
#pragma once

#include "framework/core/String.h"

// The date this build carries.
extern const char kBuildDate[];

// "1.0" and "Oct 22 2004" give "10041022".
CString BuildNumber(const CString& strVersion, const CString& strBuildDate);
// "1.0 (build 10041022)".
CString BuildText(const CString& strVersion, const CString& strBuildDate);
