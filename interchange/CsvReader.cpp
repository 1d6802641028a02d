#include "Charset.h"
#include "CharsetDetect.h"
#include "CsvFormat.h"
#include "CsvRowMapper.h"

#include "framework/core/ByteWords.h"
#include "framework/core/Parallel.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <string_view>

namespace {

// The records of a file, with the texts of all their cells in one string and the cells in one
// list, so that a large file makes no string or list for each row, let alone each cell. Only the
// cells that hold text are listed: most rows leave most columns empty.
struct CRecords {
    struct CCell {
        size_t nColumn;
        size_t nEnd; // in strText; the cell starts where the one before it in its row ends
    };
    struct CRow {
        size_t nFirstCell;
        size_t nTextStart; // where its first cell starts
        size_t nColumns;   // empty ones too
        int nLine;
    };
    std::string strText;
    std::vector<CCell> cells;
    std::vector<CRow> rows;

    size_t CellsEnd(size_t nRow) const {
        return nRow + 1 < rows.size() ? rows[nRow + 1].nFirstCell : cells.size();
    }
    bool HasText(size_t nRow) const { return CellsEnd(nRow) > rows[nRow].nFirstCell; }
    // A row's cells, as views of strText.
    void GetCells(size_t nRow, std::vector<std::string_view>& views) const {
        const CRow& row = rows[nRow];
        views.assign(row.nColumns, std::string_view());
        size_t nStart = row.nTextStart;
        for (size_t n = row.nFirstCell; n < CellsEnd(nRow); ++n) {
            views[cells[n].nColumn] = std::string_view(strText.data() + nStart, cells[n].nEnd - nStart);
            nStart = cells[n].nEnd;
        }
    }
    // The records of the text that follows this one's.
    void Append(const CRecords& next) {
        const size_t nText = strText.size(), nCells = cells.size();
        strText += next.strText;
        for (CCell cell : next.cells) {
            cells.push_back({cell.nColumn, cell.nEnd + nText});
        }
        for (CRow row : next.rows) {
            rows.push_back({row.nFirstCell + nCells, row.nTextStart + nText, row.nColumns, row.nLine});
        }
    }
};

// The file's text as UTF-8, and what the reading of it tells about its encoding. Text that is
// UTF-8 already, as most is, is read where it is instead of copied.
struct CCsvText {
    std::string_view unconverted; // the text when it is the data's own, after any UTF-8 mark
    bool bConverted = false;
    std::string strConverted;
    const char* pszDetected = nullptr; // not UTF-8, so read in the set its text is in

