#include "FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CFileLock::Attempt CFileLock::TryAcquire(const CString& strLockPath, long& lError) {
    int fd = ::open(strLockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        lError = errno;
        return Attempt::failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lError = errno;
        ::close(fd);
        return lError == EWOULDBLOCK || lError == EINTR ? Attempt::busy : Attempt::failed;
    }
    // The holder before removes the file as it lets go: a lock on a file no longer at that name
    // claims nothing, so the name is tried again.
    struct stat opened;
    struct stat named;
    if (::fstat(fd, &opened) != 0 || ::stat(strLockPath, &named) != 0 || opened.st_ino != named.st_ino ||
        opened.st_dev != named.st_dev) {
        ::close(fd);
        return Attempt::busy;
    }
    m_hLock = fd;
    return Attempt::held;
}

void CFileLock::Release() {
    if (IsHeld()) {
        ::unlink(m_strLockPath);
        ::close(static_cast<int>(m_hLock));
        m_hLock = kNoLock;
    }
}
