#include "VCardValues.h"

#include "Charset.h"

#include <algorithm>
#include <cstring>

namespace {

std::string Lower(std::string_view str) {
    std::string strOut(str);
    for (char& c : strOut) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return strOut;
}

std::string Upper(std::string_view str) {
    std::string strOut(str);
    for (char& c : strOut) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return strOut;
}

// Properties of other programs that hold a value of a kind the contact has, and the type they
// give it. The first of a kind and type is the one written back (from 3.0 on; 4.0 writes its own
// where it has one).
struct CNamedValue {
    const char* pszProperty;
    EValueKind kind;
    const char* pszType;
};

const CNamedValue g_named[] = {
    {"BDAY", EValueKind::date, "birthday"},
    {"X-ANNIVERSARY", EValueKind::date, "anniversary"},
    {"ANNIVERSARY", EValueKind::date, "anniversary"},
    {"X-MS-ANNIVERSARY", EValueKind::date, "anniversary"},
    {"X-EVOLUTION-ANNIVERSARY", EValueKind::date, "anniversary"},
    {"X-ABDATE", EValueKind::date, ""},
    {"X-SPOUSE", EValueKind::related, "spouse"},
    {"X-MANAGER", EValueKind::related, "manager"},
    {"X-ASSISTANT", EValueKind::related, "assistant"},
    {"X-EVOLUTION-SPOUSE", EValueKind::related, "spouse"},
    {"X-EVOLUTION-MANAGER", EValueKind::related, "manager"},
    {"X-EVOLUTION-ASSISTANT", EValueKind::related, "assistant"},
    {"X-ABRELATEDNAMES", EValueKind::related, ""},
    {"X-AIM", EValueKind::messaging, "aim"},
    {"X-ICQ", EValueKind::messaging, "icq"},
    {"X-JABBER", EValueKind::messaging, "jabber"},
    {"X-MSN", EValueKind::messaging, "msn"},
    {"X-YAHOO", EValueKind::messaging, "yahoo"},
    {"X-SKYPE", EValueKind::messaging, "skype"},
    {"X-GOOGLE-TALK", EValueKind::messaging, "googletalk"},
    {"X-GADUGADU", EValueKind::messaging, "gadugadu"},
    {"X-QQ", EValueKind::messaging, "qq"},
    {"X-SIP", EValueKind::messaging, "sip"},
    {"X-TWITTER", EValueKind::messaging, "twitter"},
    {"X-TOVANO-CUSTOM", EValueKind::custom, ""},
};

const CNamedValue* NamedValue(const std::string& strProperty) {
    for (const CNamedValue& named : g_named) {
        if (strProperty == named.pszProperty) {
            return &named;
        }
    }
    return nullptr;
}

// The property another program's value of this kind and type is written as, from 3.0 on.
const char* NamedProperty(EValueKind kind, const std::string& strType) {
    for (const CNamedValue& named : g_named) {
        if (named.kind == kind && strType == named.pszType) {
            return named.pszProperty;
        }
    }
    return nullptr;
}

bool AllDigits(std::string_view str) {
    for (char c : str) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !str.empty();
}

// Whether the text starts with a URI scheme ("xmpp:", "urn:").
bool HasScheme(const std::string& str) {
    size_t nColon = str.find(':');
    if (nColon == std::string::npos || nColon == 0) {
        return false;
    }
    for (size_t i = 0; i < nColon; ++i) {
        char c = str[i];
        bool bLetter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!bLetter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) {
            return false;
        }
    }
    return true;
}

// Whether a type is a word a card can carry as it is: letters, digits and hyphens. Any other
// sign would end the type or the parameters ("c=x" in 2.1 is a parameter of its own).
bool IsTypeWord(std::string_view str) {
    for (char c : str) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) {
            return false;
        }
    }
    return !str.empty();
}

