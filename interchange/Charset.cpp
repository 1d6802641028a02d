#include "Charset.h"

#include "CharsetDetect.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <cstring>

namespace {

CString Upper(CString str) {
    str.MakeUpper();
    return str;
}

// The names by which files declare the double-byte sets, each read as the Windows code page
// that extends it, as Windows reads them: files that say "Shift_JIS" or "GB2312" are written
// by programs that use the code page, and glibc's SHIFT_JIS would read the backslash as a yen
// sign. Both builds then read them alike.
const char* WindowsCodePageName(const CString& strUpper) {
    struct Alias {
        const char* pszName;
        const char* pszCodePage;
    };
    static const Alias s_aliases[] = {
        {"SHIFT_JIS", "CP932"}, {"SHIFT-JIS", "CP932"},  {"SJIS", "CP932"},           {"WINDOWS-31J", "CP932"},
        {"MS_KANJI", "CP932"},  {"X-SJIS", "CP932"},     {"GBK", "CP936"},            {"GB2312", "CP936"},
        {"X-GBK", "CP936"},     {"EUC-CN", "CP936"},     {"BIG5", "CP950"},           {"BIG-5", "CP950"},
        {"EUC-KR", "CP949"},    {"UHC", "CP949"},        {"KS_C_5601-1987", "CP949"},
    };
    for (const Alias& alias : s_aliases) {
        if (strUpper == alias.pszName) {
            return alias.pszCodePage;
        }
    }
    return strUpper.GetString();
}

} // namespace

std::string GuessedTextToUtf8(const std::string& strBytes, const char** ppszCharset) {
    if (ppszCharset) {
        *ppszCharset = nullptr;
    }
    if (IsValidUtf8(strBytes)) {
        return strBytes;
    }
    const char* pszCharset = DetectCharset(strBytes);
    if (ppszCharset) {
        *ppszCharset = pszCharset;
    }
    std::string strText;
    CharsetToUtf8(pszCharset, strBytes, strText);
    return strText;
}

size_t Utf8MarkLength(const std::string& strData) {
    const char kMark[] = "\xEF\xBB\xBF";
    return strData.compare(0, sizeof kMark - 1, kMark) == 0 ? sizeof kMark - 1 : 0;
}

bool HasByteOrderMark(const std::string& strData) {
    return Utf8MarkLength(strData) > 0 || strData.compare(0, 2, "\xFF\xFE") == 0 ||
           strData.compare(0, 2, "\xFE\xFF") == 0;
}

bool DecodeByteOrderMark(std::string& strData) {
    if (!HasByteOrderMark(strData)) {
        return false;
    }
    if (size_t nMark = Utf8MarkLength(strData)) {
        strData.erase(0, nMark);
        return true;
    }
    strData = Utf16ToUtf8(strData, 2, strData.compare(0, 2, "\xFF\xFE") == 0);
    return true;
}

std::string Utf16ToUtf8(const std::string& strData, size_t nStart, bool bLittleEndian) {
    auto unit = [&strData, bLittleEndian](size_t i) {
        unsigned a = static_cast<unsigned char>(strData[i]);
        unsigned b = static_cast<unsigned char>(strData[i + 1]);
        return bLittleEndian ? (b << 8 | a) : (a << 8 | b);
    };
    std::string strOut;
    strOut.reserve(strData.size() / 2);
    for (size_t i = nStart; i + 1 < strData.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < strData.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD; // half of a pair
        }
        AppendUtf8(strOut, cp);
    }
    return strOut;
}

bool FindsUtf16Word(const std::string& strData, const char* pszAscii, bool& bLittleEndian) {
    size_t nLength = std::strlen(pszAscii);
    // The letters stand at even offsets with a zero after each in little-endian order, at odd
    // offsets with a zero before each in big-endian order.
    for (size_t i = 0; i + 2 * nLength <= strData.size(); ++i) {
        bool bLittle = i % 2 == 0;
        size_t k = 0;
        for (; k < nLength; ++k) {
            char c = strData[i + 2 * k];
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            if (c != pszAscii[k] || strData[bLittle ? i + 2 * k + 1 : i + 2 * k - 1] != '\0') {
                break;
            }
        }
        if (k == nLength) {
            bLittleEndian = bLittle;
            return true;
        }
    }
    return false;
}

bool FirstLineLooksUtf16(const std::string& strData, bool& bLittleEndian) {
    // Long enough for any header row a program writes, short enough to stay cheap.
    const size_t kMaxLine = 8192;
    size_t nZeros[2] = {};
    size_t nPairs = 0;
    for (size_t i = 0; i + 1 < strData.size() && i < kMaxLine; i += 2, ++nPairs) {
        bool bZeroFirst = strData[i] == '\0';
        bool bZeroSecond = strData[i + 1] == '\0';
        nZeros[0] += bZeroFirst;
        nZeros[1] += bZeroSecond;
        if ((strData[i] == '\n' && bZeroSecond) || (bZeroFirst && strData[i + 1] == '\n')) {
            break;
        }
    }
    for (int nSide : {0, 1}) {
        if (nPairs >= 2 && nZeros[nSide] * 2 >= nPairs && nZeros[1 - nSide] == 0) {
            bLittleEndian = nSide == 1;
            return true;
        }
    }
    return false;
}

bool CharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut) {
    CString strName = Upper(strCharset);
    strOut.clear();
    if (strName == "UTF-8" || strName == "UTF8" || strName == "US-ASCII" || strName == "ASCII") {
        strOut.reserve(strIn.size());
        bool bValid = true;
        for (size_t i = 0; i < strIn.size();) {
            size_t nStart = i;
            if (DecodeUtf8(strIn, i) == kInvalidUtf8) {
                bValid = false;
                strOut += kReplacementCharacter;
            } else {
                strOut.append(strIn, nStart, i - nStart);
            }
        }
        return bValid;
    }
    if (strName == "WINDOWS-1252" || strName == "CP1252") {
        return CodePageToUtf8(strIn, kCodePage1252, strOut);
    }
    if (strName == "ISO-8859-1" || strName == "ISO8859-1" || strName == "LATIN1" || strName == "ISO_8859-1") {
        return CodePageToUtf8(strIn, kCodePageLatin1, strOut);
    }
    if (SystemCharsetToUtf8(WindowsCodePageName(strName), strIn, strOut)) {
        return true;
    }
    if (strName == "GB18030" && strOut.empty() && !strIn.empty()) {
        // A system without GB18030 (Wine has no code page 54936) reads it as GBK, which holds
        // all but its rarest characters.
        return SystemCharsetToUtf8("CP936", strIn, strOut);
    }
    return false;
}

const char* CUndeclaredCharset::Get() const {
    std::call_once(m_detected, [this]() { m_pszCharset = DetectCharset(m_strText); });
    return m_pszCharset;
}

void CUndeclaredCharset::NoteUse(int nLine) const {
    int nFirst = m_nFirstUse.load();
    while ((nFirst == 0 || nLine < nFirst) && !m_nFirstUse.compare_exchange_weak(nFirst, nLine)) {
    }
}
