#include "CsvNoteBlock.h"

#include "data/Contact.h"

#include <algorithm>
#include <cstring>

namespace {

typedef CContact C;

const CNoteCarriedField g_carried[] = {
    {C::fieldNickname, "Nickname"},
    {C::fieldOfficeWWW, "Office web page"},
};
const size_t g_nCarried = sizeof g_carried / sizeof g_carried[0];

// Starts the values of a whole block, which would otherwise go on into value lines of the
// user's own before them.
const char kValuesStart[] = "Further values:";

struct CKindWord {
    EValueKind kind;
    const char* pszWord;
};
const CKindWord g_kindWords[] = {
    {EValueKind::phone, "Phone"},
    {EValueKind::email, "E-mail"},
    {EValueKind::web, "Web page"},
    {EValueKind::address, "Address"},
    {EValueKind::messaging, "Messaging"},
    {EValueKind::namePrefix, "Name prefix"},
    {EValueKind::middleName, "Middle name"},
    {EValueKind::nameSuffix, "Name suffix"},
    {EValueKind::department, "Department"},
    {EValueKind::date, "Date"},
    {EValueKind::related, "Related"},
    {EValueKind::custom, "Custom"},
    {EValueKind::group, "Group"},
    {EValueKind::cardProperty, "Card line"},
};

// A line holds no line break, and the signs that end a type, a label or an address's part are
// escaped where the text holds them.
std::string Escaped(const std::string& str, const char* pszSpecial) {
    std::string strOut;
    for (char c : str) {
        if (c == '\r' || c == '\n') {
            strOut += c == '\r' ? "\\r" : "\\n";
        } else {
            if (c == '\\' || (c && std::strchr(pszSpecial, c))) {
                strOut += '\\';
            }
            strOut += c;
        }
    }
    return strOut;
}

// Reads an escaped text from i to the first unescaped sign of pszEnds or the end; the sign it
// stopped at ('\0' for the end), or -1 for an escape no writer makes.
int ReadEscaped(std::string_view line, size_t& i, const char* pszEnds, std::string& strOut) {
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (std::strchr(pszEnds, c) && c) {
            return c;
        }
        if (c != '\\') {
            strOut += c;
            continue;
        }
        if (++i == line.size()) {
            return -1;
        }
        const char e = line[i];
        if (e == 'r' || e == 'n') {
            strOut += e == 'r' ? '\r' : '\n';
        } else if (e == '\\' || e == ')' || e == '"' || e == ';') {
            strOut += e;
        } else {
            return -1;
        }
    }
    return 0;
}

bool StartsWith(std::string_view str, size_t nAt, const char* psz) {
    return str.compare(nAt, std::strlen(psz), psz) == 0;
}

// Whether the line from nLine to nEnd starts with the label and ": ".
bool IsCarriedLine(const std::string& strNote, size_t nLine, size_t nEnd, const char* pszLabel) {
    size_t nLabel = std::strlen(pszLabel);
    return nLine + nLabel + 2 <= nEnd && strNote.compare(nLine, nLabel, pszLabel) == 0 &&
           strNote.compare(nLine + nLabel, 2, ": ") == 0;
}

// The start of the line that ends at nEnd.
size_t LineStart(const std::string& strNote, size_t nEnd) {
    size_t nBreak = nEnd == 0 ? std::string::npos : strNote.rfind("\r\n", nEnd - 1);
    return nBreak == std::string::npos ? 0 : nBreak + 2;
}

// Where the block starts in the note (its first line), or npos when the note does not end with
// one. From the end: the value lines, the line that starts them, then (with bFields) the fields'
// lines in their order, each once; a field without a value has no line. What the lines hold
// goes to pFieldTexts and pValues where given.
size_t BlockStart(const std::string& strNote, bool bFields, std::string* pFieldTexts,
                  std::vector<CReadValue>* pValues) {
    // Most notes hold none of the lines, which is found at once.
    if (strNote.find(':') == std::string::npos) {
        return std::string::npos;
    }
    size_t nStart = std::string::npos;
    size_t nEnd = strNote.size(); // end of the line looked at
    auto taken = [&](size_t nLine) {
        nStart = nLine;
        nEnd = nLine >= 2 ? nLine - 2 : 0;
        return nLine > 0;
    };
    std::vector<CReadValue> values;
    bool bMore = true;
    for (CReadValue value; bMore;) {
        const size_t nLine = LineStart(strNote, nEnd);
        if (!ReadCarriedValueLine(std::string_view(strNote).substr(nLine, nEnd - nLine), value)) {
            break;
        }
        values.push_back(std::move(value));
        bMore = taken(nLine);
    }
    if (bMore) {
        const size_t nLine = LineStart(strNote, nEnd);
        if (strNote.compare(nLine, nEnd - nLine, kValuesStart) == 0) {
            bMore = taken(nLine);
        }
    }
    for (size_t k = g_nCarried; bFields && bMore && k-- > 0;) {
        const size_t nLine = LineStart(strNote, nEnd);
        if (!IsCarriedLine(strNote, nLine, nEnd, g_carried[k].pszLabel)) {
            continue; // this field has no line; an earlier one may
        }
        if (pFieldTexts) {
            const size_t nValue = nLine + std::strlen(g_carried[k].pszLabel) + 2;
            pFieldTexts[g_carried[k].nField] = strNote.substr(nValue, nEnd - nValue);
        }
        bMore = taken(nLine);
    }
    if (pValues) {
        pValues->assign(std::make_move_iterator(values.rbegin()), std::make_move_iterator(values.rend()));
    }
    return nStart;
}

} // namespace

