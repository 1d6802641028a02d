#include "VCardEscape.h"

#include <algorithm>
#include <cstring>

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

namespace {

// Where the run from i that needs no unescaping ends: at a backslash, at the end, or when
// bStructured at a semicolon.
size_t RunEnd(std::string_view strValue, size_t i, bool bStructured) {
    if (!bStructured) {
        return std::min(strValue.find('\\', i), strValue.size()); // memchr
    }
    while (i < strValue.size() && strValue[i] != '\\' && strValue[i] != ';') {
        ++i;
    }
    return i;
}

// Appends the unescaped text of strValue from nFrom up to the first unescaped semicolon when
// bStructured, else to the end; returns where it stopped. Text without a backslash or a
// separator is copied in one piece.
size_t AppendUnescaped(std::string& strOut, std::string_view strValue, size_t nFrom, bool bStructured,
                       VCardVersion version) {
    size_t i = RunEnd(strValue, nFrom, bStructured);
    if (i == strValue.size() || strValue[i] != '\\') {
        strOut.append(strValue.data() + nFrom, i - nFrom); // as most values
        return i;
    }
    // No escape is shorter than what it stands for: the rest of the value makes room enough
    // at once, and the text is written into it through a pointer, the room left over cut off.
    const size_t nOld = strOut.size();
    strOut.resize(nOld + (strValue.size() - nFrom));
    char* pOut = &strOut[nOld];
    size_t nRun = nFrom;
    for (;;) {
        std::memcpy(pOut, strValue.data() + nRun, i - nRun);
        pOut += i - nRun;
        if (i == strValue.size() || strValue[i] != '\\') {
            break; // at the end, or at a separator
        }
        if (i + 1 == strValue.size()) { // a backslash at the end stays
            *pOut++ = '\\';
            ++i;
            break;
        }
        const char chNext = strValue[i + 1];
        if (chNext == 'n' || chNext == 'N') {
            *pOut++ = '\r';
            *pOut++ = '\n';
        } else if (chNext == '\\' || chNext == ';' || chNext == ',' || chNext == ':' ||
                   version != VCardVersion::v21) {
            *pOut++ = chNext;
        } else {
            *pOut++ = '\\';
            *pOut++ = chNext;
        }
        nRun = i + 2;
        i = RunEnd(strValue, nRun, bStructured);
    }
    strOut.resize(static_cast<size_t>(pOut - strOut.data()));
    return i;
}

} // namespace

void SplitValue(std::string_view strValue, bool bStructured, VCardVersion version,
                std::vector<std::string>& parts) {
    // Room for every part at once: a name has five and an address seven.
    parts.reserve(bStructured ? 1 + static_cast<size_t>(std::count(strValue.begin(), strValue.end(), ';'))
                              : 1);
    size_t nParts = 0;
    auto next = [&parts, &nParts]() -> std::string& {
        if (nParts == parts.size()) {
            parts.emplace_back();
        }
        std::string& strPart = parts[nParts++];
        strPart.clear();
        return strPart;
    };
    size_t i = AppendUnescaped(next(), strValue, 0, bStructured, version);
    while (i < strValue.size()) { // at a separator
        std::string& strPart = next();
        const size_t nFrom = i + 1;
        // An empty part, as most of an address's are, has nothing to unescape.
        const bool bEmpty = nFrom == strValue.size() || strValue[nFrom] == ';';
        i = bEmpty ? nFrom : AppendUnescaped(strPart, strValue, nFrom, bStructured, version);
    }
    parts.resize(nParts);
}

std::vector<std::string> SplitValue(std::string_view strValue, bool bStructured, VCardVersion version) {
    std::vector<std::string> parts;
    SplitValue(strValue, bStructured, version, parts);
    return parts;
}

std::string UnescapeValue(std::string_view strValue, VCardVersion version) {
    if (strValue.find('\\') == std::string_view::npos) {
        return std::string(strValue); // as most values: made once at its length
    }
    std::string str;
    AppendUnescaped(str, strValue, 0, false, version);
    return str;
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
