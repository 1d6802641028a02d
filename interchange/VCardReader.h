// Reading vCards (2.1, 3.0 and 4.0, as phones and desktop programs write them) into contacts.
// Cards may be nested, folded, quoted-printable and in any character set; lines that are not
// properties are skipped with a warning naming their line, and the rest is imported.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"
#include "framework/core/WorkProgress.h"

#include <string>

// Appends one contact per card to contacts. False when the data holds no card at all;
// strError then says why. With pProgress, says how far it has read, and stops early when
// cancelled.
bool ReadVCards(const std::string& strData, const CString& strFile, CContactArray& contacts,
                CImportReport& report, CString& strError, CWorkProgress* pProgress = nullptr);
