#include "CodePage.h"

#include "Unicode.h"

namespace {

// The characters of bytes 0x80 to 0x9F in Windows-1252. The five bytes the code page leaves
// unassigned stand for the control characters of the same number, as the system maps them,
// so that any byte survives a trip through UTF-8.
const unsigned short kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

unsigned Cp1252CodePoint(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHigh1252[c - 0x80] : c; }

bool CodePageToUtf8(std::string_view text, unsigned nCodePage, std::string& out) {
    out.clear();
    if (nCodePage == kCodePage1252 || nCodePage == kCodePageLatin1) {
        out.reserve(text.size() + text.size() / 8);
        for (char c : text) {
            unsigned char b = static_cast<unsigned char>(c);
            AppendUtf8(out, nCodePage == kCodePage1252 ? Cp1252CodePoint(b) : b);
        }
        return true;
    }
    return SystemCodePageToUtf8(text, nCodePage, out);
}

int MbsCompare(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *p == *q) {
        ++p;
        ++q;
    }
    return static_cast<int>(*p) - static_cast<int>(*q);
}
