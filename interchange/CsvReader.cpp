#include "Charset.h"
#include "ContactBuilder.h"
#include "CsvColumns.h"
#include "CsvFormat.h"

#include <map>

namespace {

struct CRecord {
    std::vector<std::string> cells;
    int nLine = 0;
};

std::string AsUtf8(std::string strData) {
    // Without a mark: UTF-8 when it is, else the code page older programs write.
    return DecodeByteOrderMark(strData) ? strData : GuessedTextToUtf8(strData);
}

// The separator of the header row: comma, or semicolon or tab where a regional setting chose one.
char DetectSeparator(const std::string& str) {
    size_t nEnd = str.find_first_of("\r\n");
    std::string strFirst = str.substr(0, nEnd);
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

std::vector<CRecord> ParseRecords(const std::string& str, const CString& strFile, CImportReport& report) {
    char chSeparator = DetectSeparator(str);
    std::vector<CRecord> records;
    CRecord record;
    std::string strCell;
    bool bQuoted = false;
    bool bCellStarted = false;
    int nLine = 1;
    int nQuoteLine = 0;
    record.nLine = 1;
    auto endRecord = [&]() {
        record.cells.push_back(strCell);
        strCell.clear();
        bCellStarted = false;
        bool bEmpty = record.cells.size() == 1 && record.cells[0].empty();
        if (!bEmpty) {
            records.push_back(record);
        }
        record.cells.clear();
        record.nLine = nLine;
    };
    for (size_t i = 0; i < str.size(); ++i) {
        char c = str[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < str.size() && str[i + 1] == '"') {
                strCell += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                nLine += c == '\n';
                strCell += c;
            }
        } else if (c == '"' && !bCellStarted) {
            bQuoted = true;
            bCellStarted = true;
            nQuoteLine = nLine;
        } else if (c == chSeparator) {
            record.cells.push_back(strCell);
            strCell.clear();
            bCellStarted = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < str.size() && str[i + 1] == '\n') {
                ++i;
            }
            ++nLine;
            endRecord();
        } else {
            strCell += c; // a quote inside an unquoted cell is kept as it is
            bCellStarted = true;
        }
    }
    if (bQuoted) {
        report.Warn(strFile, nQuoteLine,
                    "a quoted value is not closed; the rest of the file was read into it");
    }
    if (bCellStarted || !record.cells.empty()) {
        endRecord();
    }
    return records;
}

std::string Lower(std::string str) {
    for (char& c : str) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return str;
}

// "Phone 2 - Value" gives group "Phone", number "2" and part "Value".
bool SplitGroupColumn(const std::string& strName, std::string& strGroup, std::string& strPart) {
    size_t nDash = strName.find(" - ");
    size_t nSpace = nDash == std::string::npos ? std::string::npos : strName.rfind(' ', nDash - 1);
    if (nSpace == std::string::npos || nSpace + 1 >= nDash) {
        return false;
    }
    for (size_t i = nSpace + 1; i < nDash; ++i) {
        if (strName[i] < '0' || strName[i] > '9') {
            return false;
        }
    }
    strGroup = strName.substr(0, nDash);
    strPart = strName.substr(nDash + 3);
    return true;
}

typedef std::map<std::string, std::string> Attributes; // part name to value

class CRowMapper {
public:
    CRowMapper(const std::vector<std::string>& header, const CString& strFile, CImportReport& report)
        : m_header(header), m_strFile(strFile), m_report(report) {
        for (const std::string& strName : header) {
            const CCsvReadColumn* pColumn = FindCsvColumn(CString(strName.c_str()));
            m_columns.push_back(pColumn);
            if (pColumn && pColumn->target == CsvTarget::field) {
                m_bHasColumn[pColumn->nField] = true;
            }
            std::string strGroup, strPart;
            m_bKnownHeader = m_bKnownHeader || pColumn || SplitGroupColumn(strName, strGroup, strPart);
        }
    }

    bool IsKnownHeader() const { return m_bKnownHeader; }

    void Map(const CRecord& record, CContactArray& contacts) {
        CContactBuilder builder(m_report, m_strFile, record.nLine);
        std::vector<std::string> addresses[CContact::kFieldCount];
        std::map<std::string, Attributes> groups;
        std::string strDisplay, strMiddle, strNotes;
        for (size_t i = 0; i < record.cells.size(); ++i) {
            const std::string& strValue = record.cells[i];
            if (strValue.empty()) {
                continue;
            }
            if (i >= m_header.size()) {
                builder.AddToNote("Column " + std::to_string(i + 1), strValue);
                continue;
            }
            const CCsvReadColumn* pColumn = m_columns[i];
            std::string strGroup, strPart;
            if (!pColumn && SplitGroupColumn(m_header[i], strGroup, strPart)) {
                groups[strGroup][strPart] = strValue;
            } else if (!pColumn) {
                builder.AddToNote(m_header[i], strValue);
            } else if (pColumn->target == CsvTarget::field && pColumn->nField == CContact::fieldNote) {
                strNotes = strValue;
            } else if (pColumn->target == CsvTarget::field) {
                builder.SetField(pColumn->nField, strValue);
            } else if (pColumn->target == CsvTarget::addressPart) {
                std::vector<std::string>& parts = addresses[pColumn->nField];
                parts.resize(7);
                std::string& strPartText = parts[static_cast<size_t>(pColumn->nPart)];
                strPartText = Join({strPartText, strValue}, "\r\n");
            } else if (pColumn->target == CsvTarget::displayName) {
                strDisplay = strValue;
            } else if (pColumn->target == CsvTarget::middleName) {
                strMiddle = strValue;
            } else if (strValue != pColumn->pszEmpty) {
                builder.AddToNote(m_header[i], strValue);
            }
        }
        for (int nField : {CContact::fieldHomeAddress, CContact::fieldOfficeAddress}) {
            builder.SetField(nField, ComposeAddress(addresses[nField]));
        }
        for (const auto& group : groups) {
            Group(builder, group.first, group.second);
        }
        builder.AppendNote(TakeCarried(builder, strNotes));
        builder.ApplyDisplayName(strDisplay, strMiddle);
        builder.AddToNote("Middle name", strMiddle);
        CContact contact;
        if (builder.Finish(contact)) {
            contacts.Add(contact);
        }
    }

private:
    // Fields the file has no column for come back from the end of the note.
    std::string TakeCarried(CContactBuilder& builder, std::string strNotes) {
        bool bCarried = true;
        for (const CNoteCarriedField& carried : NoteCarriedFields()) {
            bCarried = bCarried && !m_bHasColumn[carried.nField];
        }
        std::string values[CContact::kFieldCount];
        if (bCarried && TakeCarriedFields(strNotes, values)) {
            for (const CNoteCarriedField& carried : NoteCarriedFields()) {
                builder.SetField(carried.nField, values[carried.nField]);
            }
        }
        return strNotes;
    }

