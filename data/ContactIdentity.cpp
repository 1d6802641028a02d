#include "ContactIdentity.h"

#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstring>
#include <string_view>

const int kPhoneFields[4] = {CContact::fieldHomePhone, CContact::fieldMobile, CContact::fieldOfficePhone,
                             CContact::fieldOfficeFax};
const int kEmailFields[2] = {CContact::fieldHomeEMail, CContact::fieldOfficeEMail};

namespace {

template <typename T> void AddOnce(std::vector<T>& values, const T& value) {
    if (std::find(values.begin(), values.end(), value) == values.end()) {
        values.push_back(value);
    }
}

} // namespace

namespace {

// A field as DisplayText gives it, without a copy when the field holds neither character that a
// stored form starts with, which leaves DisplayText nothing to decode; else strBuffer holds it.
std::string_view DisplayView(const CContact& contact, int nField, std::string& strBuffer) {
    const std::string& str = contact.FieldAt(nField).GetStdString();
    for (char c : str) {
        if (c == kStoredQuote[0] || c == kStoredLineBreak[0]) {
            strBuffer = contact.DisplayText(nField).GetStdString();
            return strBuffer;
        }
    }
    return str;
}

// The first and last name, folded for matching.
std::string FoldedName(const CContact& contact) {
    std::string strFirst, strLast;
    std::string_view first = DisplayView(contact, CContact::fieldFirstName, strFirst);
    std::string_view last = DisplayView(contact, CContact::fieldLastName, strLast);
    std::string strName;
    strName.reserve(first.size() + 1 + last.size());
    strName.append(first).append(1, ' ').append(last);
    return FoldForMatching(strName);
}

// The words of a folded name, split at blanks and commas, as views of it.
void SplitWords(std::string_view text, std::vector<std::string_view>& words) {
    words.clear();
    size_t nStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == ',') {
            if (i > nStart) {
                words.push_back(text.substr(nStart, i - nStart));
            }
            nStart = i + 1;
        }
    }
}

// NameKey in strKey; strText and words are room that a caller may keep from one contact to the
// next, as may strKey.
void BuildNameKey(const CContact& contact, std::string& strKey, std::string& strText,
                  std::vector<std::string_view>& words) {
    // NameWords' words, sorted and joined, without a string for each word.
    strKey.clear();
    strText = FoldedName(contact);
    SplitWords(strText, words);
    if (words.empty()) {
        std::string strCompany = FoldForMatching(contact.DisplayText(CContact::fieldCompany).GetStdString());
        if (!strCompany.empty()) {
            strKey.append("company:").append(strCompany);
        }
        return;
    }
    std::sort(words.begin(), words.end());
    for (std::string_view word : words) {
        if (!strKey.empty()) {
            strKey += ' ';
        }
        strKey.append(word);
    }
}

} // namespace

