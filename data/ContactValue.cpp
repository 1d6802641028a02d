#include "ContactValue.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <cstring>
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
    // As views, each knows its length: a loader asks this for every further value it reads.
    static const auto s_names = [] {
        std::array<std::string_view, std::size(kElementNames)> names;
        std::copy(std::begin(kElementNames), std::end(kElementNames), names.begin());
        return names;
    }();
    for (size_t i = 0; i < s_names.size(); ++i) {
        if (name == s_names[i]) {
            kind = static_cast<EValueKind>(i);
            return true;
        }
    }
    return false;
}

namespace {

const char kStoredAmpersand[] = "&amp;";

// Whether the text at nAt is an ampersand that would read as a stored quote, or as the stored form
// of such an ampersand: "&", any number of "amp;", then "quote;". Only these ampersands are
// written as "&amp;", so that every other text, and every book written before, reads as it did.
bool IsQuoteChainAt(std::string_view str, size_t nAt) {
    if (nAt >= str.size() || str[nAt] != '&') {
        return false;
    }
    size_t n = nAt + 1;
    while (str.compare(n, 4, "amp;") == 0) {
        n += 4;
    }
    return str.compare(n, 6, "quote;") == 0;
}

// The stored form when the text holds an ampersand that needs its own: one character at a time.
CString StoredTextWithAmpersands(const std::string& str, bool bLineBreaks) {
    std::string strStored;
    strStored.reserve(str.size() + 16);
    for (size_t n = 0; n < str.size(); ++n) {
        char c = str[n];
        if (c == '"') {
            strStored += kStoredQuote;
        } else if (c == '&' && IsQuoteChainAt(str, n)) {
            strStored += kStoredAmpersand;
        } else if (c == '\r' && bLineBreaks && n + 1 < str.size() && str[n + 1] == '\n') {
            strStored += kStoredLineBreak;
            ++n;
        } else {
            strStored += c;
        }
    }
    return CString(std::move(strStored));
}

} // namespace

void DecodeStoredQuotes(CString& strText) {
    const std::string& str = strText.GetStdString();
    size_t nAt = str.find('&');
    if (nAt == std::string::npos) {
        return;
    }
    std::string strDecoded(str, 0, nAt);
    for (; nAt < str.size(); ++nAt) {
        if (str.compare(nAt, sizeof kStoredQuote - 1, kStoredQuote) == 0) {
            strDecoded += '"';
            nAt += sizeof kStoredQuote - 2;
        } else if (str.compare(nAt, sizeof kStoredAmpersand - 1, kStoredAmpersand) == 0 &&
                   IsQuoteChainAt(str, nAt)) {
            // "&amp;" before a chain: its "&" is the text's, the rest of the chain plain text.
            strDecoded += '&';
            nAt += sizeof kStoredAmpersand - 2;
        } else {
            strDecoded += str[nAt];
        }
    }
    strText = CString(std::move(strDecoded));
}

CString StoredTextOf(const std::string& str, bool bLineBreaks) {
    const size_t kNone = std::string::npos;
    if (str.find('&') != kNone) {
        return StoredTextWithAmpersands(str, bLineBreaks);
    }
    size_t nQuote = str.find('"');
    size_t nCr = bLineBreaks ? str.find('\r') : kNone;
    if (nQuote == kNone && nCr == kNone) {
        return CString(str);
    }
    // Both forms in one pass, from one stretch between them to the next, written through a
    // pointer into a text made once at its final length: an append per stretch would cost more
    // than the bytes it copies.
    auto isLineBreak = [&str](size_t n) { return n + 1 < str.size() && str[n + 1] == '\n'; };
    size_t nLength = str.size();
    for (size_t n = nQuote; n != kNone; n = str.find('"', n + 1)) {
        nLength += sizeof kStoredQuote - 2;
    }
    for (size_t n = nCr; n != kNone; n = str.find('\r', n + 1)) {
        nLength += isLineBreak(n) ? sizeof kStoredLineBreak - 3 : 0;
    }
    std::string strStored(nLength, '\0');
    char* pOut = &strStored[0];
    auto put = [&pOut](const char* pch, size_t nCount) {
        std::memcpy(pOut, pch, nCount);
        pOut += nCount;
    };
    size_t nFrom = 0;
    for (size_t nAt = std::min(nQuote, nCr); nAt != kNone; nAt = std::min(nQuote, nCr)) {
        put(str.data() + nFrom, nAt - nFrom);
        if (nAt == nQuote) {
            put(kStoredQuote, sizeof kStoredQuote - 1);
            nFrom = nAt + 1;
            nQuote = str.find('"', nFrom);
        } else {
            // A CR without an LF after it is no line break of the contact's and stays.
            bool bBreak = isLineBreak(nAt);
            put(bBreak ? kStoredLineBreak : "\r", bBreak ? sizeof kStoredLineBreak - 1 : 1);
            nFrom = nAt + (bBreak ? 2 : 1);
            nCr = str.find('\r', nFrom);
        }
    }
    put(str.data() + nFrom, str.size() - nFrom);
    return CString(std::move(strStored));
}

