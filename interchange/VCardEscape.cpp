#include "VCardEscape.h"

std::string EscapeValue(const std::string& str, VCardVersion version) {
    std::string strOut;
    strOut.reserve(str.size() + 8);
    for (size_t i = 0; i < str.size(); ++i) {
        char c = str[i];
        if (c == '\\' || c == ';' || (c == ',' && version != VCardVersion::v21)) {
            strOut += '\\';
            strOut += c;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < str.size() && str[i + 1] == '\n') {
                ++i;
            }
            strOut += version == VCardVersion::v21 ? "\r\n" : "\\n";
        } else {
            strOut += c;
        }
    }
    return strOut;
}

std::vector<std::string> SplitValue(const std::string& strValue, bool bStructured, VCardVersion version) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < strValue.size(); ++i) {
        char c = strValue[i];
        if (c == '\\' && i + 1 < strValue.size()) {
            char chNext = strValue[++i];
            if (chNext == 'n' || chNext == 'N') {
                parts.back() += "\r\n";
            } else if (chNext == '\\' || chNext == ';' || chNext == ',' || chNext == ':') {
                parts.back() += chNext;
            } else if (version == VCardVersion::v21) {
                parts.back() += c;
                parts.back() += chNext;
            } else {
                parts.back() += chNext;
            }
        } else if (c == ';' && bStructured) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::vector<std::string> SplitEscapedComponents(const std::string& strValue) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < strValue.size(); ++i) {
        if (strValue[i] == '\\' && i + 1 < strValue.size()) {
            parts.back() += strValue[i];
            parts.back() += strValue[++i];
        } else if (strValue[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back() += strValue[i];
        }
    }
    return parts;
}
