// The order of the contact list: ascending by last name, then first name, ignoring case.
// Contacts whose names are equal apart from case trade places on every sort.
#pragma once

#include "ContactArray.h"

#include <vector>

// Nonzero when a must be exchanged with b, that is when b's name is lower than or equal to a's.
int CompareContacts(const CContact& a, const CContact& b);

// Sorts the list in place, in O(n log n) with each record moved once; true when any record
// moved. pOrder, when given and a record moved, receives where each one came from: the record
// now at k was at (*pOrder)[k].
bool SortContacts(CContactArray& contacts, std::vector<int>* pOrder = nullptr);
