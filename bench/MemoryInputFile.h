// CMemoryInputFile: a read-only CFile over bytes that the caller keeps alive, so that the
// reader can be measured without the disk and without copying the input for every run.
#pragma once

#include "framework/core/File.h"

#include <string_view>

class CMemoryInputFile : public CFile {
public:
    explicit CMemoryInputFile(std::string_view bytes) : m_bytes(bytes) {}

    unsigned Read(void* pBuf, unsigned nCount) override;
    int64_t Seek(int64_t nOffset, SeekPosition from) override;
    int64_t GetPosition() const override { return static_cast<int64_t>(m_nPos); }

private:
    std::string_view m_bytes;
    size_t m_nPos = 0;
};
