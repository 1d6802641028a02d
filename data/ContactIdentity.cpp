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

// The first and last name, folded for matching.
std::string FoldedName(const CContact& contact) {
    return FoldForMatching(contact.DisplayText(CContact::fieldFirstName).GetStdString() + " " +
                           contact.DisplayText(CContact::fieldLastName).GetStdString());
}

// The words of a folded name, split at blanks and commas, as views of it.
std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    size_t nStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ' || text[i] == ',') {
            if (i > nStart) {
                words.push_back(text.substr(nStart, i - nStart));
            }
            nStart = i + 1;
        }
    }
    return words;
}

} // namespace

std::vector<std::string> NameWords(const CContact& contact) {
    const std::string strText = FoldedName(contact);
    std::vector<std::string> words;
    for (std::string_view word : SplitWords(strText)) {
        words.emplace_back(word);
    }
    return words;
}

std::string NameKey(const CContact& contact) {
    // NameWords' words, sorted and joined, without a string for each word.
    const std::string strText = FoldedName(contact);
    std::vector<std::string_view> words = SplitWords(strText);
    if (words.empty()) {
        std::string strCompany = FoldForMatching(contact.DisplayText(CContact::fieldCompany).GetStdString());
        return strCompany.empty() ? strCompany : "company:" + strCompany;
    }
    std::sort(words.begin(), words.end());
    std::string strKey;
    strKey.reserve(strText.size());
    for (std::string_view word : words) {
        if (!strKey.empty()) {
            strKey += ' ';
        }
        strKey.append(word);
    }
    return strKey;
}

std::vector<std::string> EmailAddresses(const CContact& contact) {
    std::vector<std::string> addresses;
    for (int nField : kEmailFields) {
        std::string strText = LowerUtf8(contact.DisplayText(nField).GetStdString());
        size_t nStart = 0;
        for (size_t i = 0; i <= strText.size(); ++i) {
            if (i < strText.size() && !std::strchr(" ,;\t\r\n", strText[i])) {
                continue;
            }
            std::string strWord = strText.substr(nStart, i - nStart);
            nStart = i + 1;
            // "Anna <anna@example.org>": the address is between the angle brackets.
            size_t nOpen = strWord.find('<');
            if (nOpen != std::string::npos) {
                strWord = strWord.substr(nOpen + 1, strWord.find('>', nOpen) - nOpen - 1);
            }
            if (strWord.find('@') != std::string::npos) {
                AddOnce(addresses, strWord);
            }
        }
    }
    return addresses;
}

std::vector<CPhoneNumber> PhoneNumbers(const CContact& contact) {
    std::vector<CPhoneNumber> numbers;
    for (int nField : kPhoneFields) {
        CPhoneNumber number;
        if (ParsePhoneNumber(contact.FieldAt(nField).GetString(), number) &&
            std::none_of(numbers.begin(), numbers.end(),
                         [&](const CPhoneNumber& other) { return other.strDigits == number.strDigits; })) {
            numbers.push_back(number);
        }
    }
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

namespace {

// The keys a contact is kept under (pOwn) or looked for under (pLookup): its name with each
// address, with each number's digits, and with the national part of each number, which an
// international number keeps under one mark and looks for under the other, so that it meets
// national numbers only. Both sets are made in one pass when both are asked for.
void PersonKeys(const CContact& contact, std::vector<std::string>* pOwn, std::vector<std::string>* pLookup) {
    std::string strName = NameKey(contact);
    if (strName.empty()) {
        return;
    }
    strName += '\x1F';
    auto key = [&](char chKind, const std::string& strValue) {
        std::string strKey;
        strKey.reserve(strName.size() + 1 + strValue.size());
        strKey += strName;
        strKey += chKind;
        strKey += strValue;
        return strKey;
    };
    auto add = [&](std::string strKey) {
        if (pOwn && pLookup) {
            pOwn->push_back(strKey);
        }
        (pLookup ? pLookup : pOwn)->push_back(std::move(strKey));
    };
    for (const std::string& strAddress : EmailAddresses(contact)) {
        add(key('e', strAddress));
    }
    for (const CPhoneNumber& number : PhoneNumbers(contact)) {
        add(key('d', number.strDigits));
        bool bInternational = number.kind == CPhoneNumber::Kind::international;
        if (bInternational || number.kind == CPhoneNumber::Kind::national) {
            if (pOwn) {
                pOwn->push_back(key(bInternational ? 'i' : 'n', number.strNational));
            }
            if (pLookup) {
                pLookup->push_back(key(bInternational ? 'n' : 'i', number.strNational));
            }
        }
    }
}

} // namespace

void CPersonIndex::Add(const CContact& contact) {
    std::vector<std::string> own;
    PersonKeys(contact, &own, nullptr);
    for (std::string& strKey : own) {
        m_keys.insert(std::move(strKey));
    }
}

bool CPersonIndex::AddUnlessHeld(const CContact& contact) {
    std::vector<std::string> own;
    std::vector<std::string> lookup;
    own.reserve(8);
    lookup.reserve(8);
    PersonKeys(contact, &own, &lookup);
    if (std::any_of(lookup.begin(), lookup.end(),
                    [&](const std::string& strKey) { return m_keys.count(strKey) > 0; })) {
        return false;
    }
    for (std::string& strKey : own) {
        m_keys.insert(std::move(strKey));
    }
    return true;
}
