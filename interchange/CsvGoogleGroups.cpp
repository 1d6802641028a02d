// Google's numbered groups ("Phone 2 - Type", "Phone 2 - Value", "Address 1 - City", ...): each
// a value of the group's kind, typed by Google's words or labelled by the user's own.
#include "CsvRowValues.h"
#include "CsvValueColumns.h"

#include "data/Contact.h"
#include "framework/core/Unicode.h"

#include <cstdlib>

namespace {

typedef CContact C;

// Several values of one kind share a cell, separated by " ::: ".
std::vector<std::string> SplitValues(const std::string& strCell) {
    std::vector<std::string> values;
    for (size_t nStart = 0; !strCell.empty();) {
        size_t nSep = strCell.find(" ::: ", nStart);
        values.push_back(strCell.substr(nStart, nSep - nStart));
        if (nSep == std::string::npos) {
            break;
        }
        nStart = nSep + 5;
    }
    return values;
}

void Address(CContactBuilder& builder, const std::string& strGroup, CGroupCells& cells, CReadValue value) {
    static const char* const s_parts[] = {"PO Box", "Extended Address", "Street", "City",
                                          "Region", "Postal Code",      "Country"};
    CAddressForms forms;
    forms.strWhole = cells["Formatted"];
    cells.erase("Formatted");
    std::string labels[kAddressPartCount];
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        const std::string& strPart = cells[s_parts[nPart]];
        if (!strPart.empty()) {
            labels[nPart] = strGroup + " - " + s_parts[nPart];
            forms.pieces.push_back({nPart, labels[nPart], strPart});
        }
        cells.erase(s_parts[nPart]);
    }
    TakeAddress(builder, forms, value.parts);
    DeliverValue(builder, std::move(value));
}

void Organization(CContactBuilder& builder, CGroupCells& cells) {
    builder.SetField(C::fieldCompany, cells["Name"]);
    builder.SetField(C::fieldJobTitle, cells["Title"]);
    CReadValue department;
    department.kind = EValueKind::department;
    department.strText = cells["Department"];
    builder.AddValue(std::move(department));
    for (const char* pszPart : {"Name", "Title", "Department", "Type"}) {
        cells.erase(pszPart);
    }
}

// A group of a kind that has no value of its own: the values under the group's name.
void Unknown(CContactBuilder& builder, const std::string& strGroup, CGroupCells& cells) {
    std::string strType = cells["Type"];
    cells.erase("Type");
    for (const std::string& strOne : SplitValues(cells["Value"])) {
        builder.AddToNote(strGroup + (strType.empty() ? "" : " (" + strType + ")"), strOne);
    }
    cells.erase("Value");
}

} // namespace

bool CGroupOrder::operator()(const std::string& a, const std::string& b) const {
    const size_t nA = a.rfind(' ');
    const size_t nB = b.rfind(' ');
    const int nCompared = a.compare(0, nA, b, 0, nB);
    if (nCompared != 0 || nA == std::string::npos || nB == std::string::npos) {
        return nCompared != 0 ? nCompared < 0 : a < b;
    }
    // The numbers are digits only, as the group's column was told by them; a long one is large.
    const std::string strA = a.substr(nA + 1), strB = b.substr(nB + 1);
    return strA.size() != strB.size() ? strA.size() < strB.size() : strA < strB;
}

void ReadGoogleGroup(CContactBuilder& builder, const std::string& strGroup, CGroupCells cells) {
    const CGoogleGroupKind* pKind = FindGoogleGroupKind(strGroup.substr(0, strGroup.rfind(' ')));
    if (!pKind) {
        Unknown(builder, strGroup, cells);
    } else if (std::string(pKind->pszName) == "Organization") {
        Organization(builder, cells);
    } else {
        CReadValue value;
        value.kind = pKind->kind;
        ReadGoogleType(value.kind, cells["Type"], value.strType, value.strLabel);
        cells.erase("Type");
        if (value.kind == EValueKind::messaging) {
            value.strType = ServiceOfGoogle(cells["Service"]);
            cells.erase("Service");
        }
        if (value.kind == EValueKind::address) {
            Address(builder, strGroup, cells, std::move(value));
        } else {
            for (const std::string& strOne : SplitValues(cells["Value"])) {
                CReadValue one = value;
                one.strText = strOne;
                DeliverValue(builder, std::move(one));
            }
            cells.erase("Value");
        }
    }
    for (const auto& cell : cells) {
        builder.AddToNote(strGroup + " - " + cell.first, cell.second); // the column's name
    }
}
