#include "Unicode.h"

#include "ByteWords.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct CCaseRun {
    unsigned nFirst;
    unsigned nLast;
    int nDelta;
    unsigned nStep;
};

#include "UnicodeCase.inc"

struct CFoldPair {
    unsigned nCodePoint;
    unsigned nBase;
};

#include "UnicodeFold.inc"

// The letters that stand for two, lower case.
const struct {
    unsigned nCodePoint;
    const char* pszLetters;
} kTwoLetters[] = {{0xDF, "ss"}, {0xE6, "ae"}, {0xFE, "th"}, {0x153, "oe"}, {0x1E9E, "ss"}};

bool IsBlank(unsigned nCodePoint) {
    return nCodePoint == ' ' || nCodePoint == '\t' || nCodePoint == '\r' || nCodePoint == '\n' || nCodePoint == 0xA0;
}

bool IsCombiningAccent(unsigned nCodePoint) { return nCodePoint >= 0x300 && nCodePoint <= 0x36F; }

template <size_t N>
unsigned MapCodePoint(const CCaseRun (&runs)[N], unsigned nCodePoint) {
    // The runs are sorted and do not overlap: the last one starting at or before the code point.
    const CCaseRun* pRun = std::upper_bound(std::begin(runs), std::end(runs), nCodePoint,
                                            [](unsigned n, const CCaseRun& run) { return n < run.nFirst; });
    if (pRun == std::begin(runs)) {
        return nCodePoint;
    }
    --pRun;
    if (nCodePoint > pRun->nLast || (nCodePoint - pRun->nFirst) % pRun->nStep != 0) {
        return nCodePoint;
    }
    return static_cast<unsigned>(static_cast<int>(nCodePoint) + pRun->nDelta);
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Where the run of ASCII that starts at nFrom ends: at the first byte from 0x80, or the end.
size_t AsciiRunEnd(std::string_view text, size_t nFrom) {
    size_t i = nFrom;
    for (; i + sizeof(uint64_t) <= text.size() && (EightBytesAt(text.data() + i) & kHighBits) == 0;
         i += sizeof(uint64_t)) {
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
    }
    return i;
}

// Appends a run of ASCII with the case of the 26 letters from chFirst on ('A' or 'a') turned,
// eight bytes at a time: a letter and its other case differ in the bit 0x20 alone.
void AppendAsciiCaseTurned(std::string& out, std::string_view run, char chFirst) {
    const size_t nOld = out.size();
    out.append(run.data(), run.size());
    char* p = &out[nOld];
    char* const pEnd = p + run.size();
    // Added to a byte below 0x80, these set its high bit from chFirst on, and past the last
    // letter on, without a carry into the next byte.
    const uint64_t nFromFirst = static_cast<uint64_t>(0x80 - chFirst) * kEachByte;
    const uint64_t nPastLast = static_cast<uint64_t>(0x80 - (chFirst + 26)) * kEachByte;
    for (; pEnd - p >= static_cast<std::ptrdiff_t>(sizeof(uint64_t)); p += sizeof(uint64_t)) {
        uint64_t nEight = EightBytesAt(p);
        const uint64_t nLetters = (nEight + nFromFirst) & ~(nEight + nPastLast) & kHighBits;
        nEight ^= nLetters >> 2;
        std::memcpy(p, &nEight, sizeof nEight);
    }
    for (; p != pEnd; ++p) {
        if (*p >= chFirst && *p < chFirst + 26) {
            *p = static_cast<char>(*p ^ 0x20);
        }
    }
}

// Maps every character of text through map into out; most text is ASCII, whose runs have the
// case of their 26 letters from chFirst on turned at once.
template <typename Map> void AppendMapped(std::string& out, std::string_view text, Map map, char chFirst) {
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size();) {
        size_t nRun = AsciiRunEnd(text, i);
        if (nRun > i) {
            AppendAsciiCaseTurned(out, text.substr(i, nRun - i), chFirst);
            i = nRun;
            continue;
        }
        size_t nStart = i;
        unsigned nCodePoint = DecodeUtf8(text, i);
        if (nCodePoint == kInvalidUtf8) {
            out.append(text.data() + nStart, i - nStart);
        } else {
            AppendUtf8(out, map(nCodePoint));
        }
    }
}

} // namespace

