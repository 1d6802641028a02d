#include "ShellFolder.h"

#include "Handles.h"
#include "framework/core/WideText.h"

#include <windows.h>

CString GetShellFolderPath(int nCsidl) {
    using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    CLibrary library(::LoadLibraryW(L"Shfolder.dll"));
    if (!library) {
        return CString();
    }
    auto pfnGetFolderPath = reinterpret_cast<GetFolderPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(library, "SHGetFolderPathW")));
    wchar_t szPath[MAX_PATH] = L"";
    if (pfnGetFolderPath && pfnGetFolderPath(nullptr, nCsidl, nullptr, 0, szPath) == S_OK) {
        return FromWide(szPath);
    }
    return CString();
}

bool CreateFolder(const char* pszPath) {
    std::wstring path = ToWide(pszPath);
    if (::CreateDirectoryW(path.c_str(), nullptr)) {
        return true;
    }
    DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