// The types of a typed value as a version writes them: "HOME,FAX" from 3.0, "home,fax" in 4.0.
std::string TypesAsWritten(const std::string& strTypes, VCardVersion version, bool bEmail) {
    std::string strOut;
    size_t nStart = 0;
    while (nStart <= strTypes.size() && !strTypes.empty()) {
        size_t nEnd = strTypes.find(',', nStart);
        std::string strType = strTypes.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (strType == "mobile") {
            strType = "cell";
        }
        if (IsTypeWord(strType)) {
            strOut += (strOut.empty() ? "" : ",") + (version == VCardVersion::v40 ? strType : Upper(strType));
        }
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }
    if (bEmail && version != VCardVersion::v40) {
        strOut = "INTERNET" + std::string(strOut.empty() ? "" : ",") + strOut;
    }
    return strOut;
}

// "TEL;TYPE=HOME,FAX", or in 2.1 "TEL;HOME;FAX".
std::string TypedHead(const char* pszProperty, const std::string& strTypes, VCardVersion version) {
    if (strTypes.empty()) {
        return pszProperty;
    }
    if (version != VCardVersion::v21) {
        return std::string(pszProperty) + ";TYPE=" + strTypes;
    }
    std::string strHead = std::string(pszProperty) + ";" + strTypes;
    for (char& c : strHead) {
        c = c == ',' ? ';' : c;
    }
    return strHead;
}

// A date as the version writes it: extended ("1980-01-31", "--01-31") until 3.0, basic
// ("19800131", "--0131") in 4.0, which allows no other.
std::string DateAsWritten(const std::string& strDate, VCardVersion version) {
    if (version != VCardVersion::v40) {
        return strDate;
    }
    std::string strOut;
    for (size_t i = 0; i < strDate.size(); ++i) {
        if (strDate[i] != '-' || i < 2) {
            strOut += strDate[i];
        }
    }
    return strOut;
}

// A parameter value, quoted where it holds what a parameter cannot hold bare.
std::string ParameterValue(const std::string& str) {
    return str.find_first_of(";:,") == std::string::npos ? str : "\"" + str + "\"";
}

std::string Escaped(const CString& strStored, VCardVersion version) {
    return EscapeValue(DisplayTextOf(strStored).GetStdString(), version);
}

// The line of one value that has one; false for the kinds that share a line and a value with
// nothing to write.
bool ValueLine(const CContactValue& value, VCardVersion version, CVCardValueLine& line) {
    const std::string strType = value.type.GetStdString();
    switch (value.kind) {
    case EValueKind::phone:
        line.strHead = TypedHead("TEL", TypesAsWritten(strType, version, false), version);
        break;
    case EValueKind::email:
        line.strHead = TypedHead("EMAIL", TypesAsWritten(strType, version, true), version);
        break;
    case EValueKind::web: line.strHead = TypedHead("URL", TypesAsWritten(strType, version, false), version); break;
    case EValueKind::address: {
        line.strHead = TypedHead("ADR", TypesAsWritten(strType, version, false), version);
        value.ForEachAddressPart([&](int nPart, std::string_view part) {
            line.strValue += (nPart == 0 ? "" : ";") +
                             Escaped(CString(std::string(part)), version);
        });
        return true;
    }
    case EValueKind::messaging: {
        const std::string strText = DisplayTextOf(value.text).GetStdString();
        const char* pszNamed = NamedProperty(EValueKind::messaging, Lower(strType));
        if (pszNamed && !HasScheme(strText)) {
            line.strHead = pszNamed;
        } else {
            line.strHead = "IMPP" + (strType.empty() ? std::string() : ";X-SERVICE-TYPE=" + ParameterValue(strType));
        }
        break;
    }
    case EValueKind::date: {
        const char* pszNamed = NamedProperty(EValueKind::date, strType);
        line.strHead = version == VCardVersion::v40 && strType == "anniversary" ? "ANNIVERSARY"
                       : pszNamed                                                ? pszNamed
                                                                                 : "X-ABDATE";
        line.strValue = DateAsWritten(value.text.GetStdString(), version);
        return true;
    }
    case EValueKind::related: {
        const std::string strText = DisplayTextOf(value.text).GetStdString();
        // Before 4.0 the relations other programs name have properties of their own; the others
        // go out as 4.0's RELATED, which readers of any version keep.
        const char* pszNamed = version == VCardVersion::v40 ? nullptr : NamedProperty(EValueKind::related, strType);
        if (pszNamed) {
            line.strHead = pszNamed;
        } else if (strType.empty() && version != VCardVersion::v40) {
            line.strHead = "X-ABRELATEDNAMES";
        } else {
            line.strHead = "RELATED" + (strType.empty() ? std::string() : ";TYPE=" + ParameterValue(strType)) +
                           (HasScheme(strText) ? "" : ";VALUE=text");
        }
        break;
    }
    case EValueKind::custom: line.strHead = "X-TOVANO-CUSTOM"; break;
    case EValueKind::cardProperty:
        line.bWhole = true;
        line.strValue = DisplayTextOf(value.text).GetStdString();
        return !line.strValue.empty();
    default: return false; // name parts, departments, groups and photos have lines of their own
    }
    line.strValue = Escaped(value.text, version);
    return true;
}

