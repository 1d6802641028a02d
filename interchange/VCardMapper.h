// Maps the properties of one card onto the sixteen fields; what has no field goes into the note.
#pragma once

#include "ContactBuilder.h"
#include "VCardProperty.h"

#include <vector>

// strFile names the file in warnings about unknown character sets.
void MapCard(const std::vector<CVCardProperty>& props, CContactBuilder& builder, CImportReport& report,
             const CString& strFile);
