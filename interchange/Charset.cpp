#include "Charset.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

namespace {

CString Upper(CString str) {
    str.MakeUpper();
    return str;
}

} // namespace

std::string GuessedTextToUtf8(const std::string& strBytes) {
    std::string strText;
    if (IsValidUtf8(strBytes)) {
        return strBytes;
    }
    CodePageToUtf8(strBytes, kCodePage1252, strText);
    return strText;
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
            cp = 0xFFFD; // half of a pair
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
    return SystemCharsetToUtf8(strName, strIn, strOut);
}
