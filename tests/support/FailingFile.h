// CFailingFile: a real file that fails one chosen step, as a locked file, a bad sector or a
// full disk would. The seam for testing every step of a save or a copy.
#pragma once

#include "framework/core/File.h"

enum class FailStep { none, open, nameTaken, read, write, shortWrite, laterWrite, flush, close, rename };

class CFailingFile : public CFile {
public:
    explicit CFailingFile(FailStep failAt) : m_failAt(failAt) {}

    // open: sharing violation. nameTaken: the first name opened exists already. read: a few bytes, then a hardware error. write: disk full,
    // nothing written. shortWrite: half written, then disk full. laterWrite: the first write goes
    // through, the next finds the disk full. flush, close: hardware error.
    // rename: sharing violation.
    bool Open(const char* pszFileName, unsigned nFlags, CFileException* pError) override;
    unsigned Read(void* pBuf, unsigned nCount) override;
    bool Write(const void* pBuf, unsigned nCount, CFileException* pError) override;
    bool Flush(CFileException* pError) override;
    bool Close(CFileException* pError) override;
    bool Rename(const char* pszFrom, const char* pszTo, CFileException* pError) override;

private:
    bool Refuse(int cause, CFileException* pError);

    FailStep m_failAt;
    int m_nReads = 0;
    int m_nWrites = 0;
    bool m_bNameTaken = false;
};
