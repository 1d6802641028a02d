// Groups kept as cards of their own on a CardDAV server, beside the CATEGORIES of each contact's
// card: a vCard 4 card of KIND:group with one MEMBER line per member, or the older form of
// X-ADDRESSBOOKSERVER-KIND:group with X-ADDRESSBOOKSERVER-MEMBER lines (vCard 3.0). A member is
// named by its card's UID as "urn:uuid:<UID>"; members named otherwise (mailto: and other URIs)
// are left as they are. The sync reads such a card as a group of the contacts it names, never as
// a contact (SyncGroupCards.cpp holds its steps); these are the plain functions of a card's text
// beneath them.
#pragma once

#include "framework/core/String.h"

#include <string>
#include <vector>

// Whether the card is a group card, in either form.
bool IsGroupCard(const std::string& strCard);

// The group's name: the card's FN, in the stored form of a group value ("" when it has none).
CString GroupCardName(const std::string& strCard);

// The UIDs of the members the card names by "urn:uuid:", in its order, in either form.
std::vector<std::string> GroupCardMemberUids(const std::string& strCard);

// The form in which a member's UID and a card's UID compare: without "urn:uuid:", in lower case.
std::string MemberKey(const std::string& strUid);

// The card with the members of strAdd it does not name yet added, one line each in the card's own
// form (after its last member line, or before its END:VCARD), and every line naming a member of
// strRemove taken out; every other byte stays as it was. Unchanged text when there is nothing to do.
std::string ChangeGroupCardMembers(const std::string& strCard, const std::vector<std::string>& strAdd,
                                   const std::vector<std::string>& strRemove);
