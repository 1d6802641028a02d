// A contact as the file writers see it: the stored form decoded and every text in UTF-8, the
// encoding of all interchange files, with the name a file shows for the contact. Both the vCard
// and the CSV writer start from it, so the two never disagree about a contact's text.
#pragma once

#include "data/Contact.h"

#include <string>

struct CExportedContact {
    explicit CExportedContact(const CContact& stored);

    std::string texts[CContact::kFieldCount];
    std::string strDisplayName; // "First Last", else the company
};
