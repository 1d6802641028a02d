// The process-wide values of tbook.exe: the paths worked out at start-up and the two flags that
// the start-up, the main window and the watcher thread share. Set by the application object
// before the main window exists; everything else reads them.
#pragma once

#include "framework/core/String.h"

#include <atomic>

extern CString g_strAddressBookPath; // full path of the address book file
extern CString g_strDataFolder;
extern CString g_strVersion;
extern CString g_strProgramPath;   // the executable's full path
extern CString g_strProgramFolder; // the executable's folder, ending in a backslash
// Set when started with "-m"; the watcher thread clears it after hiding the window.
extern std::atomic<int> g_bStartHidden;
// Whether the program is registered to run at logon (user-interface thread only).
extern int g_bLaunchOnStartup;

// The caption of the message boxes the program opens itself.
extern const char kSystemCaption[];
