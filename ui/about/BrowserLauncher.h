// CBrowserLauncher: opens a web page in a new window of the user's default browser. It starts
// the program registered for the HTTP class with the URL as its argument, rather than handing
// the URL to the shell (which may reuse a browser window the user has open), and falls back
// step by step to the shell's own opening of the URL. OpenPage tells the user when nothing could
// open the page. Callers construct one on the stack for each launch; it holds nothing between calls.
#pragma once

#include "framework/core/String.h"

#include <windows.h>

class CBrowserLauncher {
public:
    virtual ~CBrowserLauncher() = default;

    // 0 when a browser was started; nonzero when only the shell's own opening was left to try:
    // 1 when the shell opened the URL, 2 when it could not either.
    int OpenUrl(CString strUrl);
    // Opens the page as OpenUrl does; when nothing could open it, says so in a message box over
    // hOwner and returns false.
    bool OpenPage(HWND hOwner, const CString& strUrl);

    // The browser program named by the HTTP class's default verb, or empty text.
    CString GetBrowserFromDefaultVerb();
    // The browser program named by the HTTP class's "open" command, or empty text.
    CString GetBrowserFromOpenCommand();
};
