#include "BookFormat.h"

#include "Contact.h"
#include "framework/core/CodePage.h"

#include <array>
#include <climits>
#include <cstring>

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

namespace {

// The element as the writer lays it out, a piece at a time: a text with a double quote in it,
// which only a careless caller hands over, has each one stored as it goes.
void AppendValueElementQuoted(std::string& out, const CContactValue& value) {
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

// The start of each kind's element, "\t\t\t<" and its name.
const std::string_view* ElementStarts() {
    static const auto s_starts = [] {
        static std::string s_texts[static_cast<size_t>(EValueKind::count)];
        std::array<std::string_view, static_cast<size_t>(EValueKind::count)> starts;
        for (size_t i = 0; i < starts.size(); ++i) {
            s_texts[i] = std::string("\t\t\t<") + ValueElementName(static_cast<EValueKind>(i));
            starts[i] = s_texts[i];
        }
        return starts;
    }();
    return s_starts.data();
}

// " name=\"" for the type, the label, the value and each address part, in that order.
enum { kTypePrefix, kLabelPrefix, kValuePrefix, kPartPrefixes };
const std::string_view* AttributePrefixes() {
    static const auto s_prefixes = [] {
        static std::string s_texts[kPartPrefixes + kAddressPartCount];
        std::array<std::string_view, kPartPrefixes + kAddressPartCount> prefixes;
        for (size_t i = 0; i < prefixes.size(); ++i) {
            std::string_view name = i == kTypePrefix    ? kTypeAttribute
                                    : i == kLabelPrefix ? kLabelAttribute
                                    : i == kValuePrefix
                                        ? kValueAttribute
                                        : AddressPartAttribute(static_cast<int>(i) - kPartPrefixes);
            s_texts[i] = " " + std::string(name) + "=\"";
            prefixes[i] = s_texts[i];
        }
        return prefixes;
    }();
    return s_prefixes.data();
}

// One element's line as its attributes, written into the document at once when its length is
// known: a save writes a line for every further value of the book, and appending each piece on
// its own would cost more than the bytes they hold.
class CElementLine {
public:
    explicit CElementLine(EValueKind kind)
        : m_start(ElementStarts()[static_cast<size_t>(kind)]), m_pPrefixes(AttributePrefixes()) {
        m_nLength = m_start.size() + kEnd.size();
    }
    void Add(int nPrefix, std::string_view text) {
        m_bQuote = m_bQuote || text.find('"') != std::string_view::npos;
        m_attributes[m_nCount++] = {nPrefix, text};
        m_nLength += m_pPrefixes[nPrefix].size() + text.size() + 1;
    }
    bool HasQuote() const { return m_bQuote; }
    void AppendTo(std::string& out) const {
        const size_t nAt = out.size();
        out.resize(nAt + m_nLength);
        char* p = Put(&out[nAt], m_start);
        for (size_t i = 0; i < m_nCount; ++i) {
            p = Put(p, m_pPrefixes[m_attributes[i].first]);
            p = Put(p, m_attributes[i].second);
            *p++ = '"';
        }
        std::memcpy(p, kEnd.data(), kEnd.size());
    }

private:
    static constexpr std::string_view kEnd = "/>\r\n";

    static char* Put(char* p, std::string_view piece) {
        if (!piece.empty()) {
            std::memcpy(p, piece.data(), piece.size());
        }
        return p + piece.size();
    }

    std::string_view m_start;
    const std::string_view* m_pPrefixes;
    // A type, a label and every part of an address at most.
    std::pair<int, std::string_view> m_attributes[2 + kAddressPartCount];
    size_t m_nCount = 0;
    size_t m_nLength;
    bool m_bQuote = false;
};

std::string_view ViewOf(const CString& str) {
    return std::string_view(str.GetString(), static_cast<size_t>(str.GetLength()));
}

} // namespace

void AppendValueElement(std::string& out, const CContactValue& value) {
    CElementLine line(value.kind);
    if (!value.type.IsEmpty()) {
        line.Add(kTypePrefix, ViewOf(value.type));
    }
    if (!value.label.IsEmpty()) {
        line.Add(kLabelPrefix, ViewOf(value.label));
    }
    if (value.kind == EValueKind::address) {
        // The street always, so that every element has an attribute to end its name.
        bool bStreet = false;
        value.ForEachAddressPart([&](int nPart, std::string_view part) {
            if (!part.empty() || nPart == addressStreet) {
                line.Add(kPartPrefixes + nPart, part);
                bStreet = bStreet || nPart == addressStreet;
            }
        });
        if (!bStreet) {
            line.Add(kPartPrefixes + addressStreet, std::string_view());
        }
    } else {
        line.Add(kValuePrefix, ViewOf(value.text));
    }
    if (line.HasQuote()) {
        AppendValueElementQuoted(out, value);
    } else {
        line.AppendTo(out);
    }
}
