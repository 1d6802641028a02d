// Eight bytes of a text taken as one number, for the loops that pass over plain text eight bytes
// at a time: the tests for "no byte here is one of these" that they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// One in every byte: c * kEachByte is the byte c eight times.
inline constexpr uint64_t kEachByte = 0x0101010101010101u;
inline constexpr uint64_t kHighBits = 0x8080808080808080u;

inline uint64_t EightBytesAt(const char* p) {
    uint64_t nEight = 0;
    std::memcpy(&nEight, p, sizeof nEight);
    return nEight;
}

// The high bit of each byte of nEight that is zero, and of no other.
inline uint64_t ZeroBytes(uint64_t nEight) {
    const uint64_t kLows = ~kHighBits;
    return ~(((nEight & kLows) + kLows) | nEight | kLows);
}

// The place of the first byte, in memory, whose high bit a nonzero mask of ZeroBytes sets: the
// first byte in memory is the lowest of the number on every processor Windows runs on.
inline size_t FirstMarkedByte(uint64_t nMask) { return static_cast<size_t>(__builtin_ctzll(nMask)) / 8; }
