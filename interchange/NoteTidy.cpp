#include "NoteTidy.h"

#include "ContactBuilder.h"
#include "VCardEscape.h"
#include "VCardValues.h"

#include <cstring>

namespace {

// Labels earlier imports gave lines that stay in the note (the current ones still write some),
// which a run of lifted lines passes over.
const char* const g_keptLabels[] = {"Display name", "Address label", "Photo", "Logo", "REV"};

// Labels of properties kept as their lines, and the property.
const char* const g_propertyLabels[][2] = {
    {"Role", "ROLE"},   {"Location", "GEO"}, {"Time zone", "TZ"}, {"Gender", "GENDER"},
    {"Language", "LANG"}, {"Agent", "AGENT"}, {"Sound", "SOUND"},
};

bool IsPropertyName(const std::string& str) {
    if (str.size() < 3 || str.compare(0, 2, "X-") != 0) {
        return false;
    }
    for (char c : str) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) {
            return false;
        }
    }
    return true;
}

std::string Lower(std::string str) {
    for (char& c : str) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return str;
}

CReadValue Read(EValueKind kind, std::string strType, std::string strText) {
    CReadValue read;
    read.kind = kind;
    read.strType = std::move(strType);
    read.strText = std::move(strText);
    return read;
}

// The values a line of that label and text was written for; none for a line this program did
// not write, or whose text does not read as its kind.
std::vector<CReadValue> ValuesOfLine(const std::string& strLabel, const std::string& strText) {
    struct CNamed {
        const char* pszLabel;
        EValueKind kind;
        const char* pszType;
    };
    static const CNamed s_named[] = {
        {"Middle name", EValueKind::middleName, ""}, {"Name prefix", EValueKind::namePrefix, ""},
        {"Name suffix", EValueKind::nameSuffix, ""}, {"Department", EValueKind::department, ""},
        {"Instant messaging", EValueKind::messaging, ""}, {"SIP", EValueKind::messaging, "sip"},
        {"Home fax", EValueKind::phone, "home,fax"},  {"Pager", EValueKind::phone, "pager"},
        {"Phone", EValueKind::phone, ""},             {"E-mail", EValueKind::email, ""},
        {"Web page", EValueKind::web, ""},
    };
    for (const CNamed& named : s_named) {
        if (strLabel == named.pszLabel) {
            return {Read(named.kind, named.pszType, strText)};
        }
    }
    // "Phone (video)", "Web page (profile)": the kinds in brackets are the types.
    for (const char* pszKind : {"Phone", "Web page"}) {
        const std::string strHead = std::string(pszKind) + " (";
        if (strLabel.compare(0, strHead.size(), strHead) == 0 && strLabel.back() == ')') {
            std::string strTypes = strLabel.substr(strHead.size(), strLabel.size() - strHead.size() - 1);
            for (size_t n = strTypes.find(", "); n != std::string::npos; n = strTypes.find(", ")) {
                strTypes.replace(n, 2, ",");
            }
            return {Read(*pszKind == 'P' ? EValueKind::phone : EValueKind::web, Lower(strTypes), strText)};
        }
    }
    if (strLabel == "Address") {
        CReadValue read = Read(EValueKind::address, "", "");
        read.parts.resize(kAddressPartCount);
        read.parts[addressStreet] = strText;
        return {read};
    }
    if (strLabel == "Birthday" || strLabel == "Anniversary") {
        std::string strDate;
        if (!ParseCardDate(strText, std::string(), strDate)) {
            return {};
        }
        return {Read(EValueKind::date, strLabel == "Birthday" ? "birthday" : "anniversary", strDate)};
    }
    if (strLabel == "Categories") {
        std::vector<CReadValue> groups;
        for (std::string& strGroup : SplitCategories(EscapeValue(strText, VCardVersion::v21), VCardVersion::v21)) {
            groups.push_back(Read(EValueKind::group, "", strGroup));
        }
        return groups;
    }
    for (const auto& property : g_propertyLabels) {
        if (strLabel == property[0]) {
            return {Read(EValueKind::cardProperty, "", property[1] + (":" + EscapeValue(strText, VCardVersion::v30)))};
        }
    }
    if (IsPropertyName(strLabel)) {
        return {Read(EValueKind::cardProperty, "", strLabel + ":" + EscapeValue(strText, VCardVersion::v30))};
    }
    // A field's label: the value of a field that was taken.
    for (int nField = 0; nField < CContact::fieldNote; ++nField) {
        std::string strField = CContact::FieldLabel(nField);
        strField[0] = static_cast<char>(strField[0] >= 'a' && strField[0] <= 'z' ? strField[0] - 'a' + 'A' : strField[0]);
        if (strLabel == strField) {
            return {ValueOfField(nField, strText)};
        }
    }
    return {};
}

bool IsKeptLabel(const std::string& strLabel) {
    for (const char* pszLabel : g_keptLabels) {
        if (strLabel == pszLabel) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<CLiftedLine> TidyNote(CContact& contact) {
    const std::string& strNote = contact.note.GetStdString();
    if (strNote.find(": ") == std::string::npos) {
        return {}; // as most notes
    }
    // The note's lines in stored form, which the lines that stay keep to the byte.
    std::vector<std::string> lines;
    const std::string strBreak = kStoredLineBreak;
    for (size_t nStart = 0;;) {
        size_t nEnd = strNote.find(strBreak, nStart);
        lines.push_back(strNote.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart));
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + strBreak.size();
    }
    std::vector<bool> lifted(lines.size(), false);
    std::vector<CLiftedLine> out;
    for (size_t n = lines.size(); n-- > 0;) {
        const std::string strLine = DisplayTextOf(CString(lines[n])).GetStdString();
        const size_t nColon = strLine.find(": ");
        if (nColon == std::string::npos || nColon == 0) {
            break;
        }
        const std::string strLabel = strLine.substr(0, nColon);
        if (IsKeptLabel(strLabel)) {
            continue;
        }
        std::vector<CReadValue> values = ValuesOfLine(strLabel, strLine.substr(nColon + 2));
        if (values.empty()) {
            break;
        }
        lifted[n] = true;
        CLiftedLine line;
        line.strLine = strLine;
        for (const CReadValue& read : values) {
            bool bAny = false;
            line.values.push_back(StoredValueOf(read, [](const std::string& str) { return StoredTextOf(str); }, bAny));
        }
        out.insert(out.begin(), line);
    }
    if (out.empty()) {
        return out;
    }
    std::string strKept;
    bool bFirst = true;
    for (size_t n = 0; n < lines.size(); ++n) {
        if (!lifted[n]) {
            strKept += (bFirst ? "" : strBreak) + lines[n];
            bFirst = false;
        }
    }
    contact.note = CString(strKept);
    for (const CLiftedLine& line : out) {
        contact.values.insert(contact.values.end(), line.values.begin(), line.values.end());
    }
    MoveValuesToEmptyFields(contact);
    return out;
}
