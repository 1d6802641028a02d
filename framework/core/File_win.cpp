#include "File.h"
#include "FilePlatform.h"
#include "WideText.h"

#include <windows.h>

namespace {

HANDLE Handle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

} // namespace

int CFileException::OsErrorToCause(long lOsError) {
    switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_NOT_READY:
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return alreadyExists;
    default: return genericException;
    }
}

CFile::~CFile() {
    if (IsOpen()) {
        CloseHandle(Handle(m_hFile));
    }
}

long LastOsError() { return static_cast<long>(GetLastError()); }

bool OpenOsFile(const char* pszFileName, unsigned nOpenFlags, intptr_t& hFile) {
    DWORD dwAccess = GENERIC_READ;
    switch (nOpenFlags & 3) {
    case CFile::modeWrite: dwAccess = GENERIC_WRITE; break;
    case CFile::modeReadWrite: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD dwShare = 0; // compatibility mode and exclusive mode alike
    switch (nOpenFlags & 0x70) {
    case CFile::shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case CFile::shareDenyRead: dwShare = FILE_SHARE_WRITE; break;
    case CFile::shareDenyNone: dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    }
    DWORD dwCreation = OPEN_EXISTING;
    if (nOpenFlags & CFile::modeCreateNew) {
        dwCreation = CREATE_NEW;
    } else if (nOpenFlags & CFile::modeCreate) {
        dwCreation = CREATE_ALWAYS;
    }
    HANDLE h = CreateFileW(ToWide(pszFileName).c_str(), dwAccess, dwShare, nullptr, dwCreation,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    hFile = reinterpret_cast<intptr_t>(h);
    return true;
}

unsigned CFile::Read(void* pBuf, unsigned nCount) {
    DWORD nRead = 0;
    if (!ReadFile(Handle(m_hFile), pBuf, nCount, &nRead, nullptr)) {
        Fail(nullptr);
        return 0;
    }
    return nRead;
}

bool CFile::Write(const void* pBuf, unsigned nCount, CFileException* pError) {
    const char* p = static_cast<const char*>(pBuf);
    while (nCount > 0) {
        DWORD nWritten = 0;
        if (!WriteFile(Handle(m_hFile), p, nCount, &nWritten, nullptr)) {
            return Fail(pError);
        }
        if (nWritten == 0) {
            SetLastError(ERROR_DISK_FULL);
            return Fail(pError);
        }
        p += nWritten;
        nCount -= nWritten;
    }
    return true;
}

int64_t CFile::Seek(int64_t nOffset, SeekPosition from) {
    LARGE_INTEGER distance;
    distance.QuadPart = nOffset;
    LARGE_INTEGER position;
    DWORD dwMethod = from == begin ? FILE_BEGIN : from == current ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(Handle(m_hFile), distance, &position, dwMethod)) {
        Fail(nullptr);
        return -1;
    }
    return position.QuadPart;
}

int64_t CFile::GetPosition() const {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(Handle(m_hFile), zero, &position, FILE_CURRENT)) {
        return -1;
    }
    return position.QuadPart;
}

bool CFile::Flush(CFileException* pError) { return FlushFileBuffers(Handle(m_hFile)) || Fail(pError); }

bool CFile::Close(CFileException* pError) {
    if (!IsOpen()) {
        return true;
    }
    HANDLE h = Handle(m_hFile);
    m_hFile = kNoFile;
    return CloseHandle(h) || Fail(pError);
}

bool CFile::Remove(const char* pszFileName, CFileException* pError) {
    if (DeleteFileW(ToWide(pszFileName).c_str())) {
        return true;
    }
    if (pError) {
        pError->SetFromOsError(static_cast<long>(GetLastError()), pszFileName);
    }
    return false;
}

long RenameReplacing(const char* pszFrom, const char* pszTo) {
    // Not ReplaceFile: it is not atomic everywhere (under Wine it deletes the old file first).
    if (MoveFileExW(ToWide(pszFrom).c_str(), ToWide(pszTo).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    return static_cast<long>(GetLastError());
}

bool IsTransientOsError(long lOsError) {
    return lOsError == ERROR_SHARING_VIOLATION || lOsError == ERROR_ACCESS_DENIED ||
           lOsError == ERROR_LOCK_VIOLATION;
}

void SleepBriefly(int nMilliseconds) { Sleep(static_cast<DWORD>(nMilliseconds)); }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool IsProcessRunning(unsigned long nProcess) {
    HANDLE hProcess = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(nProcess));
    if (!hProcess) {
        return GetLastError() == ERROR_ACCESS_DENIED; // there, but another user's
    }
    bool bRunning = WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT;
    CloseHandle(hProcess);
    return bRunning;
}

std::vector<CString> ListFolderFiles(const char* pszFolder) {
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE hFind = FindFirstFileW(ToWide(CString(pszFolder) + "\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(FromWide(found.cFileName));
        }
    } while (FindNextFileW(hFind, &found));
    FindClose(hFind);
    return names;
}

bool CreateFolderIfMissing(const char* pszFolder, CFileException* pError) {
    std::wstring folder = ToWide(pszFolder);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        return true;
    }
    long lError = static_cast<long>(GetLastError());
    DWORD dwAttributes = GetFileAttributesW(folder.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return true;
    }
    if (pError) {
        pError->SetFromOsError(lError, pszFolder);
    }
    return false;
}

bool CFile::IsReadOnly(const char* pszFileName) const {
    DWORD dwAttributes = GetFileAttributesW(ToWide(pszFileName).c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) &&
           !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
