#include "FileIdentity.h"
#include "FilePlatform.h"
#include "WideText.h"

#include <windows.h>

namespace {

uint64_t Join(DWORD dwHigh, DWORD dwLow) { return (static_cast<uint64_t>(dwHigh) << 32) | dwLow; }

void FileInfoFromHandleData(const BY_HANDLE_FILE_INFORMATION& data, CFileInfo& info) {
    info.identity.nVolume = data.dwVolumeSerialNumber;
    info.identity.nIndex = Join(data.nFileIndexHigh, data.nFileIndexLow);
    info.nSize = Join(data.nFileSizeHigh, data.nFileSizeLow);
    info.nWriteTime =
        static_cast<int64_t>(Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
    info.bFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

bool ReadOpenFileInfo(intptr_t hFile, CFileInfo& info) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!::GetFileInformationByHandle(reinterpret_cast<HANDLE>(hFile), &data)) {
        return false;
    }
    FileInfoFromHandleData(data, info);
    return true;
}

bool ReadFileInfo(const char* pszPath, CFileInfo& info, CFileException* pError) {
    // Opened only to be asked about, not to be read: a file another program holds without
    // sharing still answers. Backup semantics open folders too.
    HANDLE h = ::CreateFileW(ToWide(pszPath).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION data;
    bool bRead = h != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h, &data);
    DWORD dwError = bRead ? ERROR_SUCCESS : ::GetLastError();
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
    }
    if (!bRead) {
        if (pError) {
            pError->SetFromOsError(static_cast<long>(dwError), pszPath);
        }
        return false;
    }
    FileInfoFromHandleData(data, info);
    return true;
}

bool IsSameFileName(const CString& strA, const CString& strB) {
    std::wstring a = ToWide(strA);
    std::wstring b = ToWide(strB);
    // As the file system compares names: by their upper case, without the rules of a language.
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}