unsigned DecodeUtf8(std::string_view text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    size_t nLength = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (nLength == 0 || c > 0xF4 || i + nLength > text.size()) {
        ++i;
        return kInvalidUtf8;
    }
    unsigned nCodePoint = c & (0xFF >> (nLength + 1));
    for (size_t k = 1; k < nLength; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(next)) {
            ++i;
            return kInvalidUtf8;
        }
        nCodePoint = nCodePoint << 6 | (next & 0x3F);
    }
    static const unsigned kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (nCodePoint < kSmallest[nLength] || nCodePoint > 0x10FFFF || (nCodePoint >= 0xD800 && nCodePoint <= 0xDFFF)) {
        ++i;
        return kInvalidUtf8;
    }
    i += nLength;
    return nCodePoint;
}

void AppendUtf8(std::string& out, unsigned nCodePoint) {
    if (nCodePoint < 0x80) {
        out += static_cast<char>(nCodePoint);
    } else if (nCodePoint < 0x800) {
        out += static_cast<char>(0xC0 | nCodePoint >> 6);
        out += static_cast<char>(0x80 | (nCodePoint & 0x3F));
    } else if (nCodePoint < 0x10000) {
        out += static_cast<char>(0xE0 | nCodePoint >> 12);
        out += static_cast<char>(0x80 | (nCodePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (nCodePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | nCodePoint >> 18);
        out += static_cast<char>(0x80 | (nCodePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (nCodePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (nCodePoint & 0x3F));
    }
}

bool IsValidUtf8(std::string_view text) {
    auto isAscii = [&text](size_t nAt) { return (EightBytesAt(text.data() + nAt) & kHighBits) == 0; };
    // Most text is ASCII: eight bytes at a time while none has its high bit set. Text that ends
    // in eight ASCII bytes is looked at up to them, not byte by byte to its end; a character
    // begun before them and not ended there is found all the same.
    const size_t nEnd = text.size() >= sizeof(uint64_t) && isAscii(text.size() - sizeof(uint64_t))
                            ? text.size() - sizeof(uint64_t)
                            : text.size();
    for (size_t i = 0; i < nEnd;) {
        if (i + sizeof(uint64_t) <= text.size() && isAscii(i)) {
            i += sizeof(uint64_t);
        } else if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else if (DecodeUtf8(text, i) == kInvalidUtf8) {
            return false;
        }
    }
    return true;
}

unsigned LowerCodePoint(unsigned nCodePoint) { return MapCodePoint(kLowerRuns, nCodePoint); }
unsigned UpperCodePoint(unsigned nCodePoint) { return MapCodePoint(kUpperRuns, nCodePoint); }

void AppendLowerUtf8(std::string& out, std::string_view text) {
    AppendMapped(out, text, LowerCodePoint, 'A');
}

std::string LowerUtf8(std::string_view text) {
    std::string out;
    AppendLowerUtf8(out, text);
    return out;
}

std::string UpperUtf8(std::string_view text) {
    std::string out;
    AppendMapped(out, text, UpperCodePoint, 'a');
    return out;
}

std::string FoldForMatching(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool bBlank = false;
    for (size_t i = 0; i < text.size();) {
        size_t nStart = i;
        // Most names are ASCII, which needs no decoding, and whose folding is lower-casing A to Z.
        unsigned nCodePoint = static_cast<unsigned char>(text[i]);
        if (nCodePoint < 0x80) {
            ++i;
        } else {
            nCodePoint = DecodeUtf8(text, i);
        }
        if (nCodePoint == kInvalidUtf8) {
            out.append(text.data() + nStart, i - nStart);
            continue;
        }
        if (IsBlank(nCodePoint)) {
            bBlank = !out.empty();
            continue;
        }
        if (IsCombiningAccent(nCodePoint)) {
            continue;
        }
        if (bBlank) {
            out += ' ';
            bBlank = false;
        }
        nCodePoint = nCodePoint < 0x80
                         ? (nCodePoint >= 'A' && nCodePoint <= 'Z' ? nCodePoint + ('a' - 'A') : nCodePoint)
                         : LowerCodePoint(nCodePoint);
        if (nCodePoint < 0x80) {
            out += static_cast<char>(nCodePoint);
            continue;
        }
        auto pTwo = std::find_if(std::begin(kTwoLetters), std::end(kTwoLetters),
                                 [&](const auto& two) { return two.nCodePoint == nCodePoint; });
        if (pTwo != std::end(kTwoLetters)) {
            out += pTwo->pszLetters;
            continue;
        }
        const CFoldPair* pPair = std::lower_bound(std::begin(kFoldPairs), std::end(kFoldPairs), nCodePoint,
                                                  [](const CFoldPair& pair, unsigned n) { return pair.nCodePoint < n; });
        AppendUtf8(out, pPair != std::end(kFoldPairs) && pPair->nCodePoint == nCodePoint ? pPair->nBase : nCodePoint);
    }
    return out;
}
