#include "CsvRowMapper.h"

#include "Charset.h"
#include "ContactBuilder.h"
#include "CsvColumns.h"

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
typedef std::map<std::string, std::string> Attributes; // of one Google group: part name to value

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

// One address as a row gives it: whole, in parts, or both. Each part keeps the name of its
// column for the note.
struct CAddressPiece {
    int nPart;              // as ComposeAddress orders them
    std::string_view label; // held by whoever collects the pieces, while they are taken
    std::string strValue;
};
struct CAddressForms {
    std::string strWhole;
    std::vector<CAddressPiece> pieces;
};

bool IsWordByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// True when strHay (a text lower case and collapsed) holds strPart as whole words, ignoring
// case, blanks and line breaks; "12" is no part of "12345".
bool HoldsWords(const std::string& strHay, const std::string& strPart) {
    std::string strNeedle = LowerUtf8(Collapsed(strPart));
    if (strNeedle.empty()) {
        return true;
    }
    for (size_t n = strHay.find(strNeedle); n != std::string::npos; n = strHay.find(strNeedle, n + 1)) {
        size_t nEnd = n + strNeedle.size();
        bool bStart = n == 0 || !IsWordByte(strHay[n - 1]) || !IsWordByte(strNeedle.front());
        bool bEnd = nEnd == strHay.size() || !IsWordByte(strHay[nEnd]) || !IsWordByte(strNeedle.back());
        if (bStart && bEnd) {
            return true;
        }
    }
    return false;
}

// The address's text: the whole one where the row gives it, else the one its parts compose. The
// parts the whole text does not hold go into the note, so that no part is lost and none is
// written twice.
std::string TakeAddress(CContactBuilder& builder, const CAddressForms& forms) {
    if (forms.strWhole.empty()) {
        std::vector<std::string> parts(7);
        for (const CAddressPiece& piece : forms.pieces) {
            parts[static_cast<size_t>(piece.nPart)] =
                Join({parts[static_cast<size_t>(piece.nPart)], piece.strValue}, "\r\n");
        }
        return ComposeAddress(parts);
    }
    // The whole text as HoldsWords compares it, made once for all the parts.
    const std::string strHay = LowerUtf8(Collapsed(forms.strWhole));
    for (const CAddressPiece& piece : forms.pieces) {
        if (!HoldsWords(strHay, piece.strValue)) {
            builder.AddToNote(std::string(piece.label), piece.strValue);
        }
    }
    return forms.strWhole;
}

// Work values to the office field, home ones to the home field, others to the home field when
// it is free and otherwise into the note.
void Typed(CContactBuilder& builder, const std::string& strType, int nHome, int nWork,
           const std::string& strLabel, const std::string& strValue) {
    if (strType == "work") {
        builder.SetField(nWork, strValue);
    } else if (strType == "home" || !builder.IsFieldSet(nHome)) {
        builder.SetField(nHome, strValue);
    } else {
        builder.AddToNote(strType.empty() ? strLabel : strLabel + " (" + strType + ")", strValue);
    }
}

// Google types web sites as "Home Page", "Work", "Profile", "Blog" and so on; only the first
// two are the contact's own pages.
void Website(CContactBuilder& builder, const std::string& strType, const std::string& strUrl) {
    if (strType == "home page" || strType == "home" ||
        (strType.empty() && !builder.IsFieldSet(C::fieldHomeWWW))) {
        builder.SetField(C::fieldHomeWWW, strUrl);
    } else if (strType == "work") {
        builder.SetField(C::fieldOfficeWWW, strUrl);
    } else {
        builder.AddToNote(strType.empty() ? "Web page" : "Web page (" + strType + ")", strUrl);
    }
}

void GroupValue(CContactBuilder& builder, const std::string& strKind, const std::string& strGroup,
                const std::string& strType, const std::string& strOne) {
    if (strKind == "e-mail") {
        Typed(builder, strType, C::fieldHomeEMail, C::fieldOfficeEMail, "E-mail", strOne);
    } else if (strKind == "website") {
        Website(builder, strType, strOne);
    } else if (strKind == "phone" && strType == "mobile") {
        builder.SetField(C::fieldMobile, strOne);
    } else if (strKind == "phone" && strType == "work fax") {
        builder.SetField(C::fieldOfficeFax, strOne);
    } else if (strKind == "phone" && (strType == "home" || strType == "work" || strType.empty())) {
        Typed(builder, strType, C::fieldHomePhone, C::fieldOfficePhone, "Phone", strOne);
    } else if (strKind == "phone") {
        builder.AddToNote("Phone (" + strType + ")", strOne);
    } else {
        builder.AddToNote(strGroup + (strType.empty() ? "" : " (" + strType + ")"), strOne);
    }
}

