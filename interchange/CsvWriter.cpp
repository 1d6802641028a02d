#include "CsvColumns.h"
#include "CsvFormat.h"
#include "ExportedContact.h"

#include "framework/core/Parallel.h"

namespace {

void AppendCell(std::string& strOut, const std::string& strValue) {
    bool bQuote = strValue.find_first_of(",\"\r\n") != std::string::npos ||
                  (!strValue.empty() && (strValue.front() == ' ' || strValue.back() == ' '));
    if (!bQuote) {
        strOut += strValue;
        return;
    }
    strOut += '"';
    for (char c : strValue) {
        if (c == '"') {
            strOut += '"';
        }
        strOut += c;
    }
    strOut += '"';
}

bool HasColumnFor(const std::vector<CCsvWriteColumn>& columns, int nField) {
    for (const CCsvWriteColumn& column : columns) {
        if (column.nField == nField && column.pszFixed == nullptr) {
            return true;
        }
    }
    return false;
}

std::string CellText(const CCsvWriteColumn& column, const CExportedContact& contact) {
    if (column.nField == kDisplayName) {
        return contact.strDisplayName;
    }
    bool bHasValue = column.nField == kAlways || !contact.texts[column.nField].empty();
    if (column.pszFixed) {
        return bHasValue ? column.pszFixed : "";
    }
    return column.nField == kAlways ? std::string() : contact.texts[column.nField];
}

} // namespace

std::string BuildCsv(const CContactArray& contacts, CsvColumns set) {
    const std::vector<CCsvWriteColumn>& columns = set == CsvColumns::outlook  ? OutlookColumns()
                                                  : set == CsvColumns::google ? GoogleColumns()
                                                                              : ThunderbirdColumns();
    std::string strOut = set == CsvColumns::thunderbird ? "" : "\xEF\xBB\xBF";
    for (size_t i = 0; i < columns.size(); ++i) {
        strOut += i ? "," : "";
        AppendCell(strOut, columns[i].pszName);
    }
    strOut += "\r\n";
    // Fields the set has no column for ride at the end of the note.
    bool bCarries = false;
    for (const CNoteCarriedField& carried : NoteCarriedFields()) {
        bCarries = bCarries || !HasColumnFor(columns, carried.nField);
    }
    AppendInParts(strOut, static_cast<size_t>(contacts.GetSize()), kMinContactsPerPart,
                  [&](size_t nFirst, size_t nEnd, std::string& strRows) {
                      for (size_t n = nFirst; n < nEnd; ++n) {
                          CExportedContact contact(contacts[static_cast<int>(n)]);
                          if (bCarries) {
                              AppendCarriedFields(contact.texts[CContact::fieldNote], contact.texts);
                          }
                          for (size_t i = 0; i < columns.size(); ++i) {
                              strRows += i ? "," : "";
                              AppendCell(strRows, CellText(columns[i], contact));
                          }
                          strRows += "\r\n";
                      }
                  });
    return strOut;
}
