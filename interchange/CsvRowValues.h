// The pieces of a CSV row that become a contact's further values: an address given whole, in
// parts or both; a value that fills its field while the field is free; Google's numbered groups.
// Used by CCsvRowMapper for one row at a time; nothing here keeps state between rows.
#pragma once

#include "ContactBuilder.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// One address as a row gives it: whole, in parts, or both. Each part keeps the name of its
// column for the note.
struct CAddressPiece {
    int nPart;              // as ComposeAddress orders them
    std::string_view label; // held by whoever collects the pieces, while they are taken
    std::string strValue;
};
struct CAddressForms {
    std::string strWhole;
    std::vector<CAddressPiece> pieces;
};

// The address's text: the whole one where the row gives it, else the one its parts compose. The
// parts the whole text does not hold go into the note, so that no part is lost and none is
// written twice. parts gets the address's parts where they make its text (the street alone
// where the row gives the text whole only).
std::string TakeAddress(CContactBuilder& builder, const CAddressForms& forms, std::vector<std::string>& parts);

// A value fills the field it would fill where that field is free (an address keeps its parts
// beside it); else, or with a label of the user's own, it is a further value.
void DeliverValue(CContactBuilder& builder, CReadValue value);

// The parts of one of Google's numbered groups ("Phone 2"), by part name ("Type", "Value").
typedef std::map<std::string, std::string> CGroupCells;
// Groups in their kind's order, and by number: "Phone 2" before "Phone 10".
struct CGroupOrder {
    bool operator()(const std::string& a, const std::string& b) const;
};
void ReadGoogleGroup(CContactBuilder& builder, const std::string& strGroup, CGroupCells cells);