// Whether a type a value keeps would say nothing: PREF, and the defaults.
bool IsDefaultType(std::string_view strType, bool bEmail) {
    return strType == "PREF" || strType == "VOICE" || (bEmail && strType == "INTERNET") || strType == "X-INTERNET";
}

} // namespace

bool IsCardFrame(const CVCardProperty& prop) {
    return prop.name == VCardName::version || prop.strName == "PRODID" || prop.strName == "REV";
}

std::string ValueTypesOf(const CVCardProperty& prop) {
    std::string strTypes;
    const bool bEmail = prop.name == VCardName::email;
    for (std::string_view type : prop.Types()) {
        if (IsDefaultType(type, bEmail) || !IsTypeWord(type)) {
            continue;
        }
        std::string strType = type == "CELL" ? std::string("mobile") : Lower(type);
        // "TYPE=HOME;TYPE=HOME" is one type.
        if (("," + strTypes + ",").find("," + strType + ",") == std::string::npos) {
            strTypes += (strTypes.empty() ? "" : ",") + strType;
        }
    }
    return strTypes;
}

bool ParseCardDate(std::string_view strText, const std::string& strOmittedYear, std::string& strDate) {
    std::string_view str = strText.substr(0, strText.find('T'));
    while (!str.empty() && str.back() == ' ') {
        str.remove_suffix(1);
    }
    std::string_view strYear, strMonth, strDay;
    if (str.size() == 8 && AllDigits(str)) {
        strYear = str.substr(0, 4), strMonth = str.substr(4, 2), strDay = str.substr(6, 2);
    } else if (str.size() == 10 && str[4] == '-' && str[7] == '-' && AllDigits(str.substr(0, 4))) {
        strYear = str.substr(0, 4), strMonth = str.substr(5, 2), strDay = str.substr(8, 2);
    } else if (str.size() == 6 && str.substr(0, 2) == "--") {
        strMonth = str.substr(2, 2), strDay = str.substr(4, 2);
    } else if (str.size() == 7 && str.substr(0, 2) == "--" && str[4] == '-') {
        strMonth = str.substr(2, 2), strDay = str.substr(5, 2);
    } else {
        return false;
    }
    if (!AllDigits(strMonth) || !AllDigits(strDay)) {
        return false;
    }
    int nMonth = (strMonth[0] - '0') * 10 + (strMonth[1] - '0');
    int nDay = (strDay[0] - '0') * 10 + (strDay[1] - '0');
    static const int s_monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > s_monthDays[nMonth - 1]) {
        return false;
    }
    if (!strYear.empty() && strYear == strOmittedYear) {
        strYear = std::string_view();
    }
    strDate = (strYear.empty() ? std::string("-") : std::string(strYear)) + "-" + std::string(strMonth) + "-" +
              std::string(strDay);
    return true;
}

