// Telephone numbers as people write them: "+49 (30) 1234-5", "0049 30 12345", "030 12345",
// "(555) 010-1234". A number is read for its digits and for how it starts: with a country code
// (after "+" or "00"), with the trunk "0" of a national number, or plainly. The same number
// written nationally and internationally is then recognised as one, for finding duplicates
// and for the search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CPhoneNumber {
    enum class Kind {
        plain,         // digits only: "555 0101"
        national,      // a trunk 0 and the national number: "030 1234"
        international, // a country code after "+" or "00": "+49 30 1234"
    };
    Kind kind = Kind::plain;
    std::string strDigits;   // every digit after a "+" or "00"; a national number keeps its 0
    std::string strNational; // the number without country code or trunk 0: "301234"
};

// The number a text holds: its digits up to the first letter after them (an extension, a
// remark). False when it holds fewer than kMinPhoneDigits digits, which nothing is matched by.
bool ParsePhoneNumber(std::string_view text, CPhoneNumber& number);
const size_t kMinPhoneDigits = 5;

// Whether two numbers are one: the same digits, or one international and one national number
// whose national parts agree.
bool IsSamePhoneNumber(const CPhoneNumber& a, const CPhoneNumber& b);

// The digit strings by which numbers are found: the digits as written (after a "+" or "00"),
// and for an international number also its national form with the trunk 0 ("+49 30 1234":
// "49301234" and "0301234"). A search finds a field when its written form stands in either of
// the field's forms, or its national form in the field's written one: "030 1234" finds
// "+49 30 1234", "+49 30 1234" finds "030 1234", but not "+43 30 1234".
struct CPhoneForms {
    std::string strWritten;
    std::string strNational; // empty unless the number is international
};
CPhoneForms PhoneForms(std::string_view text);
// Whether a search text is one for phone numbers: digits, blanks and + ( ) - . / only, with a
// digit among them.
bool IsPhoneSearchText(std::string_view text);
