// Contacts as CSV files (RFC 4180) with the column sets other address books write and read.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"

#include <string>

enum class CsvColumns { outlook, google, thunderbird };

// The header row of the set, then one row per contact. Outlook and Google read UTF-8 only with a
// byte-order mark, so those files carry one.
std::string BuildCsv(const CContactArray& contacts, CsvColumns columns);

// Appends one contact per row. Columns are recognised by their names, in any order and from any
// of the known sets; unknown columns go into the note. False when the file has no header row of
// a known set; strError then says why.
bool ReadCsv(const std::string& strData, const CString& strFile, CContactArray& contacts,
             CImportReport& report, CString& strError);
