// Text rules of the system's ANSI code page. On Windows the system's own case mapping is used;
// natively the Windows-1252 mapping stands in for it, so both builds agree on test data.
#pragma once

#include <cstddef>

// Lower-cases or upper-cases nLength bytes in place.
void AnsiLowerBuffer(char* pch, size_t nLength);
void AnsiUpperBuffer(char* pch, size_t nLength);
// The lower-casing as a table of 256 bytes, for code that folds case as it reads instead of
// lower-casing a copy; null for a multibyte code page, where a byte's case depends on its
// neighbours.
const unsigned char* AnsiLowerTable();

// Compares two zero-terminated texts as the runtime's multibyte comparison does for single-byte
// text: byte by byte as unsigned values. Returns <0, 0 or >0.
int MbsCompare(const char* a, const char* b);

// True when c is white space as the trimming operations see it.
inline bool IsTrimSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
