#include "CsvRowMapper.h"

#include "Charset.h"
#include "ContactBuilder.h"
#include "CsvColumns.h"
#include "CsvNoteBlock.h"
#include "CsvRowValues.h"
#include "CsvValueColumns.h"

#include "framework/core/Unicode.h"

#include <cstring>
#include <map>

// What a column of a header no table knows holds, told by a word in its name; the value must
// have the shape too, since a name such as "Mailing address" or "Hotel" also holds the word.
enum class CsvValueShape { any, email, phone };
struct CCsvGuess {
    const char* pszWord; // lower case
    int nField;
    int nWorkField; // when the name says "work" or the like
    CsvValueShape shape;
};

namespace {

typedef CContact C;

// In order: the first word found decides, so "Mobile phone" is a mobile and "Telefax" a fax.
const CCsvGuess g_guesses[] = {
    {"mail", C::fieldHomeEMail, C::fieldOfficeEMail, CsvValueShape::email},
    {"courriel", C::fieldHomeEMail, C::fieldOfficeEMail, CsvValueShape::email},
    {"correo", C::fieldHomeEMail, C::fieldOfficeEMail, CsvValueShape::email},
    {"fax", C::fieldOfficeFax, C::fieldOfficeFax, CsvValueShape::phone},
    {"mobil", C::fieldMobile, C::fieldMobile, CsvValueShape::phone},
    {"cell", C::fieldMobile, C::fieldMobile, CsvValueShape::phone},
    {"handy", C::fieldMobile, C::fieldMobile, CsvValueShape::phone},
    {"m\xC3\xB3vil", C::fieldMobile, C::fieldMobile, CsvValueShape::phone},
    {"phone", C::fieldHomePhone, C::fieldOfficePhone, CsvValueShape::phone},
    {"tel", C::fieldHomePhone, C::fieldOfficePhone, CsvValueShape::phone},
    {"fon", C::fieldHomePhone, C::fieldOfficePhone, CsvValueShape::phone},
    {"first name", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"firstname", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"first_name", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"given", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"vorname", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"pr\xC3\xA9nom", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"voornaam", C::fieldFirstName, C::fieldFirstName, CsvValueShape::any},
    {"last name", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"lastname", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"last_name", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"family", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"surname", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"nachname", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"achternaam", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"apellido", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"cognome", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
    {"sobrenome", C::fieldLastName, C::fieldLastName, CsvValueShape::any},
};

const char* const g_workWords[] = {
    "work",        "business", "office",  "company", "job",     "arbeit", "dienst", "gesch\xC3\xA4\x66t",
    "b\xC3\xBCro", "bureau",   "travail", "trabajo", "ufficio", "lavoro", "werk",   "comercial",
    "empresa",
};

bool Contains(const std::string& str, const char* pszWord) { return str.find(pszWord) != std::string::npos; }

// Digits with the signs numbers are written with: "+49 (30) 1234-56", "555.0100 ext. 12".
bool IsPhoneLike(const std::string& str) {
    size_t nDigits = 0;
    size_t nOthers = 0;
    for (char c : str) {
        nDigits += c >= '0' && c <= '9';
        nOthers += !(c >= '0' && c <= '9') && !std::strchr(" +-()./\t", c);
    }
    return nDigits >= 3 && nOthers * 2 < nDigits;
}

bool FitsShape(CsvValueShape shape, const std::string& strValue) {
    return shape == CsvValueShape::any || (shape == CsvValueShape::email && Contains(strValue, "@")) ||
           (shape == CsvValueShape::phone && IsPhoneLike(strValue));
}

// "Phone 2 - Value" gives group "Phone 2" and part "Value".
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

const CCsvGuess* GuessColumn(const std::string& strName, bool& bWork) {
    std::string strLower = LowerUtf8(strName);
    bWork = false;
    for (const char* pszWord : g_workWords) {
        bWork = bWork || Contains(strLower, pszWord);
    }
    for (const CCsvGuess& guess : g_guesses) {
        if (Contains(strLower, guess.pszWord)) {
            return &guess;
        }
    }
    return nullptr;
}

// Fields the file has no column for, and values, come back from the end of the note.
std::string TakeCarried(CContactBuilder& builder, const bool* pHasColumn, std::string strNotes) {
    bool bFields = true;
    for (const CNoteCarriedField& carried : NoteCarriedFields()) {
        bFields = bFields && !pHasColumn[carried.nField];
    }
    std::string texts[CContact::kFieldCount];
    std::vector<CReadValue> values;
    if (TakeCarriedBlock(strNotes, texts, bFields, values)) {
        for (const CNoteCarriedField& carried : NoteCarriedFields()) {
            builder.SetField(carried.nField, texts[carried.nField]);
        }
        for (CReadValue& value : values) {
            builder.AddValue(std::move(value));
        }
    }
    return strNotes;
}

// What a row's value columns give that is made of several cells, or that the display name
// is told by.
struct CRowValues {
    std::string strMiddle, strPrefix, strSuffix;
    CAddressForms other; // Outlook's third address
    std::string birth[3]; // Thunderbird's year, month and day
    std::string_view birthColumns[3];
};

void ValueCell(CContactBuilder& builder, const CCsvValueColumn& column, std::string_view header,
               std::string strCell, CRowValues& row) {
    CReadValue value;
    value.kind = column.kind;
    value.strType = column.pszType;
    value.strLabel = column.pszLabel;
    switch (column.format) {
    case CsvValueFormat::text:
        if (column.kind == EValueKind::namePrefix || column.kind == EValueKind::nameSuffix) {
            (column.kind == EValueKind::namePrefix ? row.strPrefix : row.strSuffix) = strCell;
        }
        value.strText = std::move(strCell);
        DeliverValue(builder, std::move(value));
        return;
    case CsvValueFormat::isoDate:
    case CsvValueFormat::outlookDate:
        if (ReadCsvDate(column.format, strCell, value.strText)) {
            builder.AddValue(std::move(value));
        } else if (strCell != "0/0/00") { // Outlook's date of none
            builder.AddToNote(std::string(header), strCell);
        }
        return;
    case CsvValueFormat::birthYear:
    case CsvValueFormat::birthMonth:
    case CsvValueFormat::birthDay: {
        const int nAt = static_cast<int>(column.format) - static_cast<int>(CsvValueFormat::birthYear);
        row.birth[nAt] = std::move(strCell);
        row.birthColumns[nAt] = header;
        return;
    }
    case CsvValueFormat::addressPart:
        row.other.pieces.push_back({column.nPart, header, std::move(strCell)});
        return;
    case CsvValueFormat::categories:
    case CsvValueFormat::googleGroups: {
        const bool bGoogle = column.format == CsvValueFormat::googleGroups;
        const std::string strSeparator = bGoogle ? " ::: " : ";";
        for (size_t nStart = 0; nStart <= strCell.size();) {
            size_t nEnd = std::min(strCell.find(strSeparator, nStart), strCell.size());
            std::string strGroup = strCell.substr(nStart, nEnd - nStart);
            nStart = nEnd + strSeparator.size();
            // Google marks its own groups with "* "; every contact is in "My Contacts".
            if (bGoogle && strGroup.compare(0, 2, "* ") == 0) {
                strGroup.erase(0, 2);
                strGroup = LowerUtf8(strGroup) == "mycontacts" ? std::string() : strGroup;
            }
            value.strText = bGoogle ? strGroup : Collapsed(strGroup);
            builder.AddValue(value);
        }
        return;
    }
    }
}

// The values made of several cells, once the row is read.
void FinishRowValues(CContactBuilder& builder, CRowValues& row) {
    if (!row.other.pieces.empty()) {
        CReadValue other;
        other.kind = EValueKind::address;
        other.strType = "other";
        TakeAddress(builder, row.other, other.parts);
        DeliverValue(builder, std::move(other));
    }
    const std::string* birth = row.birth;
    if (birth[0].empty() && birth[1].empty() && birth[2].empty()) {
        return;
    }
    CReadValue date;
    date.kind = EValueKind::date;
    date.strType = "birthday";
    const std::string strMonthDay = birth[1] + "/" + birth[2] + (birth[0].empty() ? "" : "/" + birth[0]);
    if (ReadCsvDate(CsvValueFormat::outlookDate, strMonthDay, date.strText)) {
        builder.AddValue(std::move(date));
        return;
    }
    for (int n = 0; n < 3; ++n) {
        builder.AddToNote(std::string(row.birthColumns[n]), birth[n]);
    }
}

} // namespace

CCsvRowMapper::CCsvRowMapper(const std::vector<std::string>& header, const CString& strFile)
    : m_header(header), m_strFile(strFile) {
    // French Outlook names both the courtesy title and the job title "Titre"; of columns that
    // share a name, the last is the one the table means, the others go into the note.
    std::map<std::string, size_t> lastOfName;
    for (size_t i = 0; i < header.size(); ++i) {
        lastOfName[LowerUtf8(header[i])] = i;
    }
    for (size_t i = 0; i < header.size(); ++i) {
        const CCsvReadColumn* pKnown = FindCsvColumn(header[i]);
        const CCsvReadColumn* pColumn = lastOfName[LowerUtf8(header[i])] == i ? pKnown : nullptr;
        m_columns.push_back(pColumn);
        std::string strGroup, strPart;
        const bool bGroup = SplitGroupColumn(header[i], strGroup, strPart);
        const CCsvValueColumn* pValue = pKnown || bGroup ? nullptr : FindCsvValueColumn(header[i]);
        m_valueColumns.push_back(pValue);
        m_bKnownHeader = m_bKnownHeader || pKnown || bGroup || pValue;
        m_unknownColumns.push_back(!pKnown && !bGroup && !pValue && !IsProgramColumn(header[i]));
        if (pColumn && pColumn->target == CsvTarget::field) {
            m_bHasColumn[pColumn->nField] = true;
        }
        if (pColumn && pColumn->target == CsvTarget::addressPart && pColumn->nPart == 2) {
            m_bHasStreet[pColumn->nField] = true;
        }
    }
    // A column no table knows is matched by its name, also in a header a table knows: a file
    // made by hand may take a few names of a program's and add its own ("E-Mail" beside
    // "Telefon privat"). A program's own further columns ("Home Phone 2", "Car Phone") stay in
    // the note, and a matched column only fills a field the header has no column of its own for.
    for (size_t i = 0; i < header.size(); ++i) {
        bool bWork = false;
        const CCsvGuess* pGuess = m_unknownColumns[i] ? GuessColumn(header[i], bWork) : nullptr;
        if (pGuess && m_bKnownHeader && m_bHasColumn[bWork ? pGuess->nWorkField : pGuess->nField]) {
            pGuess = nullptr;
        }
        m_guesses.push_back(pGuess);
        m_workColumns.push_back(bWork);
    }
}

std::string CCsvRowMapper::DescribeGuesses() const {
    // A warning a user reads: a dozen columns, then how many more.
    const size_t kMaxListed = 12;
    std::string str;
    size_t nGuessed = 0;
    for (size_t i = 0; i < m_guesses.size(); ++i) {
        if (m_guesses[i] && nGuessed++ < kMaxListed) {
            int nField = m_workColumns[i] ? m_guesses[i]->nWorkField : m_guesses[i]->nField;
            str += (str.empty() ? "\"" : ", \"") + m_header[i] + "\" (" +
                   CContact::FieldLabel(nField) + ")";
        }
    }
    if (nGuessed > kMaxListed) {
        str += " and " + std::to_string(nGuessed - kMaxListed) + " more";
    }
    return str;
}

void CCsvRowMapper::Map(const std::vector<std::string_view>& cells, int nLine, CContactArray& contacts,
                        CImportReport& report) const {
    CContactBuilder builder(report, m_strFile, nLine);
    CAddressForms addresses[CContact::kFieldCount];
    std::map<std::string, CGroupCells, CGroupOrder> groups;
    CRowValues row;
    std::string strDisplay, strNotes;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].empty()) {
            continue;
        }
        std::string strValue(cells[i]); // handed on where a field takes it
        if (i >= m_header.size()) {
            builder.AddToNote("Column " + std::to_string(i + 1), strValue);
            continue;
        }
        const CCsvReadColumn* pColumn = m_columns[i];
        const CCsvGuess* pGuess = m_guesses[i];
        int nGuessed = pGuess ? (m_workColumns[i] ? pGuess->nWorkField : pGuess->nField) : -1;
        std::string strGroup, strPart;
        if (!pColumn && m_valueColumns[i]) {
            ValueCell(builder, *m_valueColumns[i], m_header[i], std::move(strValue), row);
        } else if (!pColumn && SplitGroupColumn(m_header[i], strGroup, strPart)) {
            groups[strGroup][strPart] = strValue;
        } else if (!pColumn && pGuess && FitsShape(pGuess->shape, strValue) &&
                   !builder.IsFieldSet(nGuessed)) {
            builder.SetField(nGuessed, std::move(strValue));
        } else if (!pColumn) {
            builder.AddToNote(m_header[i], strValue);
        } else if (pColumn->target == CsvTarget::field && pColumn->nField == CContact::fieldNote) {
            strNotes = std::move(strValue);
        } else if (pColumn->target == CsvTarget::field) {
            builder.SetField(pColumn->nField, std::move(strValue));
        } else if (pColumn->target == CsvTarget::addressText && m_bHasStreet[pColumn->nField]) {
            addresses[pColumn->nField].strWhole =
                Join({addresses[pColumn->nField].strWhole, strValue}, "\r\n");
        } else if (pColumn->target == CsvTarget::addressPart || pColumn->target == CsvTarget::addressText) {
            addresses[pColumn->nField].pieces.push_back({pColumn->nPart, m_header[i], std::move(strValue)});
        } else if (pColumn->target == CsvTarget::displayName) {
            strDisplay = std::move(strValue);
        } else if (pColumn->target == CsvTarget::middleName) {
            row.strMiddle = strValue;
            builder.AddValue({EValueKind::middleName, std::string(), std::string(), std::move(strValue), {}});
        } else if (strValue != pColumn->pszEmpty) {
            builder.AddToNote(m_header[i], strValue);
        }
    }
    for (int nField : {CContact::fieldHomeAddress, CContact::fieldOfficeAddress}) {
        CReadValue address;
        address.kind = EValueKind::address;
        address.strType = nField == CContact::fieldHomeAddress ? "home" : "work";
        const std::string strText = TakeAddress(builder, addresses[nField], address.parts);
        // The field's parts, where they are more than a street, are kept beside it.
        if (builder.SetField(nField, strText) && strText != address.parts[addressStreet]) {
            builder.AddValue(std::move(address));
        }
    }
    for (auto& group : groups) {
        ReadGoogleGroup(builder, group.first, std::move(group.second));
    }
    FinishRowValues(builder, row);
    builder.AppendNote(TakeCarried(builder, m_bHasColumn, strNotes));
    builder.ApplyDisplayName(strDisplay, row.strMiddle, row.strPrefix, row.strSuffix);
    // Finished where it stays, instead of moved there.
    const int nContacts = contacts.GetSize();
    contacts.SetSize(nContacts + 1);
    if (!builder.Finish(contacts[nContacts])) {
        contacts.SetSize(nContacts);
    }
}

const char* WhyNotAHeaderRow(const std::vector<std::string>& cells) {
    bool bAnyName = false;
    for (const std::string& strCell : cells) {
        for (char c : strCell) {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') {
                return "it holds characters that no column name has";
            }
        }
        if (Contains(strCell, kReplacementCharacter)) {
            return "it holds characters that could not be read";
        }
        if (Contains(strCell, "@") || IsPhoneLike(strCell)) {
            return "it holds values such as e-mail addresses or numbers, not column names";
        }
        bAnyName = bAnyName || !Collapsed(strCell).empty();
    }
    if (!bAnyName) {
        return "it names no column";
    }
    bool bWork = false;
    if (cells.size() == 1 && !GuessColumn(cells[0], bWork)) {
        return "it is a single text that names nothing the address book holds";
    }
    return nullptr;
}
