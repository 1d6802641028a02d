// Who a contact is, as duplicates are found: the name as a person compares it, the e-mail
// addresses, and the phone numbers. One place for these rules, used by the search for
// duplicates, by the merge, and by the import's check for contacts the book holds already.
#pragma once

#include "Contact.h"
#include "PhoneNumber.h"
#include "framework/core/TextSet.h"

#include <string>
#include <string_view>
#include <vector>

// The words of the first and last name together, folded, in their order.
std::vector<std::string> NameWords(const CContact& contact);

// The words of the first and last name together, folded (case, accents and blanks ignored) and
// in alphabetical order, so "Anna Meier" and "Meier, Anna" agree; for a contact with no name,
// "company:" and its company; empty for a contact with neither.
std::string NameKey(const CContact& contact);
// The e-mail addresses of both e-mail fields, lower case, each once: a field may hold several,
// separated by commas, semicolons or blanks, and "Name <address>" gives the address.
std::vector<std::string> EmailAddresses(const CContact& contact);
// The numbers of the phone and fax fields, each once.
std::vector<CPhoneNumber> PhoneNumbers(const CContact& contact);

// Whether the two contacts share an e-mail address or a phone number.
bool SharesAddressOrNumber(const CContact& a, const CContact& b);
// Whether two contacts are one person for certain: their names agree and they share an e-mail
// address or a phone number.
bool IsSamePerson(const CContact& a, const CContact& b);

// The people of a set of contacts, for finding at once whether another contact is one of them
// (IsSamePerson with any): each is kept as its name paired with each address and number (and
// with the national part of each number, so that national and international forms meet).
class CPersonIndex {
public:
    void Add(const CContact& contact);
    // Adds the contact unless the set holds the same person already; true when it was added.
    bool AddUnlessHeld(const CContact& contact);

private:
    // Reads the contact's name, addresses and numbers into the members below; false when it has
    // no name, which keeps it out of the set.
    bool Collect(const CContact& contact);
    // Calls fn with each key of the collected contact, those it is kept under (bOwn) or those
    // it is looked for under, until fn returns true; true when it did.
    template <typename Fn> bool AnyKey(bool bOwn, Fn fn);
    // Keeps the collected contact under its own keys.
    void Keep();

    CTextSet m_keys;
    // The collected contact, in texts kept from one contact to the next, so that a large import
    // builds its keys without allocating for each.
    std::string m_strName;
    std::string m_strFolded;               // the folded name the name key is made of
    std::vector<std::string_view> m_words; // its words
    std::string m_strAddresses; // the addresses one after another, each ending at m_addressEnds
    std::vector<size_t> m_addressEnds;
    std::vector<CPhoneNumber> m_numbers;
    std::string m_strKey;
};

// The fields that hold phone numbers, in the order they are read.
extern const int kPhoneFields[4];
extern const int kEmailFields[2];
