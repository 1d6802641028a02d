// Case mapping of the system's ANSI code page. For a single-byte code page the mapping is a
// per-byte table, built once from the system's own conversion; multibyte code pages go through
// the system call every time, since a byte's case there depends on its neighbours.
#include "CodePage.h"

#include <windows.h>

namespace {

struct CaseTables {
    bool bSingleByte = false;
    unsigned char lower[256];
    unsigned char upper[256];

    CaseTables() {
        CPINFO info = {};
        bSingleByte = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
        for (int c = 0; c < 256; ++c) {
            char l = static_cast<char>(c);
            char u = static_cast<char>(c);
            if (c != 0) {
                CharLowerBuffA(&l, 1);
                CharUpperBuffA(&u, 1);
            }
            lower[c] = static_cast<unsigned char>(l);
            upper[c] = static_cast<unsigned char>(u);
        }
    }
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

template <typename SystemCall>
void Map(const unsigned char* table, SystemCall call, char* pch, size_t nLength) {
    if (Tables().bSingleByte) {
        for (size_t i = 0; i < nLength; ++i) {
            pch[i] = static_cast<char>(table[static_cast<unsigned char>(pch[i])]);
        }
        return;
    }
    call(pch, static_cast<DWORD>(nLength));
}

} // namespace

void AnsiLowerBuffer(char* pch, size_t nLength) { Map(Tables().lower, CharLowerBuffA, pch, nLength); }
void AnsiUpperBuffer(char* pch, size_t nLength) { Map(Tables().upper, CharUpperBuffA, pch, nLength); }
const unsigned char* AnsiLowerTable() { return Tables().bSingleByte ? Tables().lower : nullptr; }
