// CFile: an open file of the system, read and written by bytes. Failures are returned, never
// thrown: operations return false (or 0 bytes) and describe the cause in a CFileException.
// The operations are virtual so that tests can fail any step of a save or a load; Remove and
// Rename are instance operations for the same reason. One thread at a time.
#pragma once

#include "FileException.h"
#include "FileIdentity.h"
#include "String.h"

#include <cstdint>
#include <string>
#include <vector>

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,    // create, or truncate an existing file
        modeCreateNew = 0x4000, // create a new file; fail with alreadyExists when the name is taken
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile(); // closes an open file; a failure to close is then not reported

    [[nodiscard]] virtual bool Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError = nullptr);
    // Open, retried a few times over about a second while another program holds the file for a
    // moment (a virus scanner, a backup tool, a sync client).
    [[nodiscard]] bool OpenRetrying(const char* pszFileName, unsigned nOpenFlags, CFileException* pError = nullptr);
    // Reads up to nCount bytes and returns how many were read: 0 at the end of the file, and
    // also after a failure, which GetFailure then describes.
    virtual unsigned Read(void* pBuf, unsigned nCount);
    // Writes all nCount bytes; anything less is a failure.
    [[nodiscard]] virtual bool Write(const void* pBuf, unsigned nCount, CFileException* pError = nullptr);
    // Returns the new position, or -1 on failure.
    virtual int64_t Seek(int64_t nOffset, SeekPosition from);
    virtual int64_t GetPosition() const;
    // Writes the system's buffers through to the disk.
    [[nodiscard]] virtual bool Flush(CFileException* pError = nullptr);
    [[nodiscard]] virtual bool Close(CFileException* pError = nullptr);

    // Deletes a file.
    [[nodiscard]] virtual bool Remove(const char* pszFileName, CFileException* pError = nullptr);
    // Moves pszFrom over pszTo in one step: readers see either the old or the new file. A target
    // held open by another program for a moment is retried a few times over about a second.
    [[nodiscard]] virtual bool Rename(const char* pszFrom, const char* pszTo, CFileException* pError = nullptr);
    // Whether the file is there and marked read-only (Windows' attribute; elsewhere, no write
    // permission for anyone), which a save honours although the folder would allow replacing it.
    virtual bool IsReadOnly(const char* pszFileName) const;

    bool IsOpen() const { return m_hFile != kNoFile; }
    // The identity, size and time of the open file; false when none is open or the system did
    // not say.
    bool GetInfo(CFileInfo& info) const;
    const CString& GetFilePath() const { return m_strFileName; }
    // The last failure of Read or Seek; cause none when there was none.
    const CFileException& GetFailure() const { return m_failure; }

protected:
    static constexpr intptr_t kNoFile = -1;
    // Records a failure of the system call just made and copies it to pError.
    bool Fail(CFileException* pError);

    intptr_t m_hFile = kNoFile; // a HANDLE on Windows, a descriptor elsewhere
    CString m_strFileName;
    CFileException m_failure;
};

// Reads a whole file; false with the cause.
[[nodiscard]] bool ReadWholeFile(const char* pszPath, std::string& strData, CFileException& error);
// The system's number of this process, for file names no other process picks.
unsigned long CurrentProcessId();
// Whether a process of that number runs now (one the caller may not look into counts).
bool IsProcessRunning(unsigned long nProcess);
// The names of the files (not folders) in a folder; empty when it cannot be read.
std::vector<CString> ListFolderFiles(const char* pszFolder);
// Creates the folder unless it is there; false with the cause when there is none afterwards.
[[nodiscard]] bool CreateFolderIfMissing(const char* pszFolder, CFileException* pError);
