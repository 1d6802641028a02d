// What the browser launcher makes of the HTTP class's registered command lines, and how it hands
// a URL to the browser it found.
#pragma once

#include "framework/core/String.h"

// The program of a registered command line, in lower case: a quoted path without its quotes
// and switches, or everything up to and including the first ".exe" (blanks and all). A command
// line without ".exe" keeps the rest of its text after the quote handling.
CString ExtractBrowserProgram(const CString& strCommandLine);

// The parameter string that starts the browser with the URL as its one argument: a URL with
// blanks in it (a local page under "Program Files", say) is quoted, or the browser would get
// its pieces as separate arguments.
CString MakeBrowserParameters(const CString& strUrl);