// One of Google's numbered groups ("Address 1 - Street", "Address 1 - City", ...).
void Group(CContactBuilder& builder, const std::string& strGroup, Attributes attributes) {
    std::string strType = attributes["Type"];
    if (strType.compare(0, 2, "* ") == 0) {
        strType.erase(0, 2);
    }
    strType = LowerUtf8(strType);
    std::string strKind = LowerUtf8(strGroup.substr(0, strGroup.rfind(' ')));
    attributes.erase("Type");
    // Several values of one kind share a cell, separated by " ::: ".
    std::string strValue = attributes["Value"];
    for (size_t nStart = 0; !strValue.empty();) {
        size_t nSep = strValue.find(" ::: ", nStart);
        GroupValue(builder, strKind, strGroup, strType, strValue.substr(nStart, nSep - nStart));
        if (nSep == std::string::npos) {
            break;
        }
        nStart = nSep + 5;
    }
    attributes.erase("Value");
    if (strKind == "address") {
        static const char* const s_parts[] = {"PO Box", "Extended Address", "Street", "City",
                                              "Region", "Postal Code",      "Country"};
        CAddressForms forms;
        forms.strWhole = attributes["Formatted"];
        attributes.erase("Formatted");
        std::string labels[7];
        for (int nPart = 0; nPart < 7; ++nPart) {
            const std::string& strPart = attributes[s_parts[nPart]];
            if (!strPart.empty()) {
                labels[nPart] = strGroup + " - " + s_parts[nPart];
                forms.pieces.push_back({nPart, labels[nPart], strPart});
            }
            attributes.erase(s_parts[nPart]);
        }
        Typed(builder, strType, C::fieldHomeAddress, C::fieldOfficeAddress, "Address",
              TakeAddress(builder, forms));
    }
    if (strKind == "organization") {
        builder.SetField(C::fieldCompany, attributes["Name"]);
        builder.SetField(C::fieldJobTitle, attributes["Title"]);
        attributes.erase("Name");
        attributes.erase("Title");
    }
    for (const auto& attribute : attributes) {
        builder.AddToNote(strGroup + " - " + attribute.first, attribute.second); // the column's name
    }
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

// Fields the file has no column for come back from the end of the note.
std::string TakeCarried(CContactBuilder& builder, const bool* pHasColumn, std::string strNotes) {
    bool bCarried = true;
    for (const CNoteCarriedField& carried : NoteCarriedFields()) {
        bCarried = bCarried && !pHasColumn[carried.nField];
    }
    std::string values[CContact::kFieldCount];
    if (bCarried && TakeCarriedFields(strNotes, values)) {
        for (const CNoteCarriedField& carried : NoteCarriedFields()) {
            builder.SetField(carried.nField, values[carried.nField]);
        }
    }
    return strNotes;
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
        m_bKnownHeader = m_bKnownHeader || pKnown || bGroup;
        m_unknownColumns.push_back(!pKnown && !bGroup && !IsProgramColumn(header[i]));
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
    std::map<std::string, Attributes> groups;
    std::string strDisplay, strMiddle, strNotes;
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
        if (!pColumn && SplitGroupColumn(m_header[i], strGroup, strPart)) {
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
            strMiddle = std::move(strValue);
        } else if (strValue != pColumn->pszEmpty) {
            builder.AddToNote(m_header[i], strValue);
        }
    }
    for (int nField : {CContact::fieldHomeAddress, CContact::fieldOfficeAddress}) {
        builder.SetField(nField, TakeAddress(builder, addresses[nField]));
    }
    for (const auto& group : groups) {
        Group(builder, group.first, group.second);
    }
    builder.AppendNote(TakeCarried(builder, m_bHasColumn, strNotes));
    builder.ApplyDisplayName(strDisplay, strMiddle);
    builder.AddToNote("Middle name", strMiddle);
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
