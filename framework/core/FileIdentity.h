// Which file a path names, as the system tells files apart: by the volume it lives on and its
// number there, not by how its name is spelled. Two paths that differ in case, in "." and ".."
// segments, in slashes, or in the drive letter a substituted folder gives, name one file when
// their identities agree. An atomic replace (a new file moved over the old name) gives the name a
// new identity, while a rewrite in place keeps it.
#pragma once

#include "FileException.h"
#include "String.h"

#include <cstdint>

struct CFileIdentity {
    uint64_t nVolume = 0; // the volume's serial number on Windows, the device elsewhere
    uint64_t nIndex = 0;  // the file's number on its volume (its inode elsewhere)

    bool operator==(const CFileIdentity& other) const {
        return nVolume == other.nVolume && nIndex == other.nIndex;
    }
    bool operator!=(const CFileIdentity& other) const { return !(*this == other); }
};

// What the system says of a file besides its bytes.
struct CFileInfo {
    CFileIdentity identity;
    uint64_t nSize = 0;
    int64_t nWriteTime = 0; // the last write, in the system's own units
    bool bFolder = false;

    bool operator==(const CFileInfo& other) const {
        return identity == other.identity && nSize == other.nSize && nWriteTime == other.nWriteTime &&
               bFolder == other.bFolder;
    }
    bool operator!=(const CFileInfo& other) const { return !(*this == other); }
};

// The identity, size and time of the file or folder at pszPath. False with the cause; a path
// that names nothing gives fileNotFound or badPath (IsMissingFile).
[[nodiscard]] bool ReadFileInfo(const char* pszPath, CFileInfo& info, CFileException* pError);

// Whether the two paths name one file, however each is spelled. A file that does not exist yet
// is named by its folder and its name: the same name (as the system compares names) in the same
// folder, told by the folder's identity. Paths of which not even the folder exists are compared
// as they are written.
bool IsSameFile(const char* pszA, const char* pszB);

// Whether two names of files in one folder are one name to the system: on Windows regardless of
// case, elsewhere byte for byte.
bool IsSameFileName(const CString& strA, const CString& strB);
