#include "BookFormat.h"

#include "Contact.h"
#include "framework/core/CodePage.h"

#include <array>
#include <climits>

namespace {

// A stored text holds its double quotes as "&quote;" already; one that does not is not allowed
// to end the attribute early.
void AppendAttribute(std::string& out, std::string_view name, std::string_view str) {
    out += ' ';
    out += name;
    out += "=\"";
    if (str.find('"') == std::string_view::npos) {
        out += str;
    } else {
        for (char c : str) {
            if (c == '"') {
                out += kStoredQuote;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

} // namespace

int FieldOfElement(std::string_view name, int nExpected) {
    // As views, each knows its length: a loader asks this for every element of every entry.
    static const auto s_tags = [] {
        std::array<std::string_view, CContact::kFieldCount> tags;
        for (int i = 0; i < CContact::kFieldCount; ++i) {
            tags[static_cast<size_t>(i)] = CContact::FieldTag(i);
        }
        return tags;
    }();
    if (nExpected >= 0 && nExpected < CContact::kFieldCount && name == s_tags[static_cast<size_t>(nExpected)]) {
        return nExpected;
    }
    if (name == kIdElement) {
        return kIdField;
    }
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        if (name == s_tags[static_cast<size_t>(i)]) {
            return i;
        }
    }
    return kNoField;
}

int ParseIdValue(const char* pszText) {
    const char* p = pszText;
    while (IsTrimSpace(*p)) {
        ++p;
    }
    bool bNegative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    long long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (*p - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) {
            n = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (bNegative) {
        n = -n;
    }
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

bool ValueOfElement(std::string_view name, const CElementAttributes& attributes, CContactValue& value) {
    if (!ValueKindOfElement(name, value.kind)) {
        return false;
    }
    value.type = CString();
    value.label = CString();
    value.text = CString();
    std::string_view parts[kAddressPartCount];
    for (const auto& [attribute, text] : attributes) {
        if (attribute == kTypeAttribute) {
            value.type = CString(text.data(), static_cast<int>(text.size()));
        } else if (attribute == kLabelAttribute) {
            value.label = CString(text.data(), static_cast<int>(text.size()));
        } else if (value.kind != EValueKind::address) {
            if (attribute == kValueAttribute) {
                value.text = CString(text.data(), static_cast<int>(text.size()));
            }
        } else {
            int nPart = AddressPartOfAttribute(attribute);
            if (nPart >= 0) {
                parts[nPart] = text;
            }
        }
    }
    if (value.kind == EValueKind::address) {
        value.SetAddressParts(parts);
    }
    return true;
}

int AddressPartOfAttribute(std::string_view name) {
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        if (name == AddressPartAttribute(nPart)) {
            return nPart;
        }
    }
    return -1;
}

void AppendValueElement(std::string& out, const CContactValue& value) {
    out += "\t\t\t<";
    out += ValueElementName(value.kind);
    if (!value.type.IsEmpty()) {
        AppendAttribute(out, kTypeAttribute, value.type.GetStdString());
    }
    if (!value.label.IsEmpty()) {
        AppendAttribute(out, kLabelAttribute, value.label.GetStdString());
    }
    if (value.kind == EValueKind::address) {
        // The street always, so that every element has an attribute to end its name.
        bool bStreet = false;
        value.ForEachAddressPart([&](int nPart, std::string_view part) {
            if (!part.empty() || nPart == addressStreet) {
                AppendAttribute(out, AddressPartAttribute(nPart), part);
                bStreet = bStreet || nPart == addressStreet;
            }
        });
        if (!bStreet) {
            AppendAttribute(out, AddressPartAttribute(addressStreet), std::string_view());
        }
    } else {
        AppendAttribute(out, kValueAttribute, value.text.GetStdString());
    }
    out += "/>\r\n";
}
