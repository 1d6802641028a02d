// Where a contact's further values live in a vCard, both ways: the property and types a value is
// read from, and the lines it is written as, so that what is written is what is read back. Name
// parts, departments and groups are components of the N, ORG and CATEGORIES lines, which the
// mapper and the card writer put together with the fields; a property with no place in the
// contact is kept as its whole line.
#pragma once

#include "ContactBuilder.h"
#include "VCardEscape.h"
#include "VCardProperty.h"
#include "data/ContactValue.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

// The property's value when it is a value of its own kind (a number, address, handle, date,
// related person or custom label; not a field's, a name part, a department, a group or the
// note): true when it is one. strDecoded is its value decoded, still escaped. A date that is no
// date gives false, and is kept as its line.
bool ValueOfProperty(const CVCardProperty& prop, std::string_view strDecoded, VCardVersion version,
                     CReadValue& value);

// The types of a number, e-mail address, web page or address as its value keeps them: lower
// case, "mobile" for CELL, without PREF and the defaults VOICE and INTERNET, joined by commas.
std::string ValueTypesOf(const CVCardProperty& prop);

// Whether the property is a line the card is made of rather than a value: VERSION, PRODID, REV.
bool IsCardFrame(const CVCardProperty& prop);

// The text a property with no place in the contact is kept as: its whole line, in UTF-8, without
// the parameters that said how its value was encoded.
std::string KeptLine(const CVCardProperty& prop, std::string_view strDecoded);

// "YYYY-MM-DD", or "--MM-DD" without a year, from the forms cards write dates in ("19800131",
// "1980-01-31", "--0131", "--01-31", with a time after them, or with the year Apple's
// X-APPLE-OMIT-YEAR names); false for a text that is none.
bool ParseCardDate(std::string_view strText, const std::string& strOmittedYear, std::string& strDate);

// One line of a card: its head (group, name, parameters) and its value, escaped; or, with bWhole,
// a kept line in strValue, written as it is.
struct CVCardValueLine {
    std::string strHead;
    std::string strValue;
    bool bWhole = false;
};

// The lines of a contact's values that have lines of their own (not the name parts, departments
// and groups), in the order of the values, as the version writes them. A label goes on an
// X-ABLABEL line in the value's own group, "itemN", numbered past the groups the kept lines use.
// The values at the indexes in skipped (the parts of the address fields) have no lines of their own.
// usedGroups (upper case) are groups the card holds already.
std::vector<CVCardValueLine> ValueLines(const std::vector<CContactValue>& values, VCardVersion version,
                                        const std::vector<int>& skipped = {},
                                        std::set<std::string> usedGroups = {});

// The head and value of an address field's line in the parts an address value holds.
CVCardValueLine AddressLine(const CContactValue& parts, VCardVersion version);

// The value of the N, ORG and CATEGORIES components the values give: the joined name parts at
// 2 (middle), 3 (prefix), 4 (suffix); the departments; the groups, escaped and joined by commas.
std::string JoinedValues(const std::vector<CContactValue>& values, EValueKind kind, VCardVersion version);

// The departments, each decoded, in order.
std::vector<std::string> ValueTexts(const std::vector<CContactValue>& values, EValueKind kind);

// The texts of a list (CATEGORIES, a component of N): the value split at the commas that are
// not escaped, each unescaped.
std::vector<std::string> SplitCategories(std::string_view strDecoded, VCardVersion version);
