#include "ContactValue.h"

#include <iterator>
#include <string>

namespace {

const char kReplacementCharacter[] = "\xEF\xBF\xBD"; // U+FFFD

// Indexed by EValueKind. None is the name of a field or of "id" or "entry": a reader that knows
// only the sixteen fields passes over them.
const char* const kElementNames[] = {
    "phone",  "email",      "web",    "address", "messaging", "nameprefix", "middlename", "namesuffix",
    "department", "date", "related", "photo",   "custom",    "group",      "cardproperty",
};
static_assert(std::size(kElementNames) == static_cast<size_t>(EValueKind::count), "a name for every kind");

const char* const kAddressAttributes[kAddressPartCount] = {
    "pobox", "extended", "street", "locality", "region", "postalcode", "country",
};

} // namespace

const char* ValueElementName(EValueKind kind) { return kElementNames[static_cast<size_t>(kind)]; }

const char* AddressPartAttribute(int nPart) { return kAddressAttributes[nPart]; }

bool ValueKindOfElement(std::string_view name, EValueKind& kind) {
    for (size_t i = 0; i < std::size(kElementNames); ++i) {
        if (name == kElementNames[i]) {
            kind = static_cast<EValueKind>(i);
            return true;
        }
    }
    return false;
}

CString DisplayTextOf(const CString& strStored) {
    CString strText = strStored;
    // Most texts hold neither form; they are handed out as they are.
    if (strText.Find('\\') >= 0) {
        strText.Replace(kStoredLineBreak, "\r\n");
    }
    if (strText.Find('&') >= 0) {
        strText.Replace(kStoredQuote, "\"");
    }
    return strText;
}

CString CContactValue::DisplayText() const {
    if (kind != EValueKind::address) {
        return DisplayTextOf(text);
    }
    CString strText = text;
    const char szSeparator[] = {kAddressPartSeparator, '\0'};
    strText.Replace(szSeparator, kStoredLineBreak);
    return DisplayTextOf(strText);
}

CString CContactValue::AddressPart(int nPart) const {
    CString strPart;
    ForEachAddressPart([&](int n, std::string_view part) {
        if (n == nPart) {
            strPart = CString(part.data(), static_cast<int>(part.size()));
        }
    });
    return strPart;
}

void CContactValue::SetAddressPart(int nPart, const CString& strPart) {
    CString parts[kAddressPartCount];
    for (int i = 0; i < kAddressPartCount; ++i) {
        parts[i] = i == nPart ? strPart : AddressPart(i);
    }
    SetAddressParts(parts);
}

void CContactValue::SetAddressParts(const CString (&given)[kAddressPartCount]) {
    CString parts[kAddressPartCount];
    // The separator in a part (only a damaged file has one) would split it in two.
    const char szSeparator[] = {kAddressPartSeparator, '\0'};
    for (int i = 0; i < kAddressPartCount; ++i) {
        parts[i] = given[i];
        if (parts[i].Find(kAddressPartSeparator) >= 0) {
            parts[i].Replace(szSeparator, kReplacementCharacter);
        }
    }
    // The empty parts at the end are left out, so that a street alone is just the street.
    int nLast = kAddressPartCount - 1;
    while (nLast > 0 && parts[nLast].IsEmpty()) {
        --nLast;
    }
    std::string joined;
    for (int i = 0; i <= nLast; ++i) {
        if (i > 0) {
            joined += kAddressPartSeparator;
        }
        joined += parts[i].GetStdString();
    }
    text = CString(std::move(joined));
}
