#include "VCardProperty.h"

#include "Charset.h"
#include "QuotedPrintable.h"

#include "framework/core/Base64.h"
#include "framework/core/Unicode.h"

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

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// assign() goes through the general replacement, which weighs overlaps and sizes; a text
// cleared and appended to, in memory it already holds, costs a third of that.
void AssignText(std::string& strOut, std::string_view str) {
    strOut.clear();
    strOut.append(str.data(), str.size());
}

// True when a letter was lower case.
bool AssignUpper(std::string& strOut, std::string_view str) {
    AssignText(strOut, str);
    bool bChanged = false;
    for (char& c : strOut) {
        char chUpper = UpperChar(c);
        bChanged = bChanged || chUpper != c;
        c = chUpper;
    }
    return bChanged;
}

// Whether str upper-cased is pszUpper.
bool EqualsNoCase(std::string_view str, const char* pszUpper) {
    size_t i = 0;
    for (; i < str.size() && pszUpper[i]; ++i) {
        if (UpperChar(str[i]) != pszUpper[i]) {
            return false;
        }
    }
    return i == str.size() && !pszUpper[i];
}

std::string_view UnquotedView(std::string_view str) {
    return str.size() >= 2 && str.front() == '"' && str.back() == '"' ? str.substr(1, str.size() - 2) : str;
}

// Calls fn with each part of str between separators outside double quotes, as SplitOutsideQuotes
// gives them, without making them.
// The same for a text without quotes, where every separator separates and memchr finds them.
template <typename Fn> void ForEachPart(std::string_view str, char chSeparator, Fn fn) {
    size_t nPart = 0;
    for (size_t i = str.find(chSeparator); i != std::string_view::npos; i = str.find(chSeparator, nPart)) {
        fn(str.substr(nPart, i - nPart));
        nPart = i + 1;
    }
    fn(str.substr(nPart));
}

template <typename Fn> void ForEachOutsideQuotes(std::string_view str, char chSeparator, Fn fn) {
    if (str.find('"') == std::string_view::npos) {
        ForEachPart(str, chSeparator, fn); // as nearly always
        return;
    }
    bool bQuoted = false;
    size_t nPart = 0;
    for (size_t i = 0; i < str.size(); ++i) {
        if (str[i] == '"') {
            bQuoted = !bQuoted;
        } else if (str[i] == chSeparator && !bQuoted) {
            fn(str.substr(nPart, i - nPart));
            nPart = i + 1;
        }
    }
    fn(str.substr(nPart));
}

// A property name and what the reader tells it as; a view, so that comparing looks at lengths first.
struct CNameEntry {
    std::string_view strName;
    VCardName name;
};

// The bit of an upper-case type; every line with types asks, and most types have none.
unsigned TypeBitOf(std::string_view strType) {
    auto bitIf = [strType](std::string_view strName, unsigned nBit) {
        return strType == strName ? nBit : 0u;
    };
    switch (strType.size()) {
    case 3: return bitIf("FAX", typeFax);
    case 4:
        switch (strType[0]) {
        case 'H': return bitIf("HOME", typeHome);
        case 'W': return bitIf("WORK", typeWork);
        case 'C': return bitIf("CELL", typeCell);
        case 'P': return bitIf("PREF", typePref);
        default: return 0;
        }
    case 5: return bitIf("PAGER", typePager);
    default: return 0;
    }
}

// Appends the types of a list separated by chSeparator, as AddType would one by one, with one
// append: the list is copied, upper-cased, and its separators become the line feeds that end
// the types.
void AddTypes(CVCardProperty& prop, std::string_view strList, char chSeparator) {
    std::string& strTypes = prop.strTypes;
    const size_t nStart = strTypes.size();
    strTypes.append(strList.data(), strList.size());
    strTypes += '\n';
    char* pType = &strTypes[nStart];
    for (char* p = pType;; ++p) {
        const char c = *p;
        if (c == chSeparator || c == '\n') {
            *p = '\n';
            prop.nTypeBits |= TypeBitOf(std::string_view(pType, static_cast<size_t>(p - pType)));
            if (c == '\n') {
                break;
            }
            pType = p + 1;
        } else {
            *p = UpperChar(c);
        }
    }
}

void AddType(CVCardProperty& prop, std::string_view strType) { AddTypes(prop, strType, '\n'); }

} // namespace

VCardName VCardNameOf(const std::string& strName) {
    // Every line asks; the first letter leaves at most three names to compare.
    auto either = [&strName](std::initializer_list<CNameEntry> entries) {
        for (const CNameEntry& entry : entries) {
            if (strName == entry.strName) {
                return entry.name;
            }
        }
        return VCardName::other;
    };
    switch (strName.empty() ? '\0' : strName[0]) {
    case 'A': return either({{"ADR", VCardName::adr}});
    case 'B': return either({{"BEGIN", VCardName::begin}});
    case 'E': return either({{"EMAIL", VCardName::email}, {"END", VCardName::end}});
    case 'F': return either({{"FN", VCardName::fn}});
    case 'K': return either({{"KEY", VCardName::key}});
    case 'L': return either({{"LABEL", VCardName::label}, {"LOGO", VCardName::logo}});
    case 'N':
        return either({{"N", VCardName::n}, {"NOTE", VCardName::note}, {"NICKNAME", VCardName::nickname}});
    case 'O': return either({{"ORG", VCardName::org}});
    case 'P': return either({{"PHOTO", VCardName::photo}});
    case 'S': return either({{"SOUND", VCardName::sound}});
    case 'T': return either({{"TEL", VCardName::tel}, {"TITLE", VCardName::title}});
    case 'U': return either({{"URL", VCardName::url}});
    case 'V': return either({{"VERSION", VCardName::version}});
    default: return VCardName::other;
    }
}

