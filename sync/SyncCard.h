// The server's vCard of a synchronised contact, kept whole in the sync state beside the contact.
// A card is read into the sixteen fields the way an import reads it, except that what has no
// field stays in the card instead of going into the note; a local edit is written back by
// changing only the property lines behind those fields, so that photos, birthdays, groups,
// parameters and other clients' X- properties reach the server again untouched.
// Plain functions of their inputs; MakeCardUid alone asks the system for randomness.
#pragma once

#include "data/Contact.h"

#include <string>

// The contact a server's card shows in the sixteen fields, in stored form. Properties without a
// field stay in the card and are not put into the note; the card's NOTE is the note. Text that
// holds no card gives an empty contact.
CContact ContactFromCard(const std::string& strCard);

// The card with the contact's values in the properties behind the sixteen fields, and every
// other property, parameter, group and line as it was: a field whose value is unchanged leaves
// its line byte for byte. A new value of an empty field adds a property; an emptied field
// removes its value (the line, or its component of N or ORG); FN follows the name. REV, when the
// card has one, is brought up to date. Text that holds no card gives a new card.
std::string PatchCard(const std::string& strCard, const CContact& contact);

// A card for a contact that has none yet: vCard 3.0, CR LF, folded at 75 octets, with UID, FN
// and N.
std::string NewCard(const CContact& contact, const std::string& strUid);

// The card's UID value ("" when it has none).
std::string CardUid(const std::string& strCard);

// A new unique id for a card: a random UUID in lower case, from the system's random source.
std::string MakeCardUid();