namespace {

// The text of an address's LABEL parameter (vCard 4.0), its line breaks written as "\n" or, as
// parameters escape, "^n"; "^^" and "^'" stand for a caret and a double quote.
std::string AddressLabelOf(const CVCardProperty& prop, VCardVersion version) {
    const std::string strParameter = prop.Parameter("LABEL");
    std::string strEscaped;
    for (size_t i = 0; i < strParameter.size(); ++i) {
        const char chNext = i + 1 < strParameter.size() ? strParameter[i + 1] : '\0';
        if (strParameter[i] == '^' && (chNext == 'n' || chNext == 'N' || chNext == '^' || chNext == '\'')) {
            strEscaped += chNext == '^' ? "^" : chNext == '\'' ? "\"" : "\\n";
            ++i;
        } else {
            strEscaped += strParameter[i];
        }
    }
    return GuessedTextToUtf8(UnescapeValue(strEscaped, version));
}

} // namespace

bool ValueOfProperty(const CVCardProperty& prop, std::string_view strDecoded, VCardVersion version,
                     CReadValue& value) {
    value = CReadValue();
    switch (prop.name) {
    case VCardName::tel:
    case VCardName::email:
    case VCardName::url:
        value.kind = prop.name == VCardName::tel     ? EValueKind::phone
                     : prop.name == VCardName::email ? EValueKind::email
                                                     : EValueKind::web;
        value.strType = ValueTypesOf(prop);
        value.strText = UnescapeValue(strDecoded, version);
        if (value.kind == EValueKind::phone && value.strText.compare(0, 4, "tel:") == 0) {
            value.strText.erase(0, 4);
        }
        return true;
    case VCardName::adr:
        value.kind = EValueKind::address;
        value.strType = ValueTypesOf(prop);
        SplitValue(strDecoded, true, version, value.parts);
        value.parts.resize(kAddressPartCount);
        if (std::all_of(value.parts.begin(), value.parts.end(), [](const std::string& str) { return str.empty(); })) {
            // An address given only as its label: the label's lines are the address.
            value.parts[addressStreet] = AddressLabelOf(prop, version);
        }
        return true;
    default: break;
    }
    if (prop.strName == "IMPP") {
        value.kind = EValueKind::messaging;
        value.strType = prop.Parameter("X-SERVICE-TYPE");
        value.strText = UnescapeValue(strDecoded, version);
        return true;
    }
    if (prop.strName == "RELATED") {
        value.kind = EValueKind::related;
        const std::vector<std::string_view> types = prop.Types();
        value.strType = types.empty() ? std::string() : Lower(types.front());
        value.strText = UnescapeValue(strDecoded, version);
        return true;
    }
    const CNamedValue* pNamed = NamedValue(prop.strName);
    if (!pNamed) {
        return false;
    }
    value.kind = pNamed->kind;
    value.strType = pNamed->pszType;
    value.strText = UnescapeValue(strDecoded, version);
    if (value.kind == EValueKind::date) {
        std::string strDate;
        if (!ParseCardDate(value.strText, prop.Parameter("X-APPLE-OMIT-YEAR"), strDate)) {
            return false;
        }
        value.strText = strDate;
    }
    return true;
}

std::string KeptLine(const CVCardProperty& prop, std::string_view strDecoded) {
    const bool bAsWritten = prop.IsBinary() || (prop.strEncoding.empty() && prop.strCharset.empty());
    const std::string_view strText = bAsWritten ? std::string_view(prop.strRaw) : strDecoded;
    // A line break in the value (decoded, or joined from lines) would end the line: it goes out
    // escaped.
    std::string strValue;
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r' || strText[i] == '\n') {
            i += strText[i] == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n' ? 1 : 0;
            strValue += "\\n";
        } else {
            strValue += strText[i];
        }
    }
    if (bAsWritten) {
        return prop.strHead + ":" + strValue;
    }
    return HeadForNewValue(prop.strHead + ":" + prop.strRaw, prop) + ":" + strValue;
}

