// Maps the properties of one card onto the sixteen fields; what has no field goes into the note.
#pragma once

#include "ContactBuilder.h"
#include "VCardEscape.h"
#include "VCardProperty.h"

#include <vector>

// strFile names the file in warnings about unknown character sets; version is the card's, which
// decides how its escapes are read (3.0 stands for 4.0 too).
void MapCard(const std::vector<CVCardProperty>& props, VCardVersion version, CContactBuilder& builder,
             CImportReport& report, const CString& strFile);