const std::vector<CNoteCarriedField>& NoteCarriedFields() {
    static const std::vector<CNoteCarriedField> s_fields(std::begin(g_carried), std::end(g_carried));
    return s_fields;
}

std::string CarriedValueLine(const CContactValue& value) {
    std::string strLine;
    for (const CKindWord& word : g_kindWords) {
        strLine = word.kind == value.kind ? word.pszWord : strLine;
    }
    if (!value.type.IsEmpty()) {
        strLine += " (" + Escaped(DisplayTextOf(value.type).GetStdString(), ")") + ")";
    }
    if (!value.label.IsEmpty()) {
        strLine += " \"" + Escaped(DisplayTextOf(value.label).GetStdString(), "\"") + "\"";
    }
    strLine += ": ";
    if (value.kind != EValueKind::address) {
        return strLine + Escaped(value.DisplayText().GetStdString(), "");
    }
    for (int nPart = 0; nPart < kAddressPartCount; ++nPart) {
        strLine += (nPart ? ";" : "") + Escaped(DisplayTextOf(value.AddressPart(nPart)).GetStdString(), ";");
    }
    return strLine;
}

bool ReadCarriedValueLine(std::string_view line, CReadValue& value) {
    value = CReadValue();
    size_t i = std::string::npos;
    for (const CKindWord& word : g_kindWords) {
        const size_t nWord = std::strlen(word.pszWord);
        if (i == std::string::npos && StartsWith(line, 0, word.pszWord) &&
            (StartsWith(line, nWord, " (") || StartsWith(line, nWord, " \"") || StartsWith(line, nWord, ": "))) {
            value.kind = word.kind;
            i = nWord;
        }
    }
    if (i == std::string::npos) {
        return false;
    }
    if (StartsWith(line, i, " (")) {
        i += 2;
        if (ReadEscaped(line, i, ")", value.strType) != ')' || value.strType.empty()) {
            return false;
        }
        ++i;
    }
    if (StartsWith(line, i, " \"")) {
        i += 2;
        if (ReadEscaped(line, i, "\"", value.strLabel) != '"' || value.strLabel.empty()) {
            return false;
        }
        ++i;
    }
    if (!StartsWith(line, i, ": ")) {
        return false;
    }
    i += 2;
    if (value.kind != EValueKind::address) {
        return ReadEscaped(line, i, "", value.strText) == 0 && !value.strText.empty();
    }
    value.parts.resize(kAddressPartCount);
    for (size_t nPart = 0; nPart < value.parts.size(); ++nPart, ++i) {
        const int nStop = ReadEscaped(line, i, ";", value.parts[nPart]);
        if (nStop != (nPart + 1 < value.parts.size() ? ';' : 0)) {
            return false;
        }
    }
    return true;
}

void AppendCarriedBlock(std::string& strNote, const std::string* pFieldTexts, bool bFields,
                        const std::vector<CContactValue>& values) {
    // A note that ends like a block gets the whole block, so that reading it back takes off
    // only what was added; any other gets the lines of the fields with values.
    const bool bWhole = BlockStart(strNote, bFields, nullptr, nullptr) != std::string::npos;
    auto append = [&strNote](const std::string& strLine) { strNote += (strNote.empty() ? "" : "\r\n") + strLine; };
    for (size_t k = 0; bFields && k < g_nCarried; ++k) {
        const std::string& strText = pFieldTexts[g_carried[k].nField];
        if (bWhole || !strText.empty()) {
            append(std::string(g_carried[k].pszLabel) + ": " + strText);
        }
    }
    // Behind the fields' lines, the values need no start of their own: those lines end the
    // reading.
    if (bWhole && !bFields) {
        append(kValuesStart);
    }
    for (const CContactValue& value : values) {
        append(CarriedValueLine(value));
    }
}

bool TakeCarriedBlock(std::string& strNote, std::string* pFieldTexts, bool bFields,
                      std::vector<CReadValue>& values) {
    const size_t nStart = BlockStart(strNote, bFields, pFieldTexts, &values);
    if (nStart == std::string::npos) {
        return false;
    }
    strNote.erase(nStart >= 2 ? nStart - 2 : 0);
    return true;
}
