#include "ValueText.h"

#include <algorithm>
#include <iterator>
#include <string>

const EValueKind kChoosableKinds[13] = {
    EValueKind::phone,      EValueKind::email,      EValueKind::web,        EValueKind::address,
    EValueKind::messaging,  EValueKind::date,       EValueKind::related,    EValueKind::namePrefix,
    EValueKind::middleName, EValueKind::nameSuffix, EValueKind::department, EValueKind::group,
    EValueKind::custom,
};

namespace {

// The types a date of no named kind shows as; it is stored without one.
const char kOtherDate[] = "other";

// Indexed by EValueKind.
const CValueKindRules kRules[] = {
    {"Phone", true, true, EValueEditor::plainText, {"home", "work", "mobile", "fax", "pager", "other"}},
    {"E-mail", true, true, EValueEditor::plainText, {"home", "work", "other"}},
    {"Web page", true, true, EValueEditor::plainText, {"home", "work", "other"}},
    {"Address", true, true, EValueEditor::address, {"home", "work", "other"}},
    // The services a card names its handles by.
    {"Messaging", true, true, EValueEditor::plainText,
     {"skype", "jabber", "sip", "aim", "icq", "msn", "yahoo", "googletalk", "gadugadu", "qq", "twitter"}},
    {"Name prefix", false, false, EValueEditor::plainText, {}},
    {"Middle name", false, false, EValueEditor::plainText, {}},
    {"Name suffix", false, false, EValueEditor::plainText, {}},
    {"Department", false, false, EValueEditor::plainText, {}},
    {"Date", true, true, EValueEditor::date, {"birthday", "anniversary", kOtherDate}},
    {"Related person", true, false, EValueEditor::plainText,
     {"spouse", "partner", "child", "parent", "assistant", "manager", "friend", "relative"}},
    {"Photo", false, false, EValueEditor::plainText, {}},
    {"Custom label", false, true, EValueEditor::plainText, {}},
    {"Group", false, false, EValueEditor::plainText, {}},
    {"Card property", false, false, EValueEditor::plainText, {}},
};
static_assert(std::size(kRules) == static_cast<size_t>(EValueKind::count), "rules for every kind");

const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// Kinds whose type is a list of uses ("work,fax").
bool HasUseList(EValueKind kind) {
    return kind == EValueKind::phone || kind == EValueKind::email || kind == EValueKind::web ||
           kind == EValueKind::address;
}

// A text as one line: its line breaks become ", ", empty lines go.
CString OneLine(const CString& strShown) {
    std::string strLine;
    const std::string& str = strShown.GetStdString();
    size_t nStart = 0;
    while (nStart <= str.size()) {
        size_t nEnd = str.find('\n', nStart);
        std::string strPart =
            str.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (!strPart.empty() && strPart.back() == '\r') {
            strPart.pop_back();
        }
        if (strPart.find_first_not_of(" \t") != std::string::npos) {
            strLine += (strLine.empty() ? "" : ", ") + strPart;
        }
        if (nEnd == std::string::npos) {
            break;
        }
        nStart = nEnd + 1;
    }
    return CString(strLine);
}

bool IsBlank(CString str) { return str.Trim().IsEmpty(); }

} // namespace

const CValueKindRules& KindRules(EValueKind kind) { return kRules[static_cast<size_t>(kind)]; }

CString ShownTypeOf(EValueKind kind, const CString& strType) {
    if (kind == EValueKind::date && strType.IsEmpty()) {
        return kOtherDate;
    }
    CString strShown = DisplayTextOf(strType);
    if (HasUseList(kind)) {
        strShown.Replace(",", ", ");
    }
    return strShown;
}

