#include "Base64.h"

bool DecodeBase64(std::string_view strIn, std::string& strOut) {
    strOut.clear();
    // Both systems are given the same canonical text, so that they agree on what they accept.
    std::string strText;
    strText.reserve(strIn.size() + 3);
    for (char c : strIn) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            strText += c;
        }
    }
    while (!strText.empty() && strText.back() == '=') {
        strText.pop_back();
    }
    if (strText.size() % 4 == 1) {
        return false; // six bits cannot end a byte
    }
    while (strText.size() % 4 != 0) {
        strText += '=';
    }
    return strText.empty() || SystemDecodeBase64(strText, strOut);
}
