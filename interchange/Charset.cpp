#include "Charset.h"

namespace {

// The characters of bytes 0x80 to 0x9F in Windows-1252. The five bytes the code page leaves
// unassigned stand for the control characters of the same number, as the system maps them,
// so that any byte survives a trip through UTF-8.
const unsigned short g_high1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const unsigned kReplacement = 0xFFFD;

void AppendUtf8(std::string& str, unsigned cp) {
    if (cp < 0x80) {
        str += static_cast<char>(cp);
    } else if (cp < 0x800) {
        str += static_cast<char>(0xC0 | (cp >> 6));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        str += static_cast<char>(0xE0 | (cp >> 12));
        str += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        str += static_cast<char>(0xF0 | (cp >> 18));
        str += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        str += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one character at i and advances past it; a malformed sequence gives kReplacement and
// advances one byte, so the next character is not swallowed.
unsigned NextCodePoint(const std::string& str, size_t& i) {
    unsigned char c = static_cast<unsigned char>(str[i]);
    int nMore = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (nMore == 0) {
        ++i;
        return c;
    }
    if (nMore < 0 || i + static_cast<size_t>(nMore) >= str.size()) {
        ++i;
        return kReplacement;
    }
    unsigned cp = c & (0x3Fu >> nMore);
    for (int k = 1; k <= nMore; ++k) {
        unsigned char t = static_cast<unsigned char>(str[i + static_cast<size_t>(k)]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (t & 0x3F);
    }
    static const unsigned s_minimum[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < s_minimum[nMore] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<size_t>(nMore) + 1;
    return cp;
}

int CodePointTo1252(unsigned cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int k = 0; k < 32; ++k) {
        if (g_high1252[k] == cp) {
            return 0x80 + k;
        }
    }
    return -1;
}

CString Upper(CString str) {
    str.MakeUpper();
    return str;
}

} // namespace

std::string Cp1252ToUtf8(const CString& strText) {
    std::string str;
    str.reserve(static_cast<size_t>(strText.GetLength()));
    for (int i = 0; i < strText.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(strText[i]);
        AppendUtf8(str, c >= 0x80 && c < 0xA0 ? g_high1252[c - 0x80] : c);
    }
    return str;
}

CString Utf8To1252(const std::string& strUtf8, int& nReplaced) {
    std::string str;
    str.reserve(strUtf8.size());
    for (size_t i = 0; i < strUtf8.size();) {
        int c = CodePointTo1252(NextCodePoint(strUtf8, i));
        if (c < 0) {
            ++nReplaced;
            c = '?';
        }
        str += static_cast<char>(c);
    }
    return CString(std::move(str));
}

bool IsUtf8(const std::string& strBytes) {
    for (size_t i = 0; i < strBytes.size();) {
        if (NextCodePoint(strBytes, i) == kReplacement) {
            return false;
        }
    }
    return true;
}

bool DecodeByteOrderMark(std::string& strData) {
    if (strData.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        strData.erase(0, 3);
        return true;
    }
    bool bLittle = strData.compare(0, 2, "\xFF\xFE") == 0;
    if (!bLittle && strData.compare(0, 2, "\xFE\xFF") != 0) {
        return false;
    }
    auto unit = [&strData, bLittle](size_t i) {
        unsigned a = static_cast<unsigned char>(strData[i]);
        unsigned b = static_cast<unsigned char>(strData[i + 1]);
        return bLittle ? (b << 8 | a) : (a << 8 | b);
    };
    std::string strOut;
    for (size_t i = 2; i + 1 < strData.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < strData.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = kReplacement; // half of a pair
        }
        AppendUtf8(strOut, cp);
    }
    strData.swap(strOut);
    return true;
}

bool CharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut) {
    CString strName = Upper(strCharset);
    strOut.clear();
    if (strName == "UTF-8" || strName == "UTF8" || strName == "US-ASCII" || strName == "ASCII") {
        strOut.reserve(strIn.size());
        bool bValid = true;
        for (size_t i = 0; i < strIn.size();) {
            unsigned cp = NextCodePoint(strIn, i);
            bValid = bValid && cp != kReplacement;
            AppendUtf8(strOut, cp);
        }
        return bValid;
    }
    if (strName == "WINDOWS-1252" || strName == "CP1252") {
        strOut = Cp1252ToUtf8(CString(strIn));
        return true;
    }
    if (strName == "ISO-8859-1" || strName == "ISO8859-1" || strName == "LATIN1" || strName == "ISO_8859-1") {
        for (unsigned char c : strIn) {
            AppendUtf8(strOut, c);
        }
        return true;
    }
    return SystemCharsetToUtf8(strName, strIn, strOut);
}
