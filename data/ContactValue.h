// CContactValue: a value of a contact beyond its sixteen fields, each of which holds the first
// value of its kind: a further number, e-mail address, web page, postal address or messaging
// handle, a part of the name, the department, a date, a related person, the photo, a label of the
// user's own, a group, or a property of a card that has no place here, kept as it came so that it
// goes back out unchanged. Texts are in the stored form of the fields (a double quote as
// "&quote;", a line break as the four characters \r\n).
#pragma once

#include "framework/core/String.h"

#include <string>
#include <string_view>
#include <vector>

// The stored forms of a line break (in the multi-line fields and the further values) and of a
// double quote.
inline constexpr char kStoredLineBreak[] = "\\r\\n";
inline constexpr char kStoredQuote[] = "&quote;";

// A text in its stored form: a double quote as kStoredQuote, an ampersand that would otherwise
// read as part of a stored quote ("&quote;", "&amp;quote;", ...) as "&amp;" and, with
// bLineBreaks, a CR LF as kStoredLineBreak (a CR alone is no line break and stays). Every other
// ampersand stays as it is, as books have always held it.
CString StoredTextOf(const std::string& strText, bool bLineBreaks = true);
// The stored quotes of a text, and the ampersands stored before them, as themselves.
void DecodeStoredQuotes(CString& strText);
// A stored text as the user reads it: a stored line break and double quote as themselves.
CString DisplayTextOf(const CString& strStored);

enum class EValueKind : unsigned char {
    phone,
    email,
    web,
    address,
    messaging,
    namePrefix,
    middleName,
    nameSuffix,
    department,
    date,
    related,
    photo,
    custom,
    group,
    cardProperty,
    count
};

// Between the parts of an address in its text: a character no stored text holds.
inline constexpr char kAddressPartSeparator = '\x1F';

// The parts of a postal address, in the order of vCard's ADR.
enum EAddressPart { addressPostOfficeBox, addressExtended, addressStreet, addressLocality, addressRegion,
                    addressPostalCode, addressCountry, kAddressPartCount };

// An address's lines from its parts, in the order of EAddressPart: box, extended address and
// street, then "locality, region postal code", then the country; the lines joined by CR LF.
std::string ComposeAddress(const std::vector<std::string>& parts);

struct CContactValue {
    EValueKind kind = EValueKind::custom;
    // How it is used: "home", "work", "mobile", "fax", "pager", "other"; for a date "birthday",
    // "anniversary" or another; for a handle its service; for a related person the relation.
    CString type;
    CString label; // the user's own name for it, or empty
    // The value. A date is "YYYY-MM-DD", or "--MM-DD" when the year is not known; a photo the
    // name of its file in the photo folder; an address its parts, kAddressPartSeparator between.
    CString text;

    bool operator==(const CContactValue& other) const {
        return kind == other.kind && type == other.type && label == other.label && text == other.text;
    }
    bool operator!=(const CContactValue& other) const { return !(*this == other); }

    // The text as the user reads it: the stored forms decoded, an address as ComposeAddress
    // puts it.
    CString DisplayText() const;
    // An address's part; empty for a part it lacks.
    CString AddressPart(int nPart) const;
    // A separator in the part becomes U+FFFD.
    void SetAddressPart(int nPart, const CString& strPart);
    // All the parts at once, in the order of EAddressPart.
    void SetAddressParts(const CString (&parts)[kAddressPartCount]);
    // The same from views, as a reader finds the parts in its bytes: the text is made once.
    void SetAddressParts(const std::string_view (&parts)[kAddressPartCount]);
    // Calls visit(nPart, part) for each part the text holds, in order.
    template <typename Visit> void ForEachAddressPart(Visit visit) const {
        ForEachPart(std::string_view(text.GetString(), static_cast<size_t>(text.GetLength())), visit);
    }
    // The same for an address's text.
    template <typename Visit> static void ForEachPart(std::string_view rest, Visit visit) {
        for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
            size_t nEnd = rest.find(kAddressPartSeparator);
            visit(nPart, rest.substr(0, nEnd));
            if (nEnd == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(nEnd + 1);
        }
    }
};


// Whether the value is a card's UID line kept as it came: the identity of the card the contact
// came from, which a synchronisation gives the card it keeps rather than takes from the contact.
bool IsCardUid(const CContactValue& value);

// The name of a kind's element in the address book file, and of an address part's attribute.
const char* ValueElementName(EValueKind kind);
const char* AddressPartAttribute(int nPart);
// The kind an element of that name holds; false when it holds none.
bool ValueKindOfElement(std::string_view name, EValueKind& kind);
