#include "Console.h"

#include "framework/core/WideText.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> args;
    int nCount = 0;
    LPWSTR* ppArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nCount);
    for (int i = 1; ppArgs && i < nCount; ++i) {
        args.push_back(FromWide(ppArgs[i]).GetStdString());
    }
    ::LocalFree(ppArgs);
    return args;
}

void WriteText(FILE* pStream, const std::string& strText) {
    HANDLE hOut = ::GetStdHandle(pStream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD dwMode = 0;
    if (hOut && hOut != INVALID_HANDLE_VALUE && ::GetConsoleMode(hOut, &dwMode)) {
        // A console shows characters, not the bytes of one code page.
        std::fflush(pStream);
        std::wstring text = ToWide(strText.c_str());
        DWORD dwWritten = 0;
        ::WriteConsoleW(hOut, text.data(), static_cast<DWORD>(text.size()), &dwWritten, nullptr);
        return;
    }
    std::fwrite(strText.data(), 1, strText.size(), pStream);
}