std::vector<std::string_view> CVCardProperty::Types() const {
    std::vector<std::string_view> types;
    const std::string_view text(strTypes);
    for (size_t nStart = 0, nEnd; (nEnd = text.find('\n', nStart)) != std::string_view::npos;
         nStart = nEnd + 1) {
        types.push_back(text.substr(nStart, nEnd - nStart));
    }
    return types;
}

bool CVCardProperty::Has(const char* pszType) const {
    const std::vector<std::string_view> types = Types();
    return std::find(types.begin(), types.end(), pszType) != types.end();
}

bool CVCardProperty::IsBase64() const {
    return !strEncoding.empty() && (strEncoding == "BASE64" || strEncoding == "B");
}

bool CVCardProperty::IsBinary() const {
    const bool bMedia = name == VCardName::photo || name == VCardName::logo || name == VCardName::sound ||
                        name == VCardName::key;
    // Some writers encode a name or a note in base64 too: the properties the reader knows as
    // text are text however they are encoded.
    const bool bText = name != VCardName::other && !bMedia;
    return (IsBase64() && !bText) || (!strValueType.empty() && strValueType == "BINARY") ||
           (bMedia && strRaw.compare(0, 5, "data:") == 0);
}

std::string CVCardProperty::Group() const {
    std::string_view strName(strHead);
    strName = strName.substr(0, strName.find(';'));
    size_t nDot = strName.rfind('.');
    return nDot == std::string_view::npos ? std::string() : Upper(std::string(strName.substr(0, nDot)));
}

std::string CVCardProperty::Parameter(const char* pszUpperKey) const {
    std::string strFound;
    bool bFirst = true;
    ForEachOutsideQuotes(strHead, ';', [&](std::string_view strPart) {
        size_t nEquals = strPart.find('=');
        if (!bFirst && nEquals != std::string_view::npos && strFound.empty() &&
            EqualsNoCase(strPart.substr(0, nEquals), pszUpperKey)) {
            strFound = std::string(UnquotedView(strPart.substr(nEquals + 1)));
        }
        bFirst = false;
    });
    return strFound;
}

namespace {

// Where the head of a property line ends: its first colon outside quotes, or with unbalanced
// quotes the first colon of all (the best guess); npos for none. bHeadQuoted tells whether the
// head holds a quote at all.
size_t FindHeadEnd(std::string_view strLine, bool& bHeadQuoted) {
    // Most lines quote nothing before their first colon, which then ends the head; such a head
    // is split without looking for quotes again.
    size_t nColon = strLine.find(':');
    bHeadQuoted = nColon == std::string_view::npos || strLine.substr(0, nColon).find('"') != std::string_view::npos;
    if (!bHeadQuoted) {
        return nColon;
    }
    bool bQuoted = false;
    for (size_t i = 0; i < strLine.size(); ++i) {
        if (strLine[i] == '"') {
            bQuoted = !bQuoted;
        } else if (strLine[i] == ':' && !bQuoted) {
            return i;
        }
    }
    return strLine.find(':');
}

// The property's name from the head's first part, without its group.
void TakeName(CVCardProperty& prop, std::string_view strPart) {
    size_t nDot = strPart.rfind('.');
    std::string_view strWritten = nDot == std::string_view::npos ? strPart : strPart.substr(nDot + 1);
    if (strWritten == std::string_view(prop.strName)) {
        // A reader parsing card after card into the same properties meets the same names in the
        // same places: the name and what it is told as are those of the last line.
        prop.strWrittenName.clear();
        return;
    }
    if (AssignUpper(prop.strName, strWritten)) {
        AssignText(prop.strWrittenName, strWritten);
    } else {
        prop.strWrittenName.clear(); // as nearly always: written as it is named
    }
    prop.name = VCardNameOf(prop.strName);
}

// One parameter of the head: a type, an encoding, a charset, a value type or a preference.
void TakeParameter(CVCardProperty& prop, std::string_view strPart, bool bHeadQuoted) {
    size_t nEquals = strPart.find('=');
    if (nEquals == std::string_view::npos) {
        // Version 2.1 names types and encodings without a key.
        if (EqualsNoCase(strPart, "QUOTED-PRINTABLE") || EqualsNoCase(strPart, "BASE64") ||
            EqualsNoCase(strPart, "8BIT") || EqualsNoCase(strPart, "7BIT")) {
            AssignUpper(prop.strEncoding, strPart);
        } else {
            AddType(prop, strPart);
        }
        return;
    }
    std::string_view strKey = strPart.substr(0, nEquals);
    std::string_view strValue = strPart.substr(nEquals + 1);
    if (EqualsNoCase(strKey, "TYPE")) {
        auto addType = [&prop](std::string_view strType) { AddType(prop, strType); };
        if (!bHeadQuoted) {
            AddTypes(prop, strValue, ',');
        } else {
            // Some writers quote the whole list: TYPE="WORK,FAX".
            ForEachOutsideQuotes(strValue, ',', [&addType](std::string_view strQuoted) {
                ForEachOutsideQuotes(UnquotedView(strQuoted), ',', addType);
            });
        }
    } else if (EqualsNoCase(strKey, "ENCODING")) {
        AssignUpper(prop.strEncoding, UnquotedView(strValue));
    } else if (EqualsNoCase(strKey, "CHARSET")) {
        AssignText(prop.strCharset, UnquotedView(strValue));
    } else if (EqualsNoCase(strKey, "VALUE")) {
        AssignUpper(prop.strValueType, UnquotedView(strValue));
    } else if (EqualsNoCase(strKey, "PREF")) {
        prop.bPreferred = true;
    }
}

} // namespace

