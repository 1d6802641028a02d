// Adding imported contacts to an address book without doubling the ones it holds already, and
// without losing a value of the ones it leaves out.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"

#include <vector>

// What an import does to a book: the contacts it adds, and the book's contacts that gain values.
struct CImportSelection {
    CContactArray added;          // new contacts, in the order read
    std::vector<int> replaced;    // indexes of the book's contacts that gained values
    std::vector<CContact> merged; // those contacts with what they gained, in the same order
};

// Sorts the imported contacts against the book. One that is the same person (IsSamePerson) as a
// contact of the book, or of the import before it, is merged into that contact (MergeInto) when
// it holds a value that contact lacks, else skipped; either is counted and named in the report.
// With bKeepDuplicates every contact is added as it is. Each report names the file the contact
// came from.
CImportSelection SelectNewContacts(const CContactArray& book, CContactArray imported, bool bKeepDuplicates,
                                   const CImportSources& sources, CImportReport& report);
