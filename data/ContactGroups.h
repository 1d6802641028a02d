// The groups a book's contacts belong to: each contact's group values, by name. A group exists
// while a contact names it; two names that differ only in case are one group, shown as the
// first contact spelled it. Portable: the window's group filter and tbkutil use the same rules.
#pragma once

#include "ContactArray.h"

#include <string>
#include <vector>

struct CGroupCount {
    CString name; // stored form, as the contact holds it
    int nContacts = 0;
};

// The book's groups in the order a person looks them up (case and accents aside), each with how
// many contacts are in it.
std::vector<CGroupCount> CountGroups(const CContactArray& contacts);
// How many contacts are in no group.
int CountUngrouped(const CContactArray& contacts);
// Whether the contact is in the group of that name (case aside).
bool IsInGroup(const CContact& contact, const CString& strGroup);
// The key two group names share when they are one group.
std::string GroupKey(const CString& strGroup);
