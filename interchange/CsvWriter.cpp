#include "CsvColumns.h"
#include "CsvFormat.h"
#include "CsvNoteBlock.h"
#include "CsvValueColumns.h"
#include "ExportedContact.h"

#include "framework/core/Parallel.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

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

// A further value's cell where the contact has one for the column, else the field's.
std::string CellOf(const CCsvWriteColumn& column, const CExportedContact& contact, const CCsvValueCells* pCells) {
    if (pCells) {
        auto found = pCells->cells.find(column.pszName);
        if (found != pCells->cells.end()) {
            return found->second;
        }
    }
    return CellText(column, contact);
}

// "Phone 12 - Value" is of the kind "Phone"; a column of no numbered group, of none.
std::string GroupKindOf(const std::string& strName) {
    size_t nDash = strName.find(" - ");
    size_t nSpace = nDash == std::string::npos || nDash == 0 ? std::string::npos : strName.rfind(' ', nDash - 1);
    return nSpace == std::string::npos ? std::string() : strName.substr(0, nSpace);
}

// Google's columns with the numbered groups the contacts need beyond the fixed ones, each after
// the groups of its kind, or of the kinds before it, as Google orders them.
std::vector<CCsvWriteColumn> WithGroups(std::vector<CCsvWriteColumn> columns, const std::map<std::string, int>& groups,
                                        std::deque<std::string>& names) {
    const std::vector<CGoogleGroupKind>& kinds = GoogleGroupKinds();
    for (size_t k = 0; k < kinds.size(); ++k) {
        auto found = groups.find(kinds[k].pszName);
        if (found == groups.end()) {
            continue;
        }
        size_t nAfter = 0;
        for (size_t i = 0; i < columns.size(); ++i) {
            const std::string strKind = GroupKindOf(columns[i].pszName);
            for (size_t j = 0; j <= k; ++j) {
                nAfter = strKind == kinds[j].pszName ? i + 1 : nAfter;
            }
        }
        std::vector<CCsvWriteColumn> added;
        for (int n = kinds[k].nFixed + 1; n <= kinds[k].nFixed + found->second; ++n) {
            const std::string strGroup = std::string(kinds[k].pszName) + " " + std::to_string(n) + " - ";
            names.push_back(strGroup + "Type");
            added.push_back({names.back().c_str(), kAlways, nullptr});
            for (const std::string& strPart : GoogleGroupParts(kinds[k])) {
                names.push_back(strGroup + strPart);
                added.push_back({names.back().c_str(), kAlways, nullptr});
            }
        }
        columns.insert(columns.begin() + static_cast<long>(nAfter), added.begin(), added.end());
    }
    return columns;
}

} // namespace

std::string BuildCsv(const CContactArray& contacts, CsvColumns set) {
    const std::vector<CCsvWriteColumn>& baseColumns = set == CsvColumns::outlook  ? OutlookColumns()
                                                      : set == CsvColumns::google ? GoogleColumns()
                                                                                  : ThunderbirdColumns();
    // Fields the set has no column for ride at the end of the note.
    bool bCarriesFields = false;
    for (const CNoteCarriedField& carried : NoteCarriedFields()) {
        bCarriesFields = bCarriesFields || !HasColumnFor(baseColumns, carried.nField);
    }
    // The further values' cells, made first: Google's header has as many numbered groups as the
    // contacts need.
    const size_t nContacts = static_cast<size_t>(contacts.GetSize());
    std::vector<std::unique_ptr<CCsvValueCells>> valueCells(nContacts);
    std::map<std::string, int> groups;
    for (size_t n = 0; n < nContacts; ++n) {
        const CContact& contact = contacts[static_cast<int>(n)];
        if (!contact.values.empty()) {
            valueCells[n] = std::make_unique<CCsvValueCells>();
            CsvValueCellsOf(contact, set, *valueCells[n]);
            for (const auto& group : valueCells[n]->groups) {
                groups[group.first] = std::max(groups[group.first], group.second);
            }
        }
    }
    std::deque<std::string> names; // of the groups' columns
    const std::vector<CCsvWriteColumn> columns = groups.empty() ? baseColumns : WithGroups(baseColumns, groups, names);
    std::string strOut = set == CsvColumns::thunderbird ? "" : "\xEF\xBB\xBF";
    for (size_t i = 0; i < columns.size(); ++i) {
        strOut += i ? "," : "";
        AppendCell(strOut, columns[i].pszName);
    }
    strOut += "\r\n";
    static const std::vector<CContactValue> s_none;
    AppendInParts(strOut, nContacts, kMinContactsPerPart, [&](size_t nFirst, size_t nEnd, std::string& strRows) {
        for (size_t n = nFirst; n < nEnd; ++n) {
            CExportedContact contact(contacts[static_cast<int>(n)]);
            const CCsvValueCells* pCells = valueCells[n].get();
            // Every note gets its block, an empty one too: a note that ends like a block needs
            // one that says where it ends.
            AppendCarriedBlock(contact.texts[CContact::fieldNote], contact.texts, bCarriesFields,
                               pCells ? pCells->carried : s_none);
            for (size_t i = 0; i < columns.size(); ++i) {
                strRows += i ? "," : "";
                AppendCell(strRows, CellOf(columns[i], contact, pCells));
            }
            strRows += "\r\n";
        }
    });
    return strOut;
}
