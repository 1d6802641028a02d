// The columns of the CSV sets: what each program writes, and what each known column holds.
#pragma once

#include "framework/core/String.h"

#include <string>
#include <vector>

// A column to write: the text of a field, or a fixed text when the field (or, for kAlways, every
// contact) has a value.
struct CCsvWriteColumn {
    const char* pszName;
    int nField;
    const char* pszFixed;
};
const int kAlways = -1;
const int kDisplayName = -2; // the display name of CExportedContact

// The columns written for each set, in the order the program writes them.
const std::vector<CCsvWriteColumn>& OutlookColumns();
const std::vector<CCsvWriteColumn>& GoogleColumns();
const std::vector<CCsvWriteColumn>& ThunderbirdColumns();

// Whether one of the programs whose sets are written here writes a column of this name (any
// case), whether or not it is read into a field.
bool IsProgramColumn(const std::string& strName);

// What a column that is read holds. An addressText column holds a whole address where the set
// has street columns besides (Outlook.com's "Home Address" next to "Home Street"), and a street
// line where it has none (Thunderbird's "Home Address" and "Home Address 2").
enum class CsvTarget { field, addressPart, addressText, displayName, middleName, ignoredDefault };
struct CCsvReadColumn {
    const char* pszName;
    CsvTarget target;
    int nField;           // field, or the address for addressPart
    int nPart;            // address part (0 box ... 6 country); the street may come in several
    const char* pszEmpty; // ignoredDefault: the value that means nothing
};
// The known column of that name (ignoring case), or nullptr: the English names and those that
// Outlook writes in other languages.
const CCsvReadColumn* FindCsvColumn(const std::string& strName);
// The columns in the header rows of German, French, Spanish, Italian, Dutch and Portuguese Outlook.
const std::vector<CCsvReadColumn>& LocalisedOutlookColumns();
