// The address book file's vocabulary, shared by its tolerant reader, its quick reader and its
// writer: which element of an entry sets what, how an id is read, and how a further value is
// read and written. A new element of an entry is named here.
//
// An entry holds its sixteen field elements first, as every version writes them, and then one
// element for each further value, which a reader that knows only the fields passes over:
//   <phone type="mobile" label="Holidays" value="+44 7700 900123"/>
//   <address type="work" street="1 Main St" locality="Leeds" postalcode="LS1 1AA"/>
#pragma once

#include "ContactValue.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What an element of an entry sets: a contact field (0 to CContact::kFieldCount - 1), the id, or
// nothing.
const int kNoField = -1;
const int kIdField = -2;

// The element names of the file.
constexpr std::string_view kEntryElement = "entry";
constexpr std::string_view kIdElement = "id";
constexpr std::string_view kValueAttribute = "value";
constexpr std::string_view kTypeAttribute = "type";
constexpr std::string_view kLabelAttribute = "label";

// What an element named so sets. nExpected, the field a writer puts next, is tried first.
int FieldOfElement(std::string_view name, int nExpected = kNoField);

// The number of an id element: leading white space, an optional sign and decimal digits, as
// the runtime's atoi reads them; anything else ends the number, and values beyond the integer
// range are clamped.
int ParseIdValue(const char* pszText);

// An element's attributes as a reader finds them, name and value, in the file's order.
using CElementAttributes = std::vector<std::pair<std::string_view, std::string_view>>;

// The further value an element of an entry holds; false when it holds none (a field, the id, or
// an element this version does not know). Attributes it does not know are passed over.
bool ValueOfElement(std::string_view name, const CElementAttributes& attributes, CContactValue& value);

// The address part an attribute of that name holds; -1 for none.
int AddressPartOfAttribute(std::string_view name);

// Appends the value's element as the writer lays it out: three tabs, the element, CR LF.
void AppendValueElement(std::string& out, const CContactValue& value);
