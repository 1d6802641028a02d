#include "PhoneNumber.h"

#include <cstring>

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

// The country calling codes of two digits; "1" and "7" have one, every other code three. The
// codes are prefix-free, so the first digits of an international number say how long its code is.
const char* const kTwoDigitCodes[] = {"20", "27", "30", "31", "32", "33", "34", "36", "39", "40", "41",
                                      "43", "44", "45", "46", "47", "48", "49", "51", "52", "53", "54",
                                      "55", "56", "57", "58", "60", "61", "62", "63", "64", "65", "66",
                                      "81", "82", "84", "86", "90", "91", "92", "93", "94", "95", "98"};

// Whether the two digits "ab" start a code of two, at a * 10 + b: every contact's numbers ask.
struct CTwoDigitTable {
    bool bTwo[100] = {};
    CTwoDigitTable() {
        for (const char* pszCode : kTwoDigitCodes) {
            bTwo[(pszCode[0] - '0') * 10 + (pszCode[1] - '0')] = true;
        }
    }
};

size_t CountryCodeLength(const std::string& strDigits) {
    static const CTwoDigitTable s_table;
    if (strDigits[0] == '1' || strDigits[0] == '7') {
        return 1;
    }
    // A number has more than two digits.
    return s_table.bTwo[(strDigits[0] - '0') * 10 + (strDigits[1] - '0')] ? 2 : 3;
}

} // namespace

bool ParsePhoneNumber(std::string_view text, CPhoneNumber& number) {
    // Cleared rather than replaced, so that a number parsed again keeps its texts' room.
    number.kind = CPhoneNumber::Kind::plain;
    number.strDigits.clear();
    number.strNational.clear();
    bool bPlus = false;
    for (char ch : text) {
        if (IsDigit(ch)) {
            number.strDigits += ch;
        } else if (IsLetter(ch) && !number.strDigits.empty()) {
            break; // "ext. 12", "x12", "(office)"
        } else if (ch == '+' && number.strDigits.empty()) {
            bPlus = true;
        }
    }
    if (!bPlus && number.strDigits.size() >= 2 && number.strDigits[0] == '0' && number.strDigits[1] == '0') {
        bPlus = true;
        number.strDigits.erase(0, 2);
    }
    if (number.strDigits.size() < kMinPhoneDigits) {
        return false;
    }
    if (bPlus) {
        number.kind = CPhoneNumber::Kind::international;
        number.strNational.assign(number.strDigits, CountryCodeLength(number.strDigits));
    } else if (number.strDigits[0] == '0') {
        number.kind = CPhoneNumber::Kind::national;
        number.strNational.assign(number.strDigits, 1);
    } else {
        number.strNational.assign(number.strDigits);
    }
    return true;
}

bool IsSamePhoneNumber(const CPhoneNumber& a, const CPhoneNumber& b) {
    if (a.strDigits == b.strDigits) {
        return true;
    }
    bool bOneOfEach =
        (a.kind == CPhoneNumber::Kind::international && b.kind == CPhoneNumber::Kind::national) ||
        (a.kind == CPhoneNumber::Kind::national && b.kind == CPhoneNumber::Kind::international);
    return bOneOfEach && a.strNational == b.strNational;
}

CPhoneForms PhoneForms(std::string_view text) {
    CPhoneForms forms;
    CPhoneNumber number;
    if (ParsePhoneNumber(text, number)) {
        forms.strWritten = number.strDigits;
        if (number.kind == CPhoneNumber::Kind::international) {
            forms.strNational = "0" + number.strNational;
        }
        return forms;
    }
    for (char ch : text) {
        if (IsDigit(ch)) {
            forms.strWritten += ch; // a few digits of a number
        }
    }
    return forms;
}

bool IsPhoneSearchText(std::string_view text) {
    bool bDigit = false;
    for (char ch : text) {
        if (IsDigit(ch)) {
            bDigit = true;
        } else if (!std::strchr(" +()-./", ch) || ch == '\0') {
            return false;
        }
    }
    return bDigit;
}
