// Case mapping of Windows-1252, the code page the tests pin on Windows.
#include "CodePage.h"

namespace {

struct CaseTables {
    unsigned char lower[256];
    unsigned char upper[256];

    CaseTables() {
        for (int c = 0; c < 256; ++c) {
            lower[c] = upper[c] = static_cast<unsigned char>(c);
        }
        auto pair = [this](int capital, int small) {
            lower[capital] = static_cast<unsigned char>(small);
            upper[small] = static_cast<unsigned char>(capital);
        };
        for (int c = 'A'; c <= 'Z'; ++c) {
            pair(c, c + 32);
        }
        pair(0x8A, 0x9A); // S with caron
        pair(0x8C, 0x9C); // OE ligature
        pair(0x8E, 0x9E); // Z with caron
        pair(0x9F, 0xFF); // Y with diaeresis
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c != 0xD7) { // the multiplication sign has no lower case
                pair(c, c + 0x20);
            }
        }
    }
};

const CaseTables g_tables;

void Map(const unsigned char* table, char* pch, size_t nLength) {
    for (size_t i = 0; i < nLength; ++i) {
        pch[i] = static_cast<char>(table[static_cast<unsigned char>(pch[i])]);
    }
}

} // namespace

void AnsiLowerBuffer(char* pch, size_t nLength) { Map(g_tables.lower, pch, nLength); }
void AnsiUpperBuffer(char* pch, size_t nLength) { Map(g_tables.upper, pch, nLength); }
const unsigned char* AnsiLowerTable() { return g_tables.lower; }
