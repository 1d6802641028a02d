// Maps the properties of one card onto the sixteen fields and the further values; a property
// the contact has no place for is kept as its line.
#pragma once

#include "ContactBuilder.h"
#include "VCardEscape.h"
#include "VCardProperty.h"

#include <vector>

#include <utility>

// What became of a card's properties, for a writer that changes the card in place.
struct CVCardFieldSources {
    CVCardFieldSources();

    // Every property that went for a field, whether it got it or found it taken (a second home
    // phone), in the card's order: its index in the properties and the field.
    std::vector<std::pair<size_t, int>> claims;
    // The property whose value a field holds (for the note, the first of those it joins); -1
    // when none. A name taken from the formatted name alone has none.
    int nSource[CContact::kFieldCount];
    // Per further value of the contact, the property it came from (N, ORG and CATEGORIES for
    // the values that share their lines); -1 for none.
    std::vector<int> valueSources;
};

// Room that a reader keeps from one card to the next, so that mapping card after card does not
// make it anew: the components of a structured value and a decoded value.
struct CVCardMapRoom {
    std::vector<std::string> parts;
    std::string strDecoded;
};

// strFile names the file in warnings about unknown character sets; version is the card's, which
// decides how its escapes are read (3.0 stands for 4.0 too). With pSources, also says which
// property went for which field.
void MapCard(const std::vector<CVCardProperty>& props, VCardVersion version, CContactBuilder& builder,
             CImportReport& report, const CString& strFile, CVCardFieldSources* pSources = nullptr);
// The same for the first nCount properties at pProps, in room.
void MapCard(const CVCardProperty* pProps, size_t nCount, VCardVersion version, CContactBuilder& builder,
             CImportReport& report, const CString& strFile, CVCardMapRoom& room);