std::vector<std::string> NameWords(const CContact& contact) {
    const std::string strText = FoldedName(contact);
    std::vector<std::string_view> views;
    SplitWords(strText, views);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string NameKey(const CContact& contact) {
    std::string strKey, strText;
    std::vector<std::string_view> words;
    BuildNameKey(contact, strKey, strText, words);
    return strKey;
}

namespace {

// strchr finds the terminating zero too, so a zero byte separates addresses as well.
bool IsAddressSeparator(char c) { return std::strchr(" ,;\t\r\n", c) != nullptr; }

// Calls fn with each address of both e-mail fields, lower case, in their order and repeats
// included, as a view that is valid during the call.
template <typename Fn> void ForEachEmailAddress(const CContact& contact, Fn fn) {
    std::string strDecoded, strText;
    for (int nField : kEmailFields) {
        strText.clear();
        AppendLowerUtf8(strText, DisplayView(contact, nField, strDecoded));
        size_t nStart = 0;
        for (size_t i = 0; i <= strText.size(); ++i) {
            if (i < strText.size() && !IsAddressSeparator(strText[i])) {
                continue;
            }
            std::string_view word(strText.data() + nStart, i - nStart);
            nStart = i + 1;
            // "Anna <anna@example.org>": the address is between the angle brackets.
            size_t nOpen = word.find('<');
            if (nOpen != std::string_view::npos) {
                word = word.substr(nOpen + 1, word.find('>', nOpen) - nOpen - 1);
            }
            if (word.find('@') != std::string_view::npos) {
                fn(word);
            }
        }
    }
}

} // namespace

std::vector<std::string> EmailAddresses(const CContact& contact) {
    std::vector<std::string> addresses;
    ForEachEmailAddress(contact, [&](std::string_view address) { AddOnce(addresses, std::string(address)); });
    return addresses;
}

namespace {

// PhoneNumbers into a list whose room is kept from one contact to the next.
void CollectPhoneNumbers(const CContact& contact, std::vector<CPhoneNumber>& numbers) {
    numbers.clear();
    CPhoneNumber number;
    for (int nField : kPhoneFields) {
        if (ParsePhoneNumber(contact.FieldAt(nField).GetString(), number) &&
            std::none_of(numbers.begin(), numbers.end(),
                         [&](const CPhoneNumber& other) { return other.strDigits == number.strDigits; })) {
            numbers.push_back(std::move(number));
        }
    }
}

} // namespace

std::vector<CPhoneNumber> PhoneNumbers(const CContact& contact) {
    std::vector<CPhoneNumber> numbers;
    CollectPhoneNumbers(contact, numbers);
    return numbers;
}

bool SharesAddressOrNumber(const CContact& a, const CContact& b) {
    std::vector<std::string> addressesOfB = EmailAddresses(b);
    for (const std::string& strAddress : EmailAddresses(a)) {
        if (std::find(addressesOfB.begin(), addressesOfB.end(), strAddress) != addressesOfB.end()) {
            return true;
        }
    }
    std::vector<CPhoneNumber> numbersOfB = PhoneNumbers(b);
    for (const CPhoneNumber& number : PhoneNumbers(a)) {
        for (const CPhoneNumber& other : numbersOfB) {
            if (IsSamePhoneNumber(number, other)) {
                return true;
            }
        }
    }
    return false;
}

bool IsSamePerson(const CContact& a, const CContact& b) {
    std::string strName = NameKey(a);
    return !strName.empty() && strName == NameKey(b) && SharesAddressOrNumber(a, b);
}

bool CPersonIndex::Collect(const CContact& contact) {
    BuildNameKey(contact, m_strName, m_strFolded, m_words);
    if (m_strName.empty()) {
        return false;
    }
    m_strName += '\x1F';
    m_strAddresses.clear();
    m_addressEnds.clear();
    ForEachEmailAddress(contact, [this](std::string_view address) {
        m_strAddresses.append(address);
        m_addressEnds.push_back(m_strAddresses.size());
    });
    CollectPhoneNumbers(contact, m_numbers);
    return true;
}

template <typename Fn> bool CPersonIndex::AnyKey(bool bOwn, Fn fn) {
    auto key = [&](char chKind, std::string_view strValue) {
        m_strKey.assign(m_strName);
        m_strKey += chKind;
        m_strKey.append(strValue);
        return fn(m_strKey);
    };
    size_t nStart = 0;
    for (size_t nEnd : m_addressEnds) {
        if (key('e', std::string_view(m_strAddresses).substr(nStart, nEnd - nStart))) {
            return true;
        }
        nStart = nEnd;
    }
    for (const CPhoneNumber& number : m_numbers) {
        if (key('d', number.strDigits)) {
            return true;
        }
        // An international number is kept under one mark and looked for under the other, so
        // that it meets national numbers only.
        bool bInternational = number.kind == CPhoneNumber::Kind::international;
        if ((bInternational || number.kind == CPhoneNumber::Kind::national) &&
            key(bInternational == bOwn ? 'i' : 'n', number.strNational)) {
            return true;
        }
    }
    return false;
}

void CPersonIndex::Keep() {
    AnyKey(true, [this](const std::string& strKey) {
        m_keys.Insert(strKey);
        return false;
    });
}

void CPersonIndex::Add(const CContact& contact) {
    if (Collect(contact)) {
        Keep();
    }
}

bool CPersonIndex::AddUnlessHeld(const CContact& contact) {
    if (!Collect(contact)) {
        return true;
    }
    // Every key is looked for before any is kept, so a contact never meets itself.
    if (AnyKey(false, [this](const std::string& strKey) { return m_keys.Contains(strKey); })) {
        return false;
    }
    Keep();
    return true;
}
