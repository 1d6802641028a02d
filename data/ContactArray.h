// CContactArray: the program's one contact list, in list order. A contact's index is also the
// item data of its row in the list view.
#pragma once

#include "Contact.h"
#include "framework/core/Array.h"

#include <vector>

class CContactArray : public CArray<CContact> {
public:
    // Index of the first contact whose marked flag is set, or -1.
    int FindMarkedContact() const;
    // Reorders the contacts from nFirst on: position nFirst + k receives the contact now at
    // order[k]. Each contact moves once, without a second list; order is used up.
    void MoveIntoOrder(int nFirst, std::vector<int>& order);
};