    std::string_view Text() const { return bConverted ? std::string_view(strConverted) : unconverted; }
};

CCsvText AsUtf8(const std::string& strData) {
    CCsvText text;
    if (size_t nMark = Utf8MarkLength(strData)) {
        text.unconverted = std::string_view(strData).substr(nMark);
        return text;
    }
    bool bLittleEndian = false;
    text.bConverted = true;
    if (HasByteOrderMark(strData)) {
        text.strConverted = strData;
        DecodeByteOrderMark(text.strConverted);
    } else if (FirstLineLooksUtf16(strData, bLittleEndian)) {
        text.strConverted = Utf16ToUtf8(strData, 0, bLittleEndian);
    } else if (IsValidUtf8(strData)) {
        text.unconverted = strData; // as most files
        text.bConverted = false;
    } else {
        // The code page the writing program used, which the file does not name.
        text.strConverted = GuessedTextToUtf8(strData, &text.pszDetected);
    }
    return text;
}

// What to tell a user whose file was refused about its encoding, when it may be the cause.
std::string EncodingHint(const CCsvText& text) {
    if (text.Text().find('\0') != std::string_view::npos) {
        return "; the file holds zero bytes, as UTF-16 or UTF-32 text does: save it as UTF-8, or as "
               "Unicode with a byte-order mark";
    }
    if (text.pszDetected) {
        return std::string("; the file is not UTF-8 and was read as ") + text.pszDetected +
               ": if it is in another encoding, save it as UTF-8";
    }
    return "";
}

// The separator of the header row: comma, or semicolon or tab where a regional setting chose one.
char DetectSeparator(std::string_view str) {
    std::string_view strFirst = str.substr(0, str.find_first_of("\r\n"));
    char chBest = ',';
    size_t nBest = 0;
    for (char c : {',', ';', '\t'}) {
        size_t n = 0;
        for (char d : strFirst) {
            n += d == c;
        }
        if (n > nBest) {
            nBest = n;
            chBest = c;
        }
    }
    return chBest;
}

// Appends the quoted value whose opening quote is at str[nQuote] to strValue and moves nEnd past
// its closing quote. False when it runs away: it reaches the end of the data (bDataEnd tells),
// or it crosses a line break and its closing quote is followed by more text instead of the end
// of the cell. Either means a quote that was never meant to open a value, and what follows it
// are rows.
bool ReadQuoted(std::string_view str, size_t nQuote, char chSeparator, std::string& strValue, size_t& nEnd,
                int& nLineBreaks, bool& bDataEnd) {
    nLineBreaks = 0;
    bDataEnd = false;
    for (size_t i = nQuote + 1; i < str.size(); ++i) {
        // The text up to the next quote is taken in one piece.
        size_t nRun = i;
        while (i < str.size() && str[i] != '"') {
            nLineBreaks += str[i] == '\n' || (str[i] == '\r' && (i + 1 == str.size() || str[i + 1] != '\n'));
            ++i;
        }
        strValue.append(str, nRun, i - nRun);
        if (i == str.size()) {
            break;
        }
        if (i + 1 < str.size() && str[i + 1] == '"') {
            strValue += '"';
            ++i;
        } else {
            nEnd = i + 1;
            size_t nNext = str.find_first_not_of(" \t", nEnd);
            bool bCellEnds = nNext == std::string::npos || str[nNext] == chSeparator || str[nNext] == '\r' ||
                             str[nNext] == '\n';
            return bCellEnds || nLineBreaks == 0;
        }
    }
    bDataEnd = true;
    return false;
}

// Where the unquoted cell that goes on at i ends: at the separator or line break from i on, or
// at the end. Eight bytes are looked at a time, as most of a file is in such cells.
size_t FindCellEnd(std::string_view str, size_t i, char chSeparator) {
    for (; i + sizeof(uint64_t) <= str.size(); i += sizeof(uint64_t)) {
        const uint64_t nEight = EightBytesAt(str.data() + i);
        const uint64_t nEnds = ZeroBytes(nEight ^ (kEachByte * static_cast<unsigned char>(chSeparator))) |
                               ZeroBytes(nEight ^ (kEachByte * '\r')) |
                               ZeroBytes(nEight ^ (kEachByte * '\n'));
        if (nEnds != 0) {
            return i + FirstMarkedByte(nEnds);
        }
    }
    while (i < str.size() && str[i] != chSeparator && str[i] != '\r' && str[i] != '\n') {
        ++i;
    }
    return i;
}

// The line breaks of str as the reader counts them: CR LF once.
int CountLineBreaks(std::string_view str) {
    int nCount = 0;
    for (size_t i = 0; i < str.size(); ++i) {
        nCount += str[i] == '\n' || (str[i] == '\r' && (i + 1 == str.size() || str[i + 1] != '\n'));
    }
    return nCount;
}

// The records of str from nStart, where a line starts that is line nLine, on. bDataEnd tells
// whether a quoted value ran to the end of str, where it may go on in the data that follows.
CRecords ParseRecords(std::string_view str, size_t nStart, int nLine, char chSeparator,
                      const CString& strFile, CImportReport& report, bool& bDataEnd) {
    CRecords records;
    // The cells' texts are never longer than the text they come from.
    records.strText.reserve(str.size() - nStart);
    std::string& strText = records.strText;
    CRecords::CRow row{0, 0, 0, nLine};
    bool bCellStarted = false;
    bDataEnd = false;
    size_t nTextQuote = std::string::npos; // a quote that ran away, read again as text
    auto endCell = [&]() {
        size_t nCellStart =
            records.cells.size() > row.nFirstCell ? records.cells.back().nEnd : row.nTextStart;
        if (strText.size() > nCellStart) {
            records.cells.push_back({row.nColumns, strText.size()});
        }
        ++row.nColumns;
        bCellStarted = false;
    };
    auto endRecord = [&]() {
        endCell();
        if (row.nColumns > 1 || records.cells.size() > row.nFirstCell) {
            records.rows.push_back(row);
        }
        row = {records.cells.size(), strText.size(), 0, nLine};
    };
    std::string strQuoted;
    for (size_t i = nStart; i < str.size(); ++i) {
        char c = str[i];
        if (c == '"' && !bCellStarted && i != nTextQuote) {
            size_t nEnd = 0;
            int nLineBreaks = 0;
            bool bQuoteAtEnd = false;
            strQuoted.clear();
            bool bRead = ReadQuoted(str, i, chSeparator, strQuoted, nEnd, nLineBreaks, bQuoteAtEnd);
            bDataEnd = bDataEnd || bQuoteAtEnd;
            if (bRead) {
                strText += strQuoted;
                nLine += nLineBreaks;
                bCellStarted = true;
                i = nEnd - 1;
            } else {
                report.Warn(strFile, nLine,
                            "a quoted value is not closed at the end of its row; its quote was read as text "
                            "and the lines after it as rows");
                nTextQuote = i--;
            }
        } else if (c == chSeparator) {
            endCell();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < str.size() && str[i + 1] == '\n') {
                ++i;
            }
            ++nLine;
            endRecord();
        } else {
            // Up to the cell's end in one piece; a quote inside an unquoted cell is kept as it is.
            size_t nRun = i;
            i = FindCellEnd(str, i + 1, chSeparator) - 1;
            strText.append(str.substr(nRun, i + 1 - nRun));
            bCellStarted = true;
        }
    }
    if (bCellStarted || row.nColumns > 0) {
        endRecord();
    }
    return records;
}

