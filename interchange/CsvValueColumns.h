// The columns of the CSV sets that hold further values (a second number, a birthday, the
// categories, a middle name), the words Google's numbered groups type their values with, and the
// date forms of the sets. One table serves writing and reading, so that a value goes out only
// where it comes back from as it was.
#pragma once

#include "ContactBuilder.h"
#include "CsvFormat.h"
#include "data/Contact.h"

#include <map>
#include <string>
#include <vector>

enum class CsvValueFormat {
    text,        // the value's text, one value to the column
    isoDate,     // "YYYY-MM-DD", or "--MM-DD" without a year
    outlookDate, // "M/D/YYYY", or "M/D" without a year; read in the ISO forms too
    birthYear,   // a date in three columns
    birthMonth,
    birthDay,
    addressPart, // one part of an address whose other parts have columns beside it
    categories,  // every group, separated by ";"
    googleGroups // every group, separated by " ::: ", after Google's own "* myContacts"
};

struct CCsvValueColumn {
    const char* pszName;
    unsigned nSets; // the sets that write it, bits of 1 << CsvColumns
    EValueKind kind;
    const char* pszType;  // the value's type
    const char* pszLabel; // the value's label (Outlook's "User 1" is a custom value of that label)
    CsvValueFormat format;
    int nPart; // addressPart: which
};

// The value columns in the header rows of Outlook in other languages.
const std::vector<CCsvValueColumn>& LocalisedOutlookValueColumns();
// The known value column of that name (ignoring case), or nullptr: the English names, then
// those of other languages.
const CCsvValueColumn* FindCsvValueColumn(const std::string& strName);
// The value columns a set writes, in the order of its table.
std::vector<const CCsvValueColumn*> CsvValueColumnsOf(CsvColumns set);

// A date in the form of the column as the value's text ("1980-02-29", "--02-29"); false when
// the cell holds no date of that form.
bool ReadCsvDate(CsvValueFormat format, const std::string& strCell, std::string& strDate);
// The value's date in the column's form; empty when the text is no date.
std::string WriteCsvDate(CsvValueFormat format, const std::string& strDate);

// Google's numbered groups: "Phone 5 - Type", "Phone 5 - Value", ...
struct CGoogleGroupKind {
    const char* pszName;  // "Phone"
    EValueKind kind;
    int nFixed;           // groups the sixteen fields take, numbered first
    const char* pszParts; // the parts after the type, separated by '|'
};
const std::vector<CGoogleGroupKind>& GoogleGroupKinds();
// The names of a group's parts after its type: "Value", or "Service" and "Value", ...
std::vector<std::string> GoogleGroupParts(const CGoogleGroupKind& kind);
// The kind of a group's name ("phone", any case), or nullptr.
const CGoogleGroupKind* FindGoogleGroupKind(const std::string& strName);
// A group's Type cell as a value's type and label: a word Google uses for the kind gives the type,
// any other text is the user's own label; Google's mark of the main value ("* ") is dropped.
void ReadGoogleType(EValueKind kind, std::string strCell, std::string& strType, std::string& strLabel);
// The Type cell for a value's type and label; false when the cell cannot say both so that they
// read back as they are.
bool WriteGoogleType(EValueKind kind, const std::string& strType, const std::string& strLabel,
                     std::string& strCell);
// A messaging service as Google names it ("skype" is "Skype"), and back.
std::string GoogleService(const std::string& strType);
std::string ServiceOfGoogle(const std::string& strCell);

// The cells a row gives its further values, by column name, and the values no column of the set
// holds, which go into the note's block. nGroups counts, per Google group kind, the numbered
// groups the row needs beyond the fixed ones.
struct CCsvValueCells {
    std::map<std::string, std::string> cells;
    std::vector<CContactValue> carried;
    std::map<std::string, int> groups;
};
void CsvValueCellsOf(const CContact& contact, CsvColumns set, CCsvValueCells& out);
