// Who a contact is, as duplicates are found: the name as a person compares it, the e-mail
// addresses, and the phone numbers. One place for these rules, used by the search for
// duplicates, by the merge, and by the import's check for contacts the book holds already.
#pragma once

#include "Contact.h"
#include "ContactArray.h"
#include "PhoneNumber.h"

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

// For each contact of imported, the contact that holds it already, or -1 for a new one. The
// contacts are counted the book's first, then imported's: a holder below book.GetSize() is the
// book's. A contact is held when it is the same person (IsSamePerson) as a contact of book or an
// earlier one of imported; one held by an earlier imported contact is held by what holds that
// one, so that every contact of one person goes to one place, and no holder is held itself. Of
// several holders, the one counted first.
std::vector<int> FindHoldingContacts(const CContactArray& book, const CContactArray& imported);

// The fields that hold phone numbers, in the order they are read.
extern const int kPhoneFields[4];
extern const int kEmailFields[2];