// The records of the whole text, in up to nParts parts at once (0: as many as the processors and
// the size make worth it). The parts are cut after line breaks; where a quoted value runs past a
// cut, its line break was no end of a record, and the text is read again in one piece.
CRecords ParseAllRecords(std::string_view text, const CString& strFile, CImportReport& report, int nParts) {
    const char chSeparator = DetectSeparator(text);
    std::vector<size_t> starts(1, 0);
    const int nWanted = nParts > 0 ? nParts : WorkParts(text.size(), kMinBytesPerPart);
    for (int k = 1; k < nWanted; ++k) {
        size_t nBreak = text.find('\n', std::max(starts.back(), PartStart(text.size(), k, nWanted)));
        if (nBreak == std::string_view::npos || nBreak + 1 >= text.size()) {
            break;
        }
        starts.push_back(nBreak + 1);
    }
    std::vector<CRecords> partRecords(starts.size());
    std::vector<CImportReport> partReports(starts.size());
    std::vector<char> partDataEnd(starts.size(), 0);
    RunParts(static_cast<int>(starts.size()), [&](int k) {
        const size_t nPart = static_cast<size_t>(k);
        const size_t nEnd = nPart + 1 < starts.size() ? starts[nPart + 1] : text.size();
        bool bDataEnd = false;
        partRecords[nPart] = ParseRecords(text.substr(0, nEnd), starts[nPart],
                                          1 + CountLineBreaks(text.substr(0, starts[nPart])), chSeparator,
                                          strFile, partReports[nPart], bDataEnd);
        partDataEnd[nPart] = bDataEnd && nPart + 1 < starts.size();
    });
    if (std::find(partDataEnd.begin(), partDataEnd.end(), 1) != partDataEnd.end()) {
        bool bDataEnd = false;
        return ParseRecords(text, 0, 1, chSeparator, strFile, report, bDataEnd);
    }
    CRecords records = std::move(partRecords[0]);
    for (size_t k = 0; k < starts.size(); ++k) {
        if (k > 0) {
            records.Append(partRecords[k]);
            partRecords[k] = CRecords();
        }
        report.Append(std::move(partReports[k]));
    }
    return records;
}

} // namespace

