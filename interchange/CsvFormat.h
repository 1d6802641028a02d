// Contacts as CSV files (RFC 4180) with the column sets other address books write and read.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"
#include "framework/core/WorkProgress.h"

#include <string>

enum class CsvColumns { outlook, google, thunderbird };

// The header row of the set, then one row per contact. Outlook and Google read UTF-8 only with a
// byte-order mark, so those files carry one.
std::string BuildCsv(const CContactArray& contacts, CsvColumns columns);

// Appends one contact per row. Columns are recognised by their names, in any order and from any
// of the known sets, Outlook's in several languages; unknown columns go into the note. A header
// row of no known set is read too, its columns matched by the words in their names, with one
// warning. UTF-8, UTF-16 with or without a byte-order mark, and Windows-1252 are read. False
// when the file is empty or its first line is no header row; strError then says why, and what
// the encoding may have to do with it.
// With pProgress, it says how far it has come and stops early when cancelled. The rows are
// mapped in nParts parts at once, or with 0 in as many as the processors and the size make
// worth it; the result is the same.
bool ReadCsv(const std::string& strData, const CString& strFile, CContactArray& contacts,
             CImportReport& report, CString& strError, CWorkProgress* pProgress = nullptr, int nParts = 0);
