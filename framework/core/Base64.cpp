#include "Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char ch) {
    if (ch >= 'A' && ch <= 'Z') return ch - 'A';
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 26;
    if (ch >= '0' && ch <= '9') return ch - '0' + 52;
    if (ch == '+' || ch == '-') return 62; // '-' and '_' from the URL-safe alphabet some servers use
    if (ch == '/' || ch == '_') return 63;
    return -1;
}

} // namespace

std::string EncodeBase64(std::string_view strBytes) {
    std::string strText;
    strText.reserve((strBytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < strBytes.size(); i += 3) {
        const size_t nLeft = strBytes.size() - i;
        unsigned nGroup = static_cast<unsigned char>(strBytes[i]) << 16;
        nGroup |= nLeft > 1 ? static_cast<unsigned char>(strBytes[i + 1]) << 8 : 0;
        nGroup |= nLeft > 2 ? static_cast<unsigned char>(strBytes[i + 2]) : 0;
        strText += kAlphabet[(nGroup >> 18) & 63];
        strText += kAlphabet[(nGroup >> 12) & 63];
        strText += nLeft > 1 ? kAlphabet[(nGroup >> 6) & 63] : '=';
        strText += nLeft > 2 ? kAlphabet[nGroup & 63] : '=';
    }
    return strText;
}

bool DecodeBase64(std::string_view strText, std::string& strBytes) {
    strBytes.clear();
    strBytes.reserve(strText.size() / 4 * 3);
    unsigned nGroup = 0;
    int nSextets = 0;
    bool bPadded = false;
    for (char ch : strText) {
        if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') {
            continue;
        }
        if (ch == '=') {
            bPadded = true;
            continue;
        }
        int nSextet = SextetOf(ch);
        if (nSextet < 0 || bPadded) {
            return false;
        }
        nGroup = (nGroup << 6) | static_cast<unsigned>(nSextet);
        if (++nSextets == 4) {
            strBytes += static_cast<char>((nGroup >> 16) & 0xFF);
            strBytes += static_cast<char>((nGroup >> 8) & 0xFF);
            strBytes += static_cast<char>(nGroup & 0xFF);
            nGroup = 0;
            nSextets = 0;
        }
    }
    if (nSextets == 1) {
        return false;
    }
    if (nSextets >= 2) {
        nGroup <<= 6 * (4 - nSextets);
        strBytes += static_cast<char>((nGroup >> 16) & 0xFF);
        if (nSextets == 3) {
            strBytes += static_cast<char>((nGroup >> 8) & 0xFF);
        }
    }
    return true;
}
