// CTBookApp: the program's application object. InitInstance works out the paths, creates the
// data folder, lets only one instance run (a later start signals the first one and ends with
// exit code 1), and runs the main window until it ends.
#pragma once

#include "framework/core/String.h"
#include "framework/win/WinApp.h"

#include <atomic>

// Process-wide values, set by InitInstance before the main window exists.
extern CString g_strAddressBookPath; // full path of the address book file
extern CString g_strDataFolder;
extern CString g_strVersion;
extern CString g_strProgramPath;   // the executable's full path
extern CString g_strProgramFolder; // the executable's folder, ending in a backslash
// Set when started with "-m"; the watcher thread clears it after hiding the window.
extern std::atomic<int> g_bStartHidden;
// Whether the program is registered to run at logon (user-interface thread only).
extern int g_bLaunchOnStartup;

class CTBookApp : public CWinApp {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CTBookApp() = default;
    BOOL InitInstance() override;

    // Sets g_strDataFolder.
    static void ResolveDataFolder();
    // Creates the data folder and its parent; an existing folder is fine.
    static int CreateDataFolder();
    // The shell's folder for a CSIDL, or an empty text.
    static CString GetShellFolderPath(int nCsidl);

    // Works out the program, data folder and address book paths (the first steps of start-up).
    void ResolvePaths();
};
