#include "QuotedPrintable.h"

namespace {

const char g_hex[] = "0123456789ABCDEF";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

void AppendQuotedPrintable(std::string& strOut, const std::string& strStart, const std::string& strValue,
                           size_t nMaxLine) {
    std::string strLine = strStart;
    for (size_t i = 0; i < strValue.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(strValue[i]);
        std::string strCode;
        // A blank at the end of a line may be stripped in transit, so the last one is coded.
        bool bLastOfValue = i + 1 == strValue.size();
        if (c > 0x20 && c < 0x7F && c != '=') {
            strCode = static_cast<char>(c);
        } else if (c == ' ' && !bLastOfValue) {
            strCode = " ";
        } else {
            strCode = {'=', g_hex[c >> 4], g_hex[c & 15]};
        }
        if (strLine.size() + strCode.size() + 1 > nMaxLine) { // room for the "=" of a soft break
            strOut += strLine + "=\r\n";
            strLine.clear();
            // Readers take a line "END:VCARD" after a soft break for the card's end (some writers
            // leave a soft break there), so a value's text never starts a line with its E.
            if (c == 'E' || c == 'e') {
                strCode = {'=', g_hex[c >> 4], g_hex[c & 15]};
            }
        }
        strLine += strCode;
    }
    strOut += strLine + "\r\n";
}

std::string DecodeQuotedPrintable(const std::string& str) {
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        int nHigh = str[i] == '=' && i + 2 < str.size() ? HexDigit(str[i + 1]) : -1;
        int nLow = nHigh >= 0 ? HexDigit(str[i + 2]) : -1;
        if (nLow >= 0) {
            strOut += static_cast<char>(nHigh * 16 + nLow);
            i += 2;
        } else {
            strOut += str[i];
        }
    }
    return strOut;
}
