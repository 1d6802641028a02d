#include "VCardProperty.h"

#include "Charset.h"
#include "QuotedPrintable.h"

#include <algorithm>

namespace {

std::string Upper(std::string str) {
    for (char& c : str) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return str;
}

std::string Unquote(const std::string& str) {
    if (str.size() >= 2 && str.front() == '"' && str.back() == '"') {
        return str.substr(1, str.size() - 2);
    }
    return str;
}

// Splits at every separator outside double quotes.
std::vector<std::string> SplitOutsideQuotes(const std::string& str, char chSeparator) {
    std::vector<std::string> parts(1);
    bool bQuoted = false;
    for (char c : str) {
        if (c == '"') {
            bQuoted = !bQuoted;
        }
        if (c == chSeparator && !bQuoted) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool IsBareEncoding(const std::string& strKey) {
    return strKey == "QUOTED-PRINTABLE" || strKey == "BASE64" || strKey == "8BIT" || strKey == "7BIT";
}

} // namespace

bool CVCardProperty::Has(const char* pszType) const {
    return std::find(types.begin(), types.end(), pszType) != types.end();
}

bool CVCardProperty::IsBinary() const {
    return strEncoding == "BASE64" || strEncoding == "B" || strValueType == "BINARY" ||
           ((strName == "PHOTO" || strName == "LOGO" || strName == "SOUND" || strName == "KEY") &&
            strRaw.compare(0, 5, "data:") == 0);
}

bool ParseProperty(const std::string& strLine, int nLine, CVCardProperty& prop) {
    size_t nColon = std::string::npos;
    bool bQuoted = false;
    for (size_t i = 0; i < strLine.size() && nColon == std::string::npos; ++i) {
        if (strLine[i] == '"') {
            bQuoted = !bQuoted;
        } else if (strLine[i] == ':' && !bQuoted) {
            nColon = i;
        }
    }
    if (nColon == std::string::npos) {
        nColon = strLine.find(':'); // unbalanced quotes: the first colon is the best guess
    }
    if (nColon == std::string::npos || nColon == 0) {
        return false;
    }
    prop = CVCardProperty();
    prop.nLine = nLine;
    prop.strRaw = strLine.substr(nColon + 1);
    std::vector<std::string> head = SplitOutsideQuotes(strLine.substr(0, nColon), ';');
    std::string strName = head[0];
    size_t nDot = strName.rfind('.');
    prop.strWrittenName = nDot == std::string::npos ? strName : strName.substr(nDot + 1);
    prop.strName = Upper(prop.strWrittenName);
    for (size_t k = 1; k < head.size(); ++k) {
        size_t nEquals = head[k].find('=');
        std::string strKey = Upper(head[k].substr(0, nEquals));
        std::string strValue = nEquals == std::string::npos ? std::string() : head[k].substr(nEquals + 1);
        if (nEquals == std::string::npos) {
            // Version 2.1 names types and encodings without a key.
            if (IsBareEncoding(strKey)) {
                prop.strEncoding = strKey;
            } else {
                prop.types.push_back(strKey);
            }
        } else if (strKey == "TYPE") {
            // Some writers quote the whole list: TYPE="WORK,FAX".
            for (const std::string& strQuoted : SplitOutsideQuotes(strValue, ',')) {
                for (const std::string& strType : SplitOutsideQuotes(Unquote(strQuoted), ',')) {
                    prop.types.push_back(Upper(strType));
                }
            }
        } else if (strKey == "ENCODING") {
            prop.strEncoding = Upper(Unquote(strValue));
        } else if (strKey == "CHARSET") {
            prop.strCharset = Unquote(strValue);
        } else if (strKey == "VALUE") {
            prop.strValueType = Upper(Unquote(strValue));
        } else if (strKey == "PREF") {
            prop.bPreferred = true;
        }
    }
    prop.bPreferred = prop.bPreferred || prop.Has("PREF");
    return true;
}

std::string HeadForNewValue(const std::string& strLine, const CVCardProperty& prop) {
    std::string strHead =
        strLine.substr(0, strLine.size() - std::min(strLine.size(), prop.strRaw.size() + 1));
    std::vector<std::string> head = SplitOutsideQuotes(strHead, ';');
    std::string strOut = head[0];
    for (size_t k = 1; k < head.size(); ++k) {
        std::string strKey = Upper(head[k].substr(0, head[k].find('=')));
        if (strKey != "ENCODING" && strKey != "CHARSET" && !IsBareEncoding(strKey)) {
            strOut += ";" + head[k];
        }
    }
    return strOut;
}

std::string DecodeValue(const CVCardProperty& prop, bool& bKnownCharset) {
    std::string strBytes =
        prop.strEncoding == "QUOTED-PRINTABLE" ? DecodeQuotedPrintable(prop.strRaw) : prop.strRaw;
    std::string strText;
    bKnownCharset = true;
    if (!prop.strCharset.empty()) {
        if (CharsetToUtf8(CString(prop.strCharset.c_str()), strBytes, strText)) {
            return strText;
        }
        bKnownCharset = !strText.empty() || strBytes.empty();
        if (bKnownCharset) {
            return strText; // a known set with bytes outside it: those are marked
        }
    }
    // Without a usable character set: UTF-8 when the bytes are UTF-8, which is what most
    // writers use, and otherwise the code page older writers used.
    return GuessedTextToUtf8(strBytes);
}
