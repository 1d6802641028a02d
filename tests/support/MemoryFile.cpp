#include "MemoryFile.h"

#include <algorithm>
#include <cstring>

unsigned CMemoryFile::Read(void* pBuf, unsigned nCount) {
    if (m_nPos >= m_nFailAt) {
        m_failure = CFileException(CFileException::hardIO, 0, "memory");
        return 0;
    }
    size_t nLimit = std::min(m_bytes.size(), m_nFailAt);
    size_t n = std::min<size_t>({nCount, m_nMaxRead, nLimit > m_nPos ? nLimit - m_nPos : 0});
    std::memcpy(pBuf, m_bytes.data() + m_nPos, n);
    m_nPos += n;
    return static_cast<unsigned>(n);
}

int64_t CMemoryFile::Seek(int64_t nOffset, SeekPosition from) {
    int64_t nBase = from == begin ? 0 : from == current ? static_cast<int64_t>(m_nPos) : static_cast<int64_t>(m_bytes.size());
    int64_t nNew = nBase + nOffset;
    if (nNew < 0) {
        return -1;
    }
    m_nPos = static_cast<size_t>(nNew);
    return nNew;
}
