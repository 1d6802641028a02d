#include "FileStamp.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Odd, so that each multiplication is a one-to-one map of a lane: a word that differs leaves a
// lane that differs, and every later step keeps it different.
const uint64_t kLaneFactor[4] = {0xd1a6e55e9b9b1325u, 0x566bf9d7c55a45f9u, 0xcf0c26ef4243ed53u,
                                 0x5d96cf7f265beda9u};
const uint64_t kMixFactor = 0xc1d77cffb7decc0du;
const uint64_t kLengthFactor = 0x5e6a0a2edd70e34du;

const unsigned kReadChunk = 1 << 20;

uint64_t WordAt(const unsigned char* p) {
    uint64_t nWord = 0;
    std::memcpy(&nWord, p, sizeof nWord);
    return nWord;
}

// Spreads every bit of x over the whole value.
uint64_t Mix(uint64_t x) {
    x ^= x >> 32;
    x *= kMixFactor;
    x ^= x >> 29;
    return x;
}

} // namespace

void CContentHash::Reset() {
    for (int i = 0; i < 4; ++i) {
        m_lanes[i] = kLaneFactor[(i + 1) % 4];
    }
    m_nTail = 0;
    m_nLength = 0;
}

void CContentHash::AddStripe(const unsigned char* p) {
    for (int i = 0; i < 4; ++i) {
        uint64_t nLane = (m_lanes[i] ^ WordAt(p + 8 * i)) * kLaneFactor[i];
        m_lanes[i] = nLane ^ (nLane >> 31);
    }
}

void CContentHash::Add(const void* pData, size_t nCount) {
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    m_nLength += nCount;
    if (m_nTail > 0) {
        size_t nTaken = std::min(nCount, kStripe - m_nTail);
        std::memcpy(m_tail + m_nTail, p, nTaken);
        m_nTail += nTaken;
        p += nTaken;
        nCount -= nTaken;
        if (m_nTail < kStripe) {
            return;
        }
        AddStripe(m_tail);
        m_nTail = 0;
    }
    for (; nCount >= kStripe; p += kStripe, nCount -= kStripe) {
        AddStripe(p);
    }
    std::memcpy(m_tail, p, nCount);
    m_nTail = nCount;
}

uint64_t CContentHash::Value() const {
    // The last bytes as one more stripe, padded with zeros; the length tells a padding zero
    // from a zero of the file.
    CContentHash last = *this;
    if (last.m_nTail > 0) {
        std::memset(last.m_tail + last.m_nTail, 0, kStripe - last.m_nTail);
        last.AddStripe(last.m_tail);
    }
    uint64_t nValue = m_nLength * kLengthFactor;
    for (uint64_t nLane : last.m_lanes) {
        nValue = Mix(nValue ^ Mix(nLane)) * kLengthFactor;
    }
    return Mix(nValue);
}

bool CStampingReader::Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError) {
    m_hash.Reset();
    m_nPos = m_nHashed = 0;
    return CFile::Open(pszFileName, nOpenFlags, pError);
}

unsigned CStampingReader::Read(void* pBuf, unsigned nCount) {
    unsigned nRead = CFile::Read(pBuf, nCount);
    uint64_t nEnd = m_nPos + nRead;
    // Only what follows the bytes hashed so far; a part read again was hashed the first time.
    if (m_nPos <= m_nHashed && nEnd > m_nHashed) {
        m_hash.Add(static_cast<const char*>(pBuf) + (m_nHashed - m_nPos), static_cast<size_t>(nEnd - m_nHashed));
        m_nHashed = nEnd;
    }
    m_nPos = nEnd;
    return nRead;
}

int64_t CStampingReader::Seek(int64_t nOffset, SeekPosition from) {
    int64_t nPos = CFile::Seek(nOffset, from);
    if (nPos >= 0) {
        m_nPos = static_cast<uint64_t>(nPos);
    }
    return nPos;
}

bool CStampingReader::Finish(CFileStamp& stamp) {
    if (GetFailure().m_cause != CFileException::none ||
        Seek(static_cast<int64_t>(m_nHashed), begin) != static_cast<int64_t>(m_nHashed)) {
        return false;
    }
    std::vector<char> buffer(kReadChunk);
    while (Read(buffer.data(), kReadChunk) > 0) {
    }
    CFileStamp taken;
    if (GetFailure().m_cause != CFileException::none || !GetInfo(taken.info)) {
        return false;
    }
    taken.bKnown = taken.bExists = true;
    taken.nHash = m_hash.Value();
    stamp = taken;
    return true;
}

bool TakeFileStamp(const char* pszPath, CFileStamp& stamp, CFileException* pError) {
    CStampingReader file;
    CFileException error;
    if (!file.OpenRetrying(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        if (!error.IsMissingFile()) {
            if (pError) {
                *pError = error;
            }
            return false;
        }
        stamp = CFileStamp();
        stamp.bKnown = true;
        return true;
    }
    if (!file.Finish(stamp)) {
        if (pError) {
            *pError = file.GetFailure().m_cause != CFileException::none
                          ? file.GetFailure()
                          : CFileException(CFileException::genericException, -1, pszPath);
        }
        return false;
    }
    return true;
}

bool CStampingWriter::Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError) {
    m_hash.Reset();
    return m_inner.Open(pszFileName, nOpenFlags, pError);
}

bool CStampingWriter::Write(const void* pBuf, unsigned nCount, CFileException* pError) {
    if (!m_inner.Write(pBuf, nCount, pError)) {
        return false;
    }
    m_hash.Add(pBuf, nCount);
    return true;
}