bool ReadCsv(const std::string& strData, const CString& strFile, CContactArray& contacts,
             CImportReport& report, CString& strError, CWorkProgress* pProgress, int nParts) {
    CCsvText text = AsUtf8(strData);
    const CRecords records = ParseAllRecords(text.Text(), strFile, report, nParts);
    if (records.rows.empty()) {
        strError.Format("%s: the file is empty", strFile.GetString());
        return false;
    }
    std::vector<std::string_view> cells;
    records.GetCells(0, cells);
    const std::vector<std::string> header(cells.begin(), cells.end());
    const CCsvRowMapper mapper(header, strFile);
    const char* pszNotAHeader = mapper.IsKnownHeader() ? nullptr : WhyNotAHeaderRow(header);
    if (pszNotAHeader) {
        strError.Format("%s:%d: the first line is not a header row: %s%s", strFile.GetString(),
                        records.rows[0].nLine, pszNotAHeader, EncodingHint(text).c_str());
        return false;
    }
    if (!mapper.IsKnownHeader()) {
        // Said once for the file: every row is read the same way.
        std::string strGuesses = mapper.DescribeGuesses();
        CString strText;
        strText.Format("no address book known here writes this header row; %s kept in the note under their "
                       "column names%s",
                       strGuesses.empty()
                           ? "no column was recognised by its name; the values of every column are"
                           : ("columns recognised by their names: " + strGuesses +
                              "; values that do not fit, and those of the other columns, are")
                                 .c_str(),
                       EncodingHint(text).c_str());
        report.Warn(strFile, records.rows[0].nLine, strText);
    } else if (std::string strGuesses = mapper.DescribeGuesses(); !strGuesses.empty()) {
        // A program's own columns that no table knows go into the note as they always did; a
        // column matched by its name is a guess the user is to know of.
        CString strText;
        strText.Format("columns no address book known here writes, recognised by their names: %s; a value "
                       "that does not fit is kept in the note under its column name",
                       strGuesses.c_str());
        report.Warn(strFile, records.rows[0].nLine, strText);
    }
    if (mapper.IsKnownHeader() && text.pszDetected && std::string_view(text.pszDetected) != kCharsetWindows1252) {
        // Windows-1252, which Western programs have always written, goes without a word; another
        // set is named, so that a user who sees odd letters knows what was assumed.
        CString strText;
        strText.Format("the file is not UTF-8 and names no character set; it was read as %s, which its "
                       "text is in: if it is in another encoding, save it as UTF-8",
                       text.pszDetected);
        report.Warn(strFile, records.rows[0].nLine, strText);
    }
    if (pProgress) {
        pProgress->SetTotal(static_cast<int64_t>(records.rows.size()));
    }
    // The rows are mapped in parts at once, each into contacts and a report of its own, which
    // then follow one another in the rows' order; the first part writes where the rest go.
    const size_t nRows = records.rows.size() - 1;
    nParts = nParts > 0 ? std::min(nParts, static_cast<int>(std::max<size_t>(nRows, 1)))
                        : WorkParts(nRows, kMinContactsPerPart);
    std::vector<CContactArray> partContacts(static_cast<size_t>(nParts));
    std::vector<CImportReport> partReports(static_cast<size_t>(nParts));
    RunParts(nParts, [&](int k) {
        CContactArray& out = k == 0 ? contacts : partContacts[static_cast<size_t>(k)];
        CImportReport& told = k == 0 ? report : partReports[static_cast<size_t>(k)];
        std::vector<std::string_view> rowCells;
        const size_t nBegin = 1 + PartStart(nRows, k, nParts), nEnd = 1 + PartStart(nRows, k + 1, nParts);
        // A row that holds text becomes a contact as a rule: the list grows once instead of
        // moving its contacts every time it doubles. Rows of nothing but separators are not
        // counted, so that a file of them asks for no room.
        size_t nWithText = 0;
        for (size_t i = nBegin; i < nEnd; ++i) {
            nWithText += records.HasText(i) ? 1 : 0;
        }
        out.Reserve(out.GetSize() + static_cast<int>(nWithText));
        for (size_t i = nBegin; i < nEnd; ++i) {
            if (pProgress && (i & 255) == 0) {
                pProgress->AddDone(256);
                if (pProgress->IsCancelled()) {
                    break;
                }
            }
            records.GetCells(i, rowCells);
            mapper.Map(rowCells, records.rows[i].nLine, out, told);
        }
    });
    for (int k = 1; k < nParts; ++k) {
        contacts.Append(std::move(partContacts[static_cast<size_t>(k)]));
        report.Append(std::move(partReports[static_cast<size_t>(k)]));
    }
    return true;
}