CString StoredTypeOf(EValueKind kind, const CString& strShown) {
    CString strType(strShown);
    strType.Trim().MakeLower();
    if (kind == EValueKind::date && strType == kOtherDate) {
        return CString();
    }
    if (HasUseList(kind)) {
        std::string strList;
        const std::string str = strType.GetStdString();
        for (size_t nStart = 0; nStart <= str.size();) {
            size_t nComma = std::min(str.find(',', nStart), str.size());
            CString strUse(str.substr(nStart, nComma - nStart));
            if (!strUse.Trim().IsEmpty()) {
                strList += (strList.empty() ? "" : ",") + strUse.GetStdString();
            }
            nStart = nComma + 1;
        }
        strType = CString(strList);
    }
    return StoredTextOf(strType.GetStdString(), false);
}

CValueDate DateFromPicker(int nYear, int nMonth, int nDay, bool bNoYear) {
    CValueDate date;
    date.nYear = bNoYear ? 0 : nYear;
    date.nMonth = nMonth;
    date.nDay = nDay;
    return date;
}

const char* MissingPartMessage(const CContactValue& value) {
    if (value.kind == EValueKind::custom && IsBlank(value.label)) {
        return "Please enter a label of your own for this value.";
    }
    if (value.kind == EValueKind::address) {
        bool bAnyPart = false;
        value.ForEachAddressPart([&bAnyPart](int, std::string_view part) {
            bAnyPart = bAnyPart || !IsBlank(CString(std::string(part)));
        });
        return bAnyPart ? nullptr : "Please enter at least one part of the address.";
    }
    if (IsBlank(value.text)) {
        return "Please enter a value, or press Cancel to leave it out.";
    }
    return nullptr;
}

CString KindColumnText(const CContactValue& value) { return KindRules(value.kind).pszName; }

CString LabelColumnText(const CContactValue& value) {
    CString strLabel = DisplayTextOf(value.label);
    CString strType = value.type.IsEmpty() ? CString() : ShownTypeOf(value.kind, value.type);
    if (strLabel.IsEmpty() || strType.IsEmpty()) {
        return strLabel + strType;
    }
    return strLabel + " (" + strType + ")";
}

CString ValueColumnText(const CContactValue& value) {
    CValueDate date;
    if (value.kind == EValueKind::date && ParseValueDate(value.text, date)) {
        CString strDate;
        if (date.nYear) {
            strDate.Format("%d %s %d", date.nDay, kMonthNames[date.nMonth - 1], date.nYear);
        } else {
            strDate.Format("%d %s", date.nDay, kMonthNames[date.nMonth - 1]);
        }
        return strDate;
    }
    return OneLine(value.DisplayText());
}

bool IsListedValue(const CContact& contact, size_t nIndex) {
    if (contact.values[nIndex].kind == EValueKind::photo) {
        return false;
    }
    for (int nField : {CContact::fieldHomeAddress, CContact::fieldOfficeAddress}) {
        if (FieldAddressParts(contact, nField) == static_cast<int>(nIndex)) {
            return false;
        }
    }
    return true;
}

CRectI FitPicture(int nWidth, int nHeight, int nBoxWidth, int nBoxHeight) {
    if (nWidth <= 0 || nHeight <= 0 || nBoxWidth <= 0 || nBoxHeight <= 0) {
        return CRectI{0, 0, 0, 0};
    }
    int nShownWidth = nWidth;
    int nShownHeight = nHeight;
    // Compared as products, so a tall picture and a wide one are told apart without rounding.
    if (static_cast<long long>(nWidth) * nBoxHeight > static_cast<long long>(nHeight) * nBoxWidth) {
        if (nWidth > nBoxWidth) {
            nShownWidth = nBoxWidth;
            nShownHeight = static_cast<int>(std::max(1LL, static_cast<long long>(nHeight) * nBoxWidth / nWidth));
        }
    } else if (nHeight > nBoxHeight) {
        nShownHeight = nBoxHeight;
        nShownWidth = static_cast<int>(std::max(1LL, static_cast<long long>(nWidth) * nBoxHeight / nHeight));
    }
    const int nLeft = (nBoxWidth - nShownWidth) / 2;
    const int nTop = (nBoxHeight - nShownHeight) / 2;
    return CRectI{nLeft, nTop, nLeft + nShownWidth, nTop + nShownHeight};
}
