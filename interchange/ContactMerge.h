// Adding imported contacts to an address book without doubling the ones it holds already.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"

// The imported contacts that are new to book: one that is the same person (IsSamePerson) as a
// contact of the book, or of the import before it, is skipped and reported, unless
// bKeepDuplicates. Counts go to the report.
CContactArray SelectNewContacts(const CContactArray& book, CContactArray imported, bool bKeepDuplicates,
                                const CString& strFile, CImportReport& report);