bool ParseProperty(std::string_view strLine, int nLine, CVCardProperty& prop) {
    bool bHeadQuoted = false;
    const size_t nColon = FindHeadEnd(strLine, bHeadQuoted);
    if (nColon == std::string_view::npos || nColon == 0) {
        return false;
    }
    // Cleared field by field rather than replaced, so that a reader parsing line after line
    // into the same property allocates nothing once its texts have grown.
    prop.strEncoding.clear();
    prop.strCharset.clear();
    prop.strValueType.clear();
    prop.strTypes.clear();
    prop.nTypeBits = 0;
    prop.bPreferred = false;
    prop.nLine = nLine;
    AssignText(prop.strRaw, strLine.substr(nColon + 1));
    AssignText(prop.strHead, strLine.substr(0, nColon));
    bool bName = true;
    auto part = [&prop, &bName, bHeadQuoted](std::string_view strPart) {
        if (bName) {
            bName = false;
            TakeName(prop, strPart);
        } else {
            TakeParameter(prop, strPart, bHeadQuoted);
        }
    };
    if (bHeadQuoted) {
        ForEachOutsideQuotes(strLine.substr(0, nColon), ';', part);
    } else {
        ForEachPart(strLine.substr(0, nColon), ';', part);
    }
    prop.bPreferred = prop.bPreferred || prop.HasType(typePref);
    return true;
}

std::string HeadForNewValue(const std::string& strLine, const CVCardProperty& prop) {
    std::string strHead =
        strLine.substr(0, strLine.size() - std::min(strLine.size(), prop.strRaw.size() + 1));
    std::vector<std::string> head = SplitOutsideQuotes(strHead, ';');
    std::string strOut = head[0];
    for (size_t k = 1; k < head.size(); ++k) {
        std::string strKey = Upper(head[k].substr(0, head[k].find('=')));
        // A parameter whose quote never closes would take the parameters written after it in.
        bool bUnbalanced = std::count(head[k].begin(), head[k].end(), '"') % 2 != 0;
        // The reader takes the mark anywhere in a head for quoted-printable's soft line breaks,
        // which a value written plainly does not have.
        bool bQuotedPrintableMark = Upper(head[k]).find("QUOTED-PRINTABLE") != std::string::npos;
        if (strKey != "ENCODING" && strKey != "CHARSET" && !IsBareEncoding(strKey) && !bUnbalanced &&
            !bQuotedPrintableMark) {
            strOut += ";" + head[k];
        }
    }
    return strOut;
}

std::string ValueBytes(const CVCardProperty& prop) {
    if (prop.strEncoding == "QUOTED-PRINTABLE") {
        return DecodeQuotedPrintable(prop.strRaw);
    }
    std::string strBytes;
    if (prop.IsBase64() && DecodeBase64(prop.strRaw, strBytes)) {
        return strBytes;
    }
    return prop.strRaw; // not base64 after all: read as it stands
}

std::string DecodeValue(const CVCardProperty& prop, bool& bKnownCharset) {
    std::string strBytes = ValueBytes(prop);
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
    // writers use, and otherwise the code page the writer used, as the file's text tells it.
    if (prop.pUndeclared && prop.strCharset.empty() && !IsValidUtf8(strBytes)) {
        prop.pUndeclared->NoteUse(prop.nLine);
        CharsetToUtf8(prop.pUndeclared->Get(), strBytes, strText);
        return strText;
    }
    return GuessedTextToUtf8(strBytes);
}

std::string_view DecodeValue(const CVCardProperty& prop, std::string& strBuffer, bool& bKnownCharset) {
    if (prop.strCharset.empty() && prop.strEncoding.empty() && IsValidUtf8(prop.strRaw)) {
        bKnownCharset = true;
        return prop.strRaw;
    }
    strBuffer = DecodeValue(prop, bKnownCharset);
    return strBuffer;
}
