// CMemoryFile: a CFile over bytes in memory, so parser tests need no disk. A failure can be
// planted at a read offset to stand for a disk error in mid-file.
#pragma once

#include "framework/core/File.h"

#include <string>

class CMemoryFile : public CFile {
public:
    explicit CMemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}

    unsigned Read(void* pBuf, unsigned nCount) override;
    int64_t Seek(int64_t nOffset, SeekPosition from) override;
    int64_t GetPosition() const override { return static_cast<int64_t>(m_nPos); }

    // Reads that reach this offset fail with a hardware error.
    void FailReadsFrom(size_t nOffset) { m_nFailAt = nOffset; }
    // Largest number of bytes handed out by one Read (to split input at every place).
    void LimitReadsTo(unsigned nMax) { m_nMaxRead = nMax; }

private:
    std::string m_bytes;
    size_t m_nPos = 0;
    size_t m_nFailAt = std::string::npos;
    unsigned m_nMaxRead = ~0u;
};
