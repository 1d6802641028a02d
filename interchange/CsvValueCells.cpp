// Which column of a set each further value of a contact goes into. A value goes into a column
// only when reading the column gives it back as it is; any other goes into the note's block.
#include "CsvValueColumns.h"

#include <cstring>

namespace {

typedef CContact C;

// The columns of an address field's parts, per set, in the order of EAddressPart; nullptr for a
// part the set has no column for.
struct CFieldPartColumns {
    CsvColumns set;
    int nField;
    const char* parts[kAddressPartCount];
};
const CFieldPartColumns g_fieldParts[] = {
    {CsvColumns::outlook,
     C::fieldHomeAddress,
     {"Home Address PO Box", nullptr, "Home Street", "Home City", "Home State", "Home Postal Code",
      "Home Country/Region"}},
    {CsvColumns::outlook,
     C::fieldOfficeAddress,
     {"Business Address PO Box", nullptr, "Business Street", "Business City", "Business State",
      "Business Postal Code", "Business Country/Region"}},
    {CsvColumns::google,
     C::fieldHomeAddress,
     {"Address 1 - PO Box", "Address 1 - Extended Address", "Address 1 - Street", "Address 1 - City",
      "Address 1 - Region", "Address 1 - Postal Code", "Address 1 - Country"}},
    {CsvColumns::google,
     C::fieldOfficeAddress,
     {"Address 2 - PO Box", "Address 2 - Extended Address", "Address 2 - Street", "Address 2 - City",
      "Address 2 - Region", "Address 2 - Postal Code", "Address 2 - Country"}},
    {CsvColumns::thunderbird,
     C::fieldHomeAddress,
     {nullptr, nullptr, "Home Address", "Home City", "Home State", "Home ZipCode", "Home Country"}},
    {CsvColumns::thunderbird,
     C::fieldOfficeAddress,
     {nullptr, nullptr, "Work Address", "Work City", "Work State", "Work ZipCode", "Work Country"}},
};

std::string Display(const CString& str) { return DisplayTextOf(str).GetStdString(); }

std::string PartOf(const CContactValue& value, int nPart) { return Display(value.AddressPart(nPart)); }

// Writes the parts into their columns when every part the value has has one.
bool WriteParts(const CContactValue& value, const char* const* ppColumns, CCsvValueCells& out) {
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        if (!ppColumns[nPart] && !value.AddressPart(nPart).IsEmpty()) {
            return false;
        }
    }
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        if (ppColumns[nPart]) {
            out.cells[ppColumns[nPart]] = PartOf(value, nPart);
        }
    }
    return true;
}

// An address field goes out in the parts it came in, which the field's text is made of; the
// parts' value then needs no column of its own.
void FieldParts(const CContact& contact, CsvColumns set, std::vector<bool>& done, CCsvValueCells& out) {
    for (const CFieldPartColumns& field : g_fieldParts) {
        const int nValue = field.set == set ? FieldAddressParts(contact, field.nField) : -1;
        if (nValue < 0) {
            continue;
        }
        const CContactValue& value = contact.values[static_cast<size_t>(nValue)];
        // Read back, the parts are of the field's own type.
        const char* pszType = field.nField == C::fieldOfficeAddress ? "work" : "home";
        if (value.type == pszType && WriteParts(value, field.parts, out)) {
            done[static_cast<size_t>(nValue)] = true;
        }
    }
}