    // Work values to the office field, home ones to the home field, others to the home field
    // when it is free and otherwise into the note.
    void Typed(CContactBuilder& builder, const std::string& strType, int nHome, int nWork,
               const std::string& strLabel, const std::string& strValue) {
        if (strType == "work") {
            builder.SetField(nWork, strValue);
        } else if (strType == "home" || strType == "home page" || !builder.IsFieldSet(nHome)) {
            builder.SetField(nHome, strValue);
        } else {
            builder.AddToNote(strType.empty() ? strLabel : strLabel + " (" + strType + ")", strValue);
        }
    }

    void Group(CContactBuilder& builder, const std::string& strGroup, Attributes attributes) {
        std::string strType = attributes["Type"];
        if (strType.compare(0, 2, "* ") == 0) {
            strType.erase(0, 2);
        }
        strType = Lower(strType);
        std::string strKind = Lower(strGroup.substr(0, strGroup.rfind(' ')));
        attributes.erase("Type");
        // Several values of one kind share a cell, separated by " ::: ".
        std::vector<std::string> values;
        std::string strValue = attributes["Value"];
        for (size_t nStart = 0; !strValue.empty();) {
            size_t nSep = strValue.find(" ::: ", nStart);
            values.push_back(strValue.substr(nStart, nSep - nStart));
            if (nSep == std::string::npos) {
                break;
            }
            nStart = nSep + 5;
        }
        for (const std::string& strOne : values) {
            if (strKind == "e-mail") {
                Typed(builder, strType, CContact::fieldHomeEMail, CContact::fieldOfficeEMail, "E-mail",
                      strOne);
            } else if (strKind == "website") {
                Typed(builder, strType, CContact::fieldHomeWWW, CContact::fieldOfficeWWW, "Web page", strOne);
            } else if (strKind == "phone" && strType == "mobile") {
                builder.SetField(CContact::fieldMobile, strOne);
            } else if (strKind == "phone" && strType == "work fax") {
                builder.SetField(CContact::fieldOfficeFax, strOne);
            } else if (strKind == "phone" && (strType == "home" || strType == "work" || strType.empty())) {
                Typed(builder, strType, CContact::fieldHomePhone, CContact::fieldOfficePhone, "Phone",
                      strOne);
            } else if (strKind == "phone") {
                builder.AddToNote("Phone (" + strType + ")", strOne);
            } else {
                builder.AddToNote(strGroup + (strType.empty() ? "" : " (" + strType + ")"), strOne);
            }
        }
        attributes.erase("Value");
        if (strKind == "address") {
            std::string strText = attributes["Formatted"];
            if (strText.empty()) {
                strText = ComposeAddress({attributes["PO Box"], attributes["Extended Address"],
                                          attributes["Street"], attributes["City"], attributes["Region"],
                                          attributes["Postal Code"], attributes["Country"]});
            }
            Typed(builder, strType, CContact::fieldHomeAddress, CContact::fieldOfficeAddress, "Address",
                  strText);
            return;
        }
        if (strKind == "organization") {
            builder.SetField(CContact::fieldCompany, attributes["Name"]);
            builder.SetField(CContact::fieldJobTitle, attributes["Title"]);
            attributes.erase("Name");
            attributes.erase("Title");
        }
        for (const auto& attribute : attributes) {
            builder.AddToNote(strGroup + " " + attribute.first, attribute.second);
        }
    }

    std::vector<std::string> m_header;
    std::vector<const CCsvReadColumn*> m_columns;
    bool m_bHasColumn[CContact::kFieldCount] = {};
    bool m_bKnownHeader = false;
    CString m_strFile;
    CImportReport& m_report;
};

} // namespace

bool ReadCsv(const std::string& strData, const CString& strFile, CContactArray& contacts,
             CImportReport& report, CString& strError) {
    std::vector<CRecord> records = ParseRecords(AsUtf8(strData), strFile, report);
    if (records.empty()) {
        strError.Format("%s: the file is empty", strFile.GetString());
        return false;
    }
    CRowMapper mapper(records[0].cells, strFile, report);
    if (!mapper.IsKnownHeader()) {
        strError.Format("%s:%d: the first line is not a known header row (no column such as \"First Name\", "
                        "\"Last Name\" or \"E-mail Address\")",
                        strFile.GetString(), records[0].nLine);
        return false;
    }
    for (size_t i = 1; i < records.size(); ++i) {
        mapper.Map(records[i], contacts);
    }
    return true;
}
