#include "File.h"
#include "FilePlatform.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

int FileDescriptor(intptr_t h) { return static_cast<int>(h); }

// Makes a rename durable: the directory entry lives in the folder, not in the file.
void SyncFolderOf(const char* pszPath) {
    CString strFolder(pszPath);
    int nSlash = strFolder.ReverseFind('/');
    strFolder = nSlash < 0 ? CString(".") : nSlash == 0 ? CString("/") : strFolder.Left(nSlash);
    int fd = ::open(strFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int CFileException::OsErrorToCause(long lOsError) {
    switch (lOsError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case ESPIPE: return badSeek;
    case EEXIST: return alreadyExists;
    default: return genericException;
    }
}

CFile::~CFile() {
    if (IsOpen()) {
        ::close(FileDescriptor(m_hFile));
    }
}

long LastOsError() { return errno; }

bool OpenOsFile(const char* pszFileName, unsigned nOpenFlags, intptr_t& hFile) {
    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
    case CFile::modeWrite: flags |= O_WRONLY; break;
    case CFile::modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (nOpenFlags & CFile::modeCreateNew) {
        // The check and the creation are one step, so two writers never claim the same name.
        flags |= O_CREAT | O_EXCL;
    } else if (nOpenFlags & CFile::modeCreate) {
        flags |= O_CREAT | O_TRUNC;
    }
    int fd = ::open(pszFileName, flags, 0666);
    if (fd < 0) {
        return false;
    }
    hFile = fd;
    return true;
}

unsigned CFile::Read(void* pBuf, unsigned nCount) {
    for (;;) {
        ssize_t n = ::read(FileDescriptor(m_hFile), pBuf, nCount);
        if (n >= 0) {
            return static_cast<unsigned>(n);
        }
        if (errno != EINTR) {
            Fail(nullptr);
            return 0;
        }
    }
}

bool CFile::Write(const void* pBuf, unsigned nCount, CFileException* pError) {
    const char* p = static_cast<const char*>(pBuf);
    while (nCount > 0) {
        ssize_t n = ::write(FileDescriptor(m_hFile), p, nCount);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return Fail(pError);
        }
        p += n;
        nCount -= static_cast<unsigned>(n);
    }
    return true;
}

int64_t CFile::Seek(int64_t nOffset, SeekPosition from) {
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(FileDescriptor(m_hFile), static_cast<off_t>(nOffset), whence);
    if (pos < 0) {
        Fail(nullptr);
        return -1;
    }
    return pos;
}

int64_t CFile::GetPosition() const { return ::lseek(FileDescriptor(m_hFile), 0, SEEK_CUR); }

bool CFile::Flush(CFileException* pError) { return ::fsync(FileDescriptor(m_hFile)) == 0 || Fail(pError); }

bool CFile::Close(CFileException* pError) {
    if (!IsOpen()) {
        return true;
    }
    int fd = FileDescriptor(m_hFile);
    m_hFile = kNoFile;
    return ::close(fd) == 0 || Fail(pError);
}

bool CFile::Remove(const char* pszFileName, CFileException* pError) {
    if (::unlink(pszFileName) == 0) {
        return true;
    }
    int nError = errno;
    if (pError) {
        pError->SetFromOsError(nError, pszFileName);
    }
    return false;
}

long RenameReplacing(const char* pszFrom, const char* pszTo) {
    if (::rename(pszFrom, pszTo) != 0) {
        return errno;
    }
    SyncFolderOf(pszTo);
    return 0;
}

bool IsTransientOsError(long lOsError) { return lOsError == EBUSY || lOsError == ETXTBSY; }

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

bool IsProcessRunning(unsigned long nProcess) {
    if (nProcess == 0 || nProcess > static_cast<unsigned long>(INT_MAX)) {
        return false;
    }
    return ::kill(static_cast<pid_t>(nProcess), 0) == 0 || errno == EPERM; // EPERM: another user's
}

std::vector<CString> ListFolderFiles(const char* pszFolder) {
    std::vector<CString> names;
    DIR* pDir = ::opendir(pszFolder);
    if (!pDir) {
        return names;
    }
    while (const dirent* pEntry = ::readdir(pDir)) {
        struct stat info;
        std::string strPath = std::string(pszFolder) + "/" + pEntry->d_name;
        if (::stat(strPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            names.emplace_back(pEntry->d_name);
        }
    }
    ::closedir(pDir);
    return names;
}

bool CreateFolderIfMissing(const char* pszFolder, CFileException* pError) {
    struct stat info;
    if (::mkdir(pszFolder, 0777) == 0 || (::stat(pszFolder, &info) == 0 && S_ISDIR(info.st_mode))) {
        return true;
    }
    if (pError) {
        pError->SetFromOsError(errno == EEXIST ? ENOTDIR : errno, pszFolder);
    }
    return false;
}

bool CFile::IsReadOnly(const char* pszFileName) const {
    struct stat info;
    return ::stat(pszFileName, &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void SleepBriefly(int nMilliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
}
