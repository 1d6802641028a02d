// The contacts of a book that are, or may be, one person, found in groups. Contacts whose names
// agree (NameKey) and that share an e-mail address or a phone number are one person for certain;
// the weaker groups are suggestions for the user: the same name with nothing shared and nothing
// that disagrees, or a shared address or number under different names. The search hashes what
// it compares, so it takes time in proportion to the book, never to pairs of contacts.
#pragma once

#include "ContactArray.h"

#include <vector>

enum class DuplicateReason {
    sameNameAndEmail,
    sameNameAndPhone,
    sameNameEmailAndPhone,
    sameName,
    sameEmailOtherName,
    samePhoneOtherName,
    chosen, // rows the user picked to merge
};

// "same name and e-mail", ...
const char* DuplicateReasonText(DuplicateReason reason);

struct CDuplicateGroup {
    std::vector<int> contacts; // indexes into the array, ascending, two at least
    DuplicateReason reason = DuplicateReason::chosen;

    // One person for certain: tbkutil merges these without asking.
    bool IsCertain() const {
        return reason == DuplicateReason::sameNameAndEmail || reason == DuplicateReason::sameNameAndPhone ||
               reason == DuplicateReason::sameNameEmailAndPhone;
    }
};

// The groups, the certain ones first, each group's contacts in the array's order. A contact is in
// one certain group at most; a suggestion may hold contacts of a certain group.
std::vector<CDuplicateGroup> FindDuplicates(const CContactArray& contacts, bool bCertainOnly = false);
