#include "FriendMailer.h"

#include "RecommendationText.h"
#include "framework/core/String.h"
#include "framework/base/FaultGuard.h"
#include "framework/base/Handles.h"
#include "framework/base/AppContext.h"
#include "ui/shell/Registry.h"

#include <mapi.h>

#include <cstdlib>
#include <cstring>

namespace {

const char kMessagingKeyPath[] = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
const char kNtProfilesKeyPath[] =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
const char kProfilesKeyPath[] = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
const UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// A text as the mail library receives it: a zero-terminated copy of its own, which the library
// may not keep beyond the call, or a null pointer for empty text. Freed when it goes out of scope.
class CLibraryText {
public:
    explicit CLibraryText(const CString& strText) {
        if (!strText.IsEmpty()) {
            size_t nSize = static_cast<size_t>(strText.GetLength()) + 1;
            m_psz = static_cast<char*>(std::malloc(nSize));
            if (m_psz) {
                std::memcpy(m_psz, strText.GetString(), nSize);
            }
        }
    }
    ~CLibraryText() { std::free(m_psz); }
    CLibraryText(const CLibraryText&) = delete;
    CLibraryText& operator=(const CLibraryText&) = delete;
    char* Get() const { return m_psz; }

private:
    char* m_psz = nullptr;
};

template <class TFunction> TFunction* FindEntryPoint(HMODULE hModule, const char* pszName) {
    return reinterpret_cast<TFunction*>(reinterpret_cast<void*>(::GetProcAddress(hModule, pszName)));
}

// Loads with the system's error boxes off, so a missing or broken library never asks the user.
HMODULE LoadQuietly(const char* pszName) {
    UINT nPreviousMode = ::SetErrorMode(kQuietErrorMode);
    HMODULE hModule = ::LoadLibraryA(pszName);
    ::SetErrorMode(nPreviousMode);
    return hModule;
}

bool KeyExists(HKEY hRoot, const char* pszPath) {
    HKEY hOpened = nullptr;
    if (::RegOpenKeyExA(hRoot, pszPath, 0, KEY_READ, &hOpened) != ERROR_SUCCESS) {
        return false;
    }
    CRegKey key(hOpened);
    return true;
}

CString ReadDefaultProfile() {
    // The newer key, once there, is the one in use, even without a default profile in it.
    const char* pszPath =
        KeyExists(HKEY_CURRENT_USER, kNtProfilesKeyPath) ? kNtProfilesKeyPath : kProfilesKeyPath;
    CRegistry registry;
    return registry.QueryString(HKEY_CURRENT_USER, pszPath, "DefaultProfile", "");
}

void ShowMessage(HWND hOwner, const char* pszText) {
    // No caption: the system's default one shows.
    AfxShowMessageBox(hOwner, pszText, nullptr, MB_OK);
}

struct CMapiEntryPoints {
    MAPILOGON* pfnLogon;
    MAPISENDMAIL* pfnSendMail;
    MAPILOGOFF* pfnLogoff;
};

// One logon call; a fault inside it counts as a failed logon. The handle stays 0 unless the
// logon succeeded, so only a session that was opened is ever logged off.
bool LogOn(const CMapiEntryPoints& mapi, char* pszProfile, FLAGS flFlags, LHANDLE& hSession) {
    ULONG ulResult = MAPI_E_FAILURE;
    LHANDLE hNew = 0;
    BOOL bReturned =
        CFaultGuard::Call([&] { ulResult = mapi.pfnLogon(0, pszProfile, nullptr, flFlags, 0, &hNew); });
    if (!bReturned || ulResult != SUCCESS_SUCCESS) {
        return false;
    }
    hSession = hNew;
    return true;
}

} // namespace

bool CFriendMailer::IsMapiAvailable() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version)) {
        return false;
    }
    if (version.dwMajorVersion > 3 || (version.dwMajorVersion == 3 && version.dwMinorVersion > 51)) {
        CRegistry registry;
        // Only the one character "1" switches it on; "0", "1 ", a missing value or key do not.
        return registry.QueryString(HKEY_LOCAL_MACHINE, kMessagingKeyPath, "MAPI", "") == "1";
    }
    return ::GetProfileIntA("Mail", "MAPI", 0) != 0;
}

void CFriendMailer::SendRecommendation(HWND hOwner) {
    if (!IsMapiAvailable()) {
        ShowMessage(hOwner, kMapiNotAvailableText);
        return;
    }
    HMODULE hModule = LoadQuietly("mapi32");
    if (!hModule) {
        hModule = LoadQuietly("mapi32.dll");
    }
    // Declared before anything that uses the library, so it is unloaded last on every path.
    CLibrary library(hModule);
    if (!library.Get()) {
        ShowMessage(hOwner, kMapiNotAvailableText);
        return;
    }
    CMapiEntryPoints mapi = {FindEntryPoint<MAPILOGON>(library.Get(), "MAPILogon"),
                             FindEntryPoint<MAPISENDMAIL>(library.Get(), "MAPISendMail"),
                             FindEntryPoint<MAPILOGOFF>(library.Get(), "MAPILogoff")};
    if (!mapi.pfnLogon || !mapi.pfnSendMail || !mapi.pfnLogoff) {
        ShowMessage(hOwner, kMapiNotAvailableText);
        return;
    }

    CLibraryText subject(RecommendationSubject());
    CLibraryText body(RecommendationBody());
    CLibraryText profile(ReadDefaultProfile());

    LHANDLE hSession = 0;
    // Without a usable default profile, the mail client asks the user.
    if (!LogOn(mapi, profile.Get(), 0, hSession) && !LogOn(mapi, nullptr, MAPI_LOGON_UI, hSession)) {
        ShowMessage(hOwner, kMapiLogonFailedText);
        return;
    }

    MapiMessage message = {};
    message.lpszSubject = subject.Get();
    message.lpszNoteText = body.Get();
    // The user may cancel the compose window: the result tells nothing worth showing.
    CFaultGuard::Call([&] { mapi.pfnSendMail(hSession, 0, &message, MAPI_DIALOG, 0); });
    if (hSession) {
        CFaultGuard::Call([&] { mapi.pfnLogoff(hSession, 0, 0, 0); });
    }
}
