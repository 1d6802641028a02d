// CMainContext: what the main window is told when it is made: where its files are and how the
// program was started. The application object works it out from the system; tests make their own.
#pragma once

#include "framework/core/String.h"

#include <vector>

struct CMainContext {
    CString strAddressBookPath;
    CString strProgramPath;     // the executable, which the logon Run value starts
    CString strProgramFolder;   // ending in a backslash: the help pages lie below it
    bool bStartHidden = false;  // started with "-m": in the notification area only
    std::vector<CString> files; // full paths of files to import once the window runs ("Open with")
};
