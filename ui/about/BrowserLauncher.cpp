#include "BrowserLauncher.h"

#include "BrowserCommand.h"
#include "framework/core/WideText.h"
#include "framework/base/AppContext.h"
#include "ui/shell/Globals.h"
#include "ui/shell/Registry.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace {

const char kHttpShellPath[] = "HTTP\\shell";
const char kHttpOpenCommandPath[] = "HTTP\\shell\\open\\command";
// ShellExecuteA's results up to this one are errors.
const INT_PTR kLastShellError = 32;
const char kNoBrowser[] = "The page %s could not be opened: no web browser could be started.";

// Reads a key's default value; empty when the key or the value is missing.
CString ReadDefaultValue(const CString& strPath) {
    CRegistry registry;
    return registry.QueryString(HKEY_CLASSES_ROOT, strPath, nullptr, "");
}

// Whether the shell started the browser with the URL as its argument.
bool StartBrowser(const CString& strBrowser, const CString& strUrl) {
    // An empty program name would have the shell open something else entirely.
    if (strBrowser.IsEmpty()) {
        return false;
    }
    CString strParameters = MakeBrowserParameters(strUrl);
    HINSTANCE hResult = ::ShellExecuteW(nullptr, L"open", ToWide(strBrowser).c_str(), ToWide(strParameters).c_str(),
                                        nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(hResult) > kLastShellError;
}

} // namespace

int CBrowserLauncher::OpenUrl(CString strUrl) {
    if (StartBrowser(GetBrowserFromDefaultVerb(), strUrl)) {
        return 0;
    }
    if (StartBrowser(GetBrowserFromOpenCommand(), strUrl)) {
        return 0;
    }
    HINSTANCE hResult = ::ShellExecuteW(nullptr, L"open", ToWide(strUrl).c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(hResult) > kLastShellError ? 1 : 2;
}

bool CBrowserLauncher::OpenPage(HWND hOwner, const CString& strUrl) {
    if (OpenUrl(strUrl) != 2) {
        return true;
    }
    CString strText;
    strText.Format(kNoBrowser, strUrl.GetString());
    AfxShowMessageBox(hOwner, strText, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

CString CBrowserLauncher::GetBrowserFromDefaultVerb() {
    CString strVerb = ReadDefaultValue(kHttpShellPath);
    // An empty default verb names no command of its own.
    if (strVerb.IsEmpty()) {
        return CString();
    }
    CString strCommand = ReadDefaultValue(CString(kHttpShellPath) + "\\" + strVerb + "\\command");
    return strCommand.IsEmpty() ? CString() : ExtractBrowserProgram(strCommand);
}

CString CBrowserLauncher::GetBrowserFromOpenCommand() {
    CString strCommand = ReadDefaultValue(kHttpOpenCommandPath);
    return strCommand.IsEmpty() ? CString() : ExtractBrowserProgram(strCommand);
}