// A value in one of the set's named columns.
bool NamedColumn(const CContactValue& value, CsvColumns set, CCsvValueCells& out) {
    static const std::vector<const CCsvValueColumn*> s_columns[] = {CsvValueColumnsOf(CsvColumns::outlook),
                                                                    CsvValueColumnsOf(CsvColumns::google),
                                                                    CsvValueColumnsOf(CsvColumns::thunderbird)};
    const std::string strText = Display(value.DisplayText());
    if (strText.empty()) {
        return false;
    }
    for (const CCsvValueColumn* pColumn : s_columns[static_cast<int>(set)]) {
        if (pColumn->kind != value.kind || value.type != pColumn->pszType || value.label != pColumn->pszLabel) {
            continue;
        }
        const bool bFree = out.cells.count(pColumn->pszName) == 0;
        std::string& strCell = out.cells[pColumn->pszName];
        switch (pColumn->format) {
        case CsvValueFormat::text:
            if (bFree) {
                strCell = strText;
                return true;
            }
            break;
        case CsvValueFormat::isoDate:
        case CsvValueFormat::outlookDate:
            if (bFree && !(strCell = WriteCsvDate(pColumn->format, strText)).empty()) {
                return true;
            }
            break;
        case CsvValueFormat::birthYear:
            if (bFree && !WriteCsvDate(CsvValueFormat::isoDate, strText).empty()) {
                // "--MM-DD" has no year.
                strCell = strText[0] == '-' ? std::string() : strText.substr(0, 4);
                out.cells["Birth Month"] = strText.substr(strText.size() - 5, 2);
                out.cells["Birth Day"] = strText.substr(strText.size() - 2);
                return true;
            }
            break;
        case CsvValueFormat::categories:
            // Reading splits at ";" and drops the blanks around each group.
            if (strText.find(';') == std::string::npos && strText.front() != ' ' && strText.back() != ' ') {
                strCell += (strCell.empty() ? "" : ";") + strText;
                return true;
            }
            break;
        case CsvValueFormat::googleGroups:
            if (strText.find(" ::: ") == std::string::npos && strText.compare(0, 2, "* ") != 0) {
                strCell += (strCell.empty() ? "* myContacts" : "") + (" ::: " + strText);
                return true;
            }
            break;
        case CsvValueFormat::addressPart: {
            const char* columns[kAddressPartCount] = {};
            for (const CCsvValueColumn* pPart : s_columns[static_cast<int>(set)]) {
                if (pPart->format == CsvValueFormat::addressPart && value.type == pPart->pszType) {
                    columns[pPart->nPart] = pPart->pszName;
                }
            }
            if (bFree && WriteParts(value, columns, out)) {
                return true;
            }
            break;
        }
        default: break;
        }
        if (bFree) {
            out.cells.erase(pColumn->pszName);
        }
    }
    return false;
}

const char* GroupKindName(EValueKind kind) {
    for (const CGoogleGroupKind& group : GoogleGroupKinds()) {
        if (group.kind == kind && std::strcmp(group.pszName, "Organization") != 0) {
            return group.pszName;
        }
    }
    return nullptr;
}

// A value in the next of Google's numbered groups of its kind.
bool GoogleGroup(const CContactValue& value, CCsvValueCells& out) {
    const char* pszKind = GroupKindName(value.kind);
    std::string strTypeCell;
    if (!pszKind || !WriteGoogleType(value.kind, Display(value.type), Display(value.label), strTypeCell)) {
        return false;
    }
    const std::string strText = Display(value.DisplayText());
    // Several values of one kind share a cell, separated by " ::: ", which has no escape.
    if (strText.find(" ::: ") != std::string::npos) {
        return false;
    }
    std::string strService;
    if (value.kind == EValueKind::messaging) {
        strService = GoogleService(Display(value.type));
        if (ServiceOfGoogle(strService) != Display(value.type)) {
            return false;
        }
    }
    const CGoogleGroupKind* pKind = FindGoogleGroupKind(pszKind);
    const int nGroup = pKind->nFixed + ++out.groups[pszKind];
    const std::string strGroup = std::string(pszKind) + " " + std::to_string(nGroup) + " - ";
    out.cells[strGroup + "Type"] = strTypeCell;
    if (value.kind == EValueKind::messaging) {
        out.cells[strGroup + "Service"] = strService;
    }
    if (value.kind != EValueKind::address) {
        out.cells[strGroup + "Value"] = strText;
        return true;
    }
    static const char* const s_parts[] = {"PO Box", "Extended Address", "Street", "City", "Region", "Postal Code",
                                          "Country"};
    out.cells[strGroup + "Formatted"] = strText;
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        out.cells[strGroup + s_parts[nPart]] = PartOf(value, nPart);
    }
    return true;
}

} // namespace

void CsvValueCellsOf(const CContact& contact, CsvColumns set, CCsvValueCells& out) {
    std::vector<bool> done(contact.values.size());
    FieldParts(contact, set, done, out);
    for (size_t i = 0; i < contact.values.size(); ++i) {
        const CContactValue& value = contact.values[i];
        // A photo is a file of its own; a card's line kept as it came travels in the note's block.
        if (done[i] || value.kind == EValueKind::photo) {
            continue;
        }
        if (!NamedColumn(value, set, out) && !(set == CsvColumns::google && GoogleGroup(value, out))) {
            out.carried.push_back(value);
        }
    }
}