bool IsCardUid(const CContactValue& value) {
    const std::string& str = value.text.GetStdString();
    return value.kind == EValueKind::cardProperty && str.size() > 4 && str[3] == ':' &&
           (str[0] == 'U' || str[0] == 'u') && (str[1] == 'I' || str[1] == 'i') && (str[2] == 'D' || str[2] == 'd');
}

CString DisplayTextOf(const CString& strStored) {
    CString strText = strStored;
    // Most texts hold neither form; they are handed out as they are.
    if (strText.Find('\\') >= 0) {
        strText.Replace(kStoredLineBreak, "\r\n");
    }
    DecodeStoredQuotes(strText);
    return strText;
}

std::string ComposeAddress(const std::vector<std::string>& p) {
    auto part = [&p](size_t n) { return n < p.size() ? p[n] : std::string(); };
    auto join = [](std::initializer_list<std::string> texts, const char* pszSeparator) {
        std::string str;
        for (const std::string& strText : texts) {
            if (!strText.empty()) {
                str += (str.empty() ? "" : pszSeparator) + strText;
            }
        }
        return str;
    };
    std::string strPlace = join({part(3), join({part(4), part(5)}, " ")}, ", ");
    return join({part(0), part(1), part(2), strPlace, part(6)}, "\r\n");
}

CString CContactValue::DisplayText() const {
    if (kind != EValueKind::address) {
        return DisplayTextOf(text);
    }
    std::vector<std::string> parts;
    ForEachAddressPart([&parts](int, std::string_view part) {
        parts.push_back(DisplayTextOf(CString(std::string(part))).GetStdString());
    });
    return CString(ComposeAddress(parts));
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
    std::string_view parts[kAddressPartCount];
    for (int i = 0; i < kAddressPartCount; ++i) {
        parts[i] = std::string_view(given[i].GetString(), static_cast<size_t>(given[i].GetLength()));
    }
    SetAddressParts(parts);
}

void CContactValue::SetAddressParts(const std::string_view (&parts)[kAddressPartCount]) {
    // The empty parts at the end are left out, so that a street alone is just the street.
    int nLast = kAddressPartCount - 1;
    while (nLast > 0 && parts[nLast].empty()) {
        --nLast;
    }
    size_t nLength = static_cast<size_t>(nLast);
    for (int i = 0; i <= nLast; ++i) {
        nLength += parts[i].size();
    }
    std::string joined;
    joined.reserve(nLength);
    for (int i = 0; i <= nLast; ++i) {
        if (i > 0) {
            joined += kAddressPartSeparator;
        }
        // The separator in a part (only a damaged file has one) would split it in two.
        std::string_view part = parts[i];
        for (size_t nAt = part.find(kAddressPartSeparator); nAt != std::string_view::npos;
             nAt = part.find(kAddressPartSeparator)) {
            joined.append(part.data(), nAt);
            joined += kReplacementCharacter;
            part.remove_prefix(nAt + 1);
        }
        joined.append(part.data(), part.size());
    }
    text = CString(std::move(joined));
}