CVCardValueLine AddressLine(const CContactValue& parts, VCardVersion version) {
    CVCardValueLine line;
    ValueLine(parts, version, line);
    return line;
}

std::vector<CVCardValueLine> ValueLines(const std::vector<CContactValue>& values, VCardVersion version,
                                        const std::vector<int>& skipped, std::set<std::string> used) {
    std::vector<CVCardValueLine> lines;
    // The groups kept lines use, which labels written anew must not share.
    for (const CContactValue& value : values) {
        if (value.kind == EValueKind::cardProperty) {
            const std::string& str = value.text.GetStdString();
            size_t nDot = str.find('.');
            if (nDot != std::string::npos && nDot < str.find_first_of(";:")) {
                used.insert(Upper(str.substr(0, nDot)));
            }
        }
    }
    int nItem = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const CContactValue& value = values[i];
        CVCardValueLine line;
        if (std::find(skipped.begin(), skipped.end(), static_cast<int>(i)) != skipped.end() ||
            !ValueLine(value, version, line)) {
            continue;
        }
        if (value.label.IsEmpty() || line.bWhole) {
            lines.push_back(std::move(line));
            continue;
        }
        std::string strGroup;
        do {
            strGroup = "item" + std::to_string(++nItem);
        } while (used.count(Upper(strGroup)) != 0);
        line.strHead = strGroup + "." + line.strHead;
        lines.push_back(std::move(line));
        CVCardValueLine label;
        label.strHead = strGroup + ".X-ABLabel";
        label.strValue = Escaped(value.label, version);
        lines.push_back(std::move(label));
    }
    return lines;
}

std::string JoinedValues(const std::vector<CContactValue>& values, EValueKind kind, VCardVersion version) {
    std::string strOut;
    bool bFirst = true;
    for (const CContactValue& value : values) {
        if (value.kind == kind) {
            std::string strText = Escaped(value.text, version);
            if (version == VCardVersion::v21) {
                // 2.1 escapes no comma, but the commas between the texts must not be theirs.
                for (size_t i = strText.find(','); i != std::string::npos; i = strText.find(',', i + 2)) {
                    strText.insert(i, 1, '\\');
                }
            }
            strOut += (bFirst ? "" : ",") + strText;
            bFirst = false;
        }
    }
    return strOut;
}

std::vector<std::string> ValueTexts(const std::vector<CContactValue>& values, EValueKind kind) {
    std::vector<std::string> texts;
    for (const CContactValue& value : values) {
        if (value.kind == kind) {
            texts.push_back(DisplayTextOf(value.text).GetStdString());
        }
    }
    return texts;
}

std::vector<std::string> SplitCategories(std::string_view strDecoded, VCardVersion version) {
    std::vector<std::string> texts;
    size_t nStart = 0;
    for (size_t i = 0; i <= strDecoded.size(); ++i) {
        if (i < strDecoded.size() && strDecoded[i] == '\\') {
            ++i;
        } else if (i == strDecoded.size() || strDecoded[i] == ',') {
            std::string strText(strDecoded.substr(nStart, i - nStart));
            // An escaped comma is a comma in every version (2.1 would keep the backslash).
            for (size_t n = strText.find("\\,"); n != std::string::npos; n = strText.find("\\,", n + 1)) {
                strText.erase(n, 1);
            }
            strText = UnescapeValue(strText, version);
            if (!strText.empty()) {
                texts.push_back(std::move(strText));
            }
            nStart = i + 1;
        }
    }
    return texts;
}
