// What a writer remembers of the file it last read or wrote, to tell later whether another
// program has changed it since: its identity (an atomic replace makes a new one), size, time of
// the last write, and a hash of its bytes, which a rewrite in place cannot keep unless it writes
// the same bytes. Nothing is added to the file itself. The readers and writers below take the
// stamp as the bytes pass through, so a load or a save costs one hash of them and no second read.
#pragma once

#include "File.h"

#include <cstddef>
#include <cstdint>

// A 64-bit hash of a stream of bytes given in pieces of any size: the same bytes give the same
// value however they are cut. Four lanes of 64 bits each take a word in turn, so the hash keeps
// up with reading from the system's cache. It tells an accidental change from none; it is no
// defence against someone who means to collide with it.
class CContentHash {
public:
    CContentHash() { Reset(); }
    void Reset();
    void Add(const void* pData, size_t nCount);
    uint64_t Value() const;
    uint64_t GetLength() const { return m_nLength; }

private:
    static constexpr size_t kStripe = 32; // one word for each lane
    void AddStripe(const unsigned char* p);

    uint64_t m_lanes[4];
    unsigned char m_tail[kStripe];
    size_t m_nTail = 0;
    uint64_t m_nLength = 0;
};

struct CFileStamp {
    bool bKnown = false;  // false: the file was never read whole (not yet, or it could not be)
    bool bExists = false; // false, and known: there was no file of that name
    CFileInfo info;
    uint64_t nHash = 0;

    // Two stamps of one file that agree in everything; an unknown stamp equals none.
    bool operator==(const CFileStamp& other) const {
        return bKnown && other.bKnown && bExists == other.bExists &&
               (!bExists || (info == other.info && nHash == other.nHash));
    }
    bool operator!=(const CFileStamp& other) const { return !(*this == other); }
};

// The stamp of the file at pszPath as it is now, reading it whole while no other program may
// write it. A file that is not there gives a known stamp of none. False with the cause when the
// file could not be read.
[[nodiscard]] bool TakeFileStamp(const char* pszPath, CFileStamp& stamp, CFileException* pError);

// A file that hashes every byte read through it once, in order, also when its reader seeks back
// and reads a part again; Finish reads whatever the reader left and gives the stamp.
class CStampingReader : public CFile {
public:
    [[nodiscard]] bool Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError = nullptr) override;
    unsigned Read(void* pBuf, unsigned nCount) override;
    int64_t Seek(int64_t nOffset, SeekPosition from) override;

    // Reads to the end what was not read yet and fills in the stamp; false when the file could
    // not be read (GetFailure says why).
    bool Finish(CFileStamp& stamp);

private:
    CContentHash m_hash;
    uint64_t m_nPos = 0;    // where the next read starts
    uint64_t m_nHashed = 0; // the bytes before this were hashed
};

// A file object that passes every operation to another one and hashes the bytes written through
// it, so that a save knows the hash of what it wrote without reading it back. The bytes must be
// written in order, from a fresh Open on.
class CStampingWriter : public CFile {
public:
    explicit CStampingWriter(CFile& inner) : m_inner(inner) {}

    [[nodiscard]] bool Open(const char* pszFileName, unsigned nOpenFlags, CFileException* pError = nullptr) override;
    unsigned Read(void* pBuf, unsigned nCount) override { return m_inner.Read(pBuf, nCount); }
    [[nodiscard]] bool Write(const void* pBuf, unsigned nCount, CFileException* pError = nullptr) override;
    int64_t Seek(int64_t nOffset, SeekPosition from) override { return m_inner.Seek(nOffset, from); }
    int64_t GetPosition() const override { return m_inner.GetPosition(); }
    [[nodiscard]] bool Flush(CFileException* pError = nullptr) override { return m_inner.Flush(pError); }
    [[nodiscard]] bool Close(CFileException* pError = nullptr) override { return m_inner.Close(pError); }
    [[nodiscard]] bool Remove(const char* pszFileName, CFileException* pError = nullptr) override {
        return m_inner.Remove(pszFileName, pError);
    }
    [[nodiscard]] bool Rename(const char* pszFrom, const char* pszTo, CFileException* pError = nullptr) override {
        return m_inner.Rename(pszFrom, pszTo, pError);
    }
    bool IsReadOnly(const char* pszFileName) const override { return m_inner.IsReadOnly(pszFileName); }

    // The hash and the number of the bytes written since the last Open.
    uint64_t GetHash() const { return m_hash.Value(); }
    uint64_t GetLength() const { return m_hash.GetLength(); }

private:
    CFile& m_inner;
    CContentHash m_hash;
};
