// The address book file's vocabulary, shared by its tolerant reader and its quick reader: which
// element of an entry sets what, and how an id is read. A new element of an entry is named here.
#pragma once

#include <string_view>

// What an element of an entry sets: a contact field (0 to CContact::kFieldCount - 1), the id, or
// nothing.
const int kNoField = -1;
const int kIdField = -2;

// The element names of the file.
constexpr std::string_view kEntryElement = "entry";
constexpr std::string_view kIdElement = "id";
constexpr std::string_view kValueAttribute = "value";

// What an element named so sets. nExpected, the field a writer puts next, is tried first.
int FieldOfElement(std::string_view name, int nExpected = kNoField);

// The number of an id element: leading white space, an optional sign and decimal digits, as
// the runtime's atoi reads them; anything else ends the number, and values beyond the integer
// range are clamped.
int ParseIdValue(const char* pszText);
