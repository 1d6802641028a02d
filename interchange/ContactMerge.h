// Adding imported contacts to an address book without doubling the ones it holds already.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"

// True when both have the same last and first name and share one phone number (compared by
// its digits) or e-mail address (ignoring case).
bool IsSameContact(const CContact& a, const CContact& b);

// The imported contacts that are new to book: one the book (or an earlier imported one) already
// holds is skipped and reported, unless bKeepDuplicates. Counts go to the report.
CContactArray SelectNewContacts(const CContactArray& book, const CContactArray& imported, bool bKeepDuplicates,
                                const CString& strFile, CImportReport& report);
