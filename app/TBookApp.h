// CTBookApp: the program's application object. InitInstance works out the paths, creates the
// data folder, lets only one instance run (a later start signals the first one and ends with
// exit code 1), and runs the main window until it ends.
#pragma once

#include "framework/core/String.h"
#include "framework/win/WinApp.h"

class CTBookApp : public CWinApp {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CTBookApp() = default;
    BOOL InitInstance() override;

    // Sets g_strDataFolder (the process-wide values are in Globals.h).
    static void ResolveDataFolder();
    // Creates the data folder and its parent; an existing folder is fine.
    static int CreateDataFolder();

    // Works out the program, data folder and address book paths (the first steps of start-up).
    void ResolvePaths();
};
