#include "FailingFile.h"

#include <algorithm>

bool CFailingFile::Open(const char* pszFileName, unsigned nFlags, CFileException* pError) {
    m_nReads = 0;
    if (m_failAt == FailStep::open) {
        m_strFileName = pszFileName;
        return Refuse(CFileException::sharingViolation, pError);
    }
    if (m_failAt == FailStep::nameTaken && !m_bNameTaken) {
        m_bNameTaken = true;
        m_strFileName = pszFileName;
        return Refuse(CFileException::alreadyExists, pError);
    }
    return CFile::Open(pszFileName, nFlags, pError);
}

unsigned CFailingFile::Read(void* pBuf, unsigned nCount) {
    if (m_failAt != FailStep::read) {
        return CFile::Read(pBuf, nCount);
    }
    // A few bytes first, so that a copy is already under way when the read fails.
    if (m_nReads++ > 0) {
        m_failure = CFileException(CFileException::hardIO, 0, GetFilePath());
        return 0;
    }
    return CFile::Read(pBuf, std::min(nCount, 16u));
}

bool CFailingFile::Write(const void* pBuf, unsigned nCount, CFileException* pError) {
    if (m_failAt == FailStep::write) {
        return Refuse(CFileException::diskFull, pError);
    }
    if (m_failAt == FailStep::laterWrite && m_nWrites++ > 0) {
        return Refuse(CFileException::diskFull, pError);
    }
    if (m_failAt == FailStep::shortWrite) {
        (void)CFile::Write(pBuf, nCount / 2, nullptr);
        return Refuse(CFileException::diskFull, pError);
    }
    return CFile::Write(pBuf, nCount, pError);
}

bool CFailingFile::Flush(CFileException* pError) {
    return m_failAt == FailStep::flush ? Refuse(CFileException::hardIO, pError) : CFile::Flush(pError);
}

bool CFailingFile::Close(CFileException* pError) {
    if (m_failAt == FailStep::close && IsOpen()) {
        (void)CFile::Close(nullptr);
        return Refuse(CFileException::hardIO, pError);
    }
    return CFile::Close(pError);
}

bool CFailingFile::Rename(const char* pszFrom, const char* pszTo, CFileException* pError) {
    if (m_failAt == FailStep::rename) {
        return Refuse(CFileException::sharingViolation, pError);
    }
    return CFile::Rename(pszFrom, pszTo, pError);
}

bool CFailingFile::Refuse(int cause, CFileException* pError) {
    if (pError) {
        *pError = CFileException(cause, 0, GetFilePath());
    }
    return false;
}
