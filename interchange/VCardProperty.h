// One property line of a vCard taken apart: name, parameters and the value as text.
#pragma once

#include "framework/core/String.h"

#include <string>
#include <string_view>
#include <vector>

// The property names the reader treats apart from the rest, told once when a line is taken
// apart so that mapping a card compares no names.
enum class VCardName : unsigned char {
    other,
    begin,
    end,
    version,
    n,
    fn,
    nickname,
    org,
    title,
    note,
    tel,
    email,
    url,
    adr,
    label,
    photo,
    logo,
    sound,
    key,
};
const size_t kVCardNameCount = static_cast<size_t>(VCardName::key) + 1;

// The name of an upper-case property name; VCardName::other for the names not listed.
VCardName VCardNameOf(const std::string& strName);

// The types that select a field or a kind of number, as bits.
enum VCardType : unsigned {
    typeHome = 1u << 0,
    typeWork = 1u << 1,
    typeCell = 1u << 2,
    typeFax = 1u << 3,
    typePager = 1u << 4,
    typePref = 1u << 5,
};

struct CVCardProperty {
    std::string strName;            // upper case, without its group
    std::string strWrittenName;     // as the file spells it when that is not strName, for labels
    // The types, upper case, from TYPE= and bare parameters, each ended by a line feed (which no
    // line holds): one text that a reader parsing line after line fills without allocating.
    std::string strTypes;
    std::string strEncoding;        // upper case
    std::string strCharset;
    std::string strValueType; // upper case, from VALUE=
    bool bPreferred = false;
    std::string strRaw; // the value as the file holds it
    std::string strHead; // the group, name and parameters as the file holds them, before the colon
    int nLine = 0;
    VCardName name = VCardName::other; // strName's
    unsigned nTypeBits = 0;            // the VCardType bits of types
    // The set of the file's values that name none, for a value that is not UTF-8; without it
    // such a value is read in the set its own bytes look like. Kept by ParseProperty.
    const class CUndeclaredCharset* pUndeclared = nullptr;

    std::vector<std::string_view> Types() const;
    bool Has(const char* pszType) const;
    bool HasType(unsigned nType) const { return (nTypeBits & nType) != 0; }
    bool IsBase64() const;
    // Whether the value is binary data rather than text: base64 on a photo, a logo, a sound, a key or a
    // property the reader does not know, VALUE=BINARY, or a data: URI of the media properties.
    bool IsBinary() const;
    // The group before the name ("item1" of "item1.TEL"), upper case; empty for none.
    std::string Group() const;
    // The value of a parameter other than those above, unquoted ("" when it has none).
    std::string Parameter(const char* pszUpperKey) const;
};

// Splits "group.NAME;param;...:value". False when the line has no colon; prop is then left as
// it was. A property parsed before is overwritten in place, keeping the memory its texts hold.
bool ParseProperty(std::string_view strLine, int nLine, CVCardProperty& prop);

// The name and parameters of a property line as written ("item1.TEL;TYPE=HOME"), for a value
// written anew: without the parameters that say how the old value was encoded (ENCODING, CHARSET
// and 2.1's bare QUOTED-PRINTABLE, BASE64, 8BIT, 7BIT), since the new one is plain UTF-8.
std::string HeadForNewValue(const std::string& strLine, const CVCardProperty& prop);

// The value's bytes: quoted-printable or base64 undone.
std::string ValueBytes(const CVCardProperty& prop);
// The value's text as UTF-8: quoted-printable or base64 undone and the character set converted. Text in
// no known set is read as UTF-8 where it is UTF-8, else in the set DetectCharset finds for it;
// bKnownCharset tells.
std::string DecodeValue(const CVCardProperty& prop, bool& bKnownCharset);
// The same without a copy where the value needs no decoding, which is most often: a view of
// strRaw, or else of strBuffer, which then holds the decoded text.
std::string_view DecodeValue(const CVCardProperty& prop, std::string& strBuffer, bool& bKnownCharset);
