// A stand-in for a web browser: appends its process id and the arguments it was started with
// (its command line without the program) to the file named by TBOOK_BROWSER_LOG, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* psz = ::GetCommandLineA();
    if (*psz == '"') {
        const char* pszEnd = psz + 1;
        while (*pszEnd && *pszEnd != '"') {
            ++pszEnd;
        }
        psz = *pszEnd ? pszEnd + 1 : pszEnd;
    } else {
        while (*psz && *psz != ' ' && *psz != '\t') {
            ++psz;
        }
    }
    while (*psz == ' ' || *psz == '\t') {
        ++psz;
    }
    char szPath[MAX_PATH] = "";
    DWORD dwLength = ::GetEnvironmentVariableA("TBOOK_BROWSER_LOG", szPath, sizeof szPath);
    if (!dwLength || dwLength >= sizeof szPath) {
        return 2;
    }
    std::string strLine = std::to_string(::GetCurrentProcessId()) + " " + psz + "\n";
    HANDLE hFile = ::CreateFileA(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD dwWritten = 0;
    ::WriteFile(hFile, strLine.data(), static_cast<DWORD>(strLine.size()), &dwWritten, nullptr);
    ::CloseHandle(hFile);
    return 0;
}
