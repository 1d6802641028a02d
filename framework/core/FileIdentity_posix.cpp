#include "FileIdentity.h"
#include "FilePlatform.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

void FileInfoFromStat(const struct stat& data, CFileInfo& info) {
    info.identity.nVolume = static_cast<uint64_t>(data.st_dev);
    info.identity.nIndex = static_cast<uint64_t>(data.st_ino);
    info.nSize = static_cast<uint64_t>(data.st_size);
    info.nWriteTime = static_cast<int64_t>(data.st_mtim.tv_sec) * 1000000000 + data.st_mtim.tv_nsec;
    info.bFolder = S_ISDIR(data.st_mode);
}

} // namespace

bool ReadOpenFileInfo(intptr_t hFile, CFileInfo& info) {
    struct stat data;
    if (::fstat(static_cast<int>(hFile), &data) != 0) {
        return false;
    }
    FileInfoFromStat(data, info);
    return true;
}

bool ReadFileInfo(const char* pszPath, CFileInfo& info, CFileException* pError) {
    struct stat data;
    if (::stat(pszPath, &data) != 0) {
        if (pError) {
            pError->SetFromOsError(errno, pszPath);
        }
        return false;
    }
    FileInfoFromStat(data, info);
    return true;
}

bool IsSameFileName(const CString& strA, const CString& strB) { return strA == strB; }
