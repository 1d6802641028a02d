// CCsvRowMapper: turns the rows of one CSV file into contacts by the names in its header row.
// Known columns fill their fields or give further values (a second number, a birthday, the
// categories), Google's numbered groups ("Phone 2 - Value") go by their types and labels, and
// an address that a file gives both whole and in parts is written once. For a header
// no table knows, columns whose names say what they hold (a name, an e-mail address, a phone)
// fill those fields where the values fit; every other value goes into the note under its
// column's name. One object per file; it keeps no state between rows.
#pragma once

#include "ImportReport.h"
#include "data/ContactArray.h"

#include <string>
#include <string_view>
#include <vector>

struct CCsvReadColumn;
struct CCsvGuess;
struct CCsvValueColumn;

class CCsvRowMapper {
public:
    CCsvRowMapper(const std::vector<std::string>& header, const CString& strFile);

    // True when a table knows one column of the header at least.
    bool IsKnownHeader() const { return m_bKnownHeader; }
    // The columns no table knows that were matched by their names, as "\"Mail\" (home
    // e-mail), ..."; empty when none was.
    std::string DescribeGuesses() const;

    // Appends the contact of the row that starts at line nLine; what it tells goes to report.
    // Rows may be mapped on several threads at once, each with a report of its own.
    void Map(const std::vector<std::string_view>& cells, int nLine, CContactArray& contacts,
             CImportReport& report) const;

private:
    std::vector<std::string> m_header;
    std::vector<const CCsvReadColumn*> m_columns;  // nullptr where no table knows the column
    std::vector<const CCsvGuess*> m_guesses;       // for the columns no table knows
    std::vector<const CCsvValueColumn*> m_valueColumns; // columns of further values
    std::vector<bool> m_unknownColumns;            // neither a table's nor one of a group
    std::vector<bool> m_workColumns;               // guessed columns whose names say "work"
    bool m_bHasColumn[CContact::kFieldCount] = {}; // fields the file has a column for
    bool m_bHasStreet[CContact::kFieldCount] = {}; // addresses the file has street columns for
    bool m_bKnownHeader = false;
    CString m_strFile;
};

// Why the first row of a file whose header no table knows is no header row at all ("it holds
// values, not column names", ...), or nullptr when it may be one.
const char* WhyNotAHeaderRow(const std::vector<std::string>& cells);
