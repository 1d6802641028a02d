// A stand-in for the system's Simple MAPI library, loaded instead of it by the tests. Every
// call is appended, with its arguments, to the file named by TBOOK_MAPI_LOG, one line each,
// and so are loading and unloading. TBOOK_MAPI_MODE tells it to misbehave:
//   fail-first-logon  a logon without MAPI_LOGON_UI fails
//   fail-logon        every logon fails
//   fault-logon       every logon raises an access violation
//   fault-send        the send raises an access violation after recording itself
#include <windows.h>
// After windows.h, which it needs.
#include <mapi.h>

#include <string>

namespace {

const LHANDLE kSession = 0x5151;

std::string ReadEnvironment(const char* pszName) {
    char szValue[1024] = "";
    DWORD dwLength = ::GetEnvironmentVariableA(pszName, szValue, sizeof szValue);
    return dwLength && dwLength < sizeof szValue ? std::string(szValue, dwLength) : std::string();
}

bool IsMode(const char* pszMode) {
    return ReadEnvironment("TBOOK_MAPI_MODE") == pszMode;
}

// Plain file calls only: this also runs inside DllMain.
void Record(const std::string& strLine) {
    std::string strPath = ReadEnvironment("TBOOK_MAPI_LOG");
    if (strPath.empty()) {
        return;
    }
    HANDLE hFile = ::CreateFileA(strPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return;
    }
    std::string strData = strLine + "\n";
    DWORD dwWritten = 0;
    ::WriteFile(hFile, strData.data(), static_cast<DWORD>(strData.size()), &dwWritten, nullptr);
    ::CloseHandle(hFile);
}

std::string Number(ULONG_PTR nValue) {
    char szText[32];
    wsprintfA(szText, "0x%Ix", nValue);
    return szText;
}

// A text argument, quoted, with its control characters spelled out; or null.
std::string Text(const char* psz) {
    if (!psz) {
        return "null";
    }
    std::string strText = "\"";
    for (; *psz; ++psz) {
        switch (*psz) {
        case '\r':
            strText += "\\r";
            break;
        case '\n':
            strText += "\\n";
            break;
        case '\\':
            strText += "\\\\";
            break;
        default:
            strText += *psz;
            break;
        }
    }
    return strText + "\"";
}

void RaiseAccessViolation() {
    // Volatile all the way, or the compiler drops a store it can prove undefined.
    volatile int* volatile pNowhere = nullptr;
    *pNowhere = 1;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, void*) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        Record("load errormode=" + Number(::GetErrorMode()));
    } else if (dwReason == DLL_PROCESS_DETACH) {
        Record("unload");
    }
    return TRUE;
}

ULONG WINAPI MAPILogon(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword, FLAGS flFlags,
                       ULONG ulReserved, LPLHANDLE lplhSession) {
    Record("logon ui=" + Number(ulUIParam) + " profile=" + Text(lpszProfileName) + " password=" +
           Text(lpszPassword) + " flags=" + Number(flFlags) + " reserved=" + Number(ulReserved));
    if (IsMode("fault-logon")) {
        RaiseAccessViolation();
    }
    if (IsMode("fail-logon") || (IsMode("fail-first-logon") && !(flFlags & MAPI_LOGON_UI))) {
        // What a careless library might leave behind: a handle that is no session.
        *lplhSession = 0xDEAD;
        return MAPI_E_LOGIN_FAILURE;
    }
    *lplhSession = kSession;
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPISendMail(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage, FLAGS flFlags,
                          ULONG ulReserved) {
    std::string strLine = "send session=" + Number(lhSession) + " ui=" + Number(ulUIParam) +
                          " flags=" + Number(flFlags) + " reserved=" + Number(ulReserved);
    if (lpMessage) {
        strLine +=
            " subject=" + Text(lpMessage->lpszSubject) + " note=" + Text(lpMessage->lpszNoteText) +
            " type=" + Text(lpMessage->lpszMessageType) + " date=" + Text(lpMessage->lpszDateReceived) +
            " conversation=" + Text(lpMessage->lpszConversationID) +
            " msgflags=" + Number(lpMessage->flFlags) +
            " originator=" + (lpMessage->lpOriginator ? "set" : "null") +
            " recipients=" + Number(lpMessage->nRecipCount) + " files=" + Number(lpMessage->nFileCount);
    }
    Record(strLine);
    if (IsMode("fault-send")) {
        RaiseAccessViolation();
    }
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPILogoff(LHANDLE lhSession, ULONG_PTR ulUIParam, FLAGS flFlags, ULONG ulReserved) {
    Record("logoff session=" + Number(lhSession) + " ui=" + Number(ulUIParam) + " flags=" + Number(flFlags) +
           " reserved=" + Number(ulReserved));
    return SUCCESS_SUCCESS;
}
