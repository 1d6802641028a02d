// What every window, dialog and message box of the process takes from it: the module whose
// resources they load, the application's name for captions, the main window that owns what
// opens without a parent, and the count of modal loops running. The application object fills
// these in; services and tools that open no window need none of it.
#pragma once

#include <windows.h>

// The module whose resources the program loads; the executable until one is set.
void AfxSetInstanceHandle(HINSTANCE hInstance);
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// The application's name, the caption of its message boxes ("" until one is set).
void AfxSetAppName(const char* pszAppName);
const char* AfxGetAppName();

// Where the main window's handle is found when asked (null: no main window). The application
// object answers; the main window changes and is created later than it is named.
void AfxSetMainWindowSource(HWND (*pfnMainWindow)());
HWND AfxGetMainWindow();

// The window that owns a message box or dialog opened without a parent: the main window, or
// the popup it last activated (a dialog open over it). Null without a main window.
HWND AfxGetModalOwner();

// How many modal loops (dialogs and message boxes of this framework) are running.
int AfxGetModalDepth();

// Counts a modal window for AfxGetModalDepth while it lives.
class CModalScope {
public:
    CModalScope();
    ~CModalScope();
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;
};

// Every message box of the program: counted as a modal window while it is open. A null caption
// is the system's own ("Error").
int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType);
// A message box captioned with the application's name, owned by the main window's active popup.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK);
// The same with a text from the string table.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
