#include "MemoryInputFile.h"

#include <cstring>

unsigned CMemoryInputFile::Read(void* pBuf, unsigned nCount) {
    size_t nLeft = m_nPos < m_bytes.size() ? m_bytes.size() - m_nPos : 0;
    size_t n = nCount < nLeft ? nCount : nLeft;
    if (n > 0) {
        std::memcpy(pBuf, m_bytes.data() + m_nPos, n);
    }
    m_nPos += n;
    return static_cast<unsigned>(n);
}

int64_t CMemoryInputFile::Seek(int64_t nOffset, SeekPosition from) {
    int64_t nBase = from == begin     ? 0
                    : from == current ? static_cast<int64_t>(m_nPos)
                                      : static_cast<int64_t>(m_bytes.size());
    int64_t nNew = nBase + nOffset;
    if (nNew < 0) {
        return -1;
    }
    m_nPos = static_cast<size_t>(nNew);
    return nNew;
}
