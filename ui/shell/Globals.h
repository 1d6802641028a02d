// The process-wide values of tbook.exe: the paths worked out at start-up and the version. Set
// by the application object before the main window exists, which is handed what it needs of
// them (CMainContext); everything else only reads them.
#pragma once

#include "framework/core/String.h"

extern CString g_strAddressBookPath; // full path of the address book file
extern CString g_strDataFolder;
extern CString g_strVersion;
extern CString g_strProgramPath;   // the executable's full path
extern CString g_strProgramFolder; // the executable's folder, ending in a backslash

// The caption of the message boxes the program opens itself.
extern const char kSystemCaption[];
