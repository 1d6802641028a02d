#include "ContactBuilder.h"

#include "Charset.h"

#include "framework/core/ByteWords.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <iterator>

namespace {

// A plain scan: find_first_of looks each byte up in its set, a call per byte.
bool HasLineBreak(const std::string& str) {
    for (char c : str) {
        if (c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

// Passes over eight bytes at a time while none is a control character (nor, with bAsciiOnly,
// beyond ASCII); the rest is left to the caller, byte by byte.
size_t SkipPrintable(const std::string& str, size_t i, bool bAsciiOnly) {
    const uint64_t nBeyondAscii = bAsciiOnly ? ~uint64_t(0) : 0;
    for (; i + sizeof(uint64_t) <= str.size(); i += sizeof(uint64_t)) {
        const uint64_t nEight = EightBytesAt(str.data() + i);
        // The lowest byte below 0x20 borrows into its high bit, which it has not of its own.
        if ((((nEight - 0x20 * kEachByte) & ~nEight) | (nEight & nBeyondAscii)) & kHighBits) {
            break;
        }
    }
    return i;
}

// Whether a line break from nFrom on is other than CR LF, which NormaliseLineBreaks would change.
bool HasLoneLineBreak(const std::string& str, size_t nFrom) {
    for (size_t i = nFrom; (i = SkipPrintable(str, i, false)) < str.size(); ++i) {
        if (str[i] == '\n' || (str[i] == '\r' && (i + 1 == str.size() || str[++i] != '\n'))) {
            return true;
        }
    }
    return false;
}

void AppendLine(std::string& strText, const std::string& strLine) {
    if (!strText.empty()) {
        strText += "\r\n";
    }
    strText += strLine;
}

// The text a field keeps: line breaks as the contact's own. The address book's XML cannot hold
// control characters other than tab and line breaks; they carry nothing a reader sees, so they
// are left out rather than shown as a character that was never there. Bytes that are no text
// (the file's character set did not hold them) stand as U+FFFD. Each kind is counted.
// bPlain tells whether the text is printable ASCII without a double quote or an ampersand, which
// its stored form then leaves as it is.
CString ImportedText(std::string str, int& nControls, int& nUnreadable, bool& bPlain) {
    // Most values are plain, which needs nothing done; eight bytes are looked at a time while
    // none is a control character, a quote or beyond ASCII.
    size_t nFirst = 0;
    for (; nFirst + sizeof(uint64_t) <= str.size(); nFirst += sizeof(uint64_t)) {
        const uint64_t nEight = EightBytesAt(str.data() + nFirst);
        const uint64_t nQuotesZero = nEight ^ ('"' * kEachByte);
        // A byte below 0x20 borrows into its high bit, one from 0x80 has it already, and a quote
        // made zero borrows likewise.
        if (((nEight - 0x20 * kEachByte) | nEight | ((nQuotesZero - kEachByte) & ~nQuotesZero)) & kHighBits) {
            break;
        }
    }
    auto isPlain = [](unsigned char c) { return c >= 0x20 && c < 0x80 && c != '"'; };
    while (nFirst < str.size() && isPlain(static_cast<unsigned char>(str[nFirst]))) {
        ++nFirst;
    }
    bPlain = nFirst == str.size();
    if (bPlain) {
        // An ampersand may stand where it would read as a stored quote: its stored form decides.
        bPlain = str.find('&') == std::string::npos;
        return CString(std::move(str));
    }
    if (HasLoneLineBreak(str, nFirst)) {
        str = NormaliseLineBreaks(str);
    }
    // The text is copied in stretches between the characters left out or replaced; a text
    // without any is handed on as it is.
    std::string strOut;
    size_t nStretch = 0;
    for (size_t i = nFirst; i < str.size();) {
        unsigned char c = static_cast<unsigned char>(str[i]);
        size_t nStart = i;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            ++nControls;
            ++i;
        } else if (c < 0x80) {
            // Text between line breaks comes eight bytes at a time.
            i = SkipPrintable(str, i + 1, true);
            continue;
        } else if (unsigned nCodePoint = DecodeUtf8(str, i);
                   nCodePoint == kInvalidUtf8 || nCodePoint == 0xFFFD) {
            ++nUnreadable;
        } else {
            continue;
        }
        strOut.append(str, nStretch, nStart - nStretch);
        if (c >= 0x20) { // not a control character, which is left out: unreadable
            strOut += kReplacementCharacter;
        }
        nStretch = i;
    }
    if (nStretch == 0) {
        return CString(std::move(str));
    }
    strOut.append(str, nStretch, std::string::npos);
    return CString(std::move(strOut));
}

bool IsCollapsedBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads a text as Collapsed gives it, a character at a time, without making it.
class CCollapsedWalk {
public:
    explicit CCollapsedWalk(const std::string& str) : m_str(str) {}

    // The next character as an unsigned byte, or -1 at the end.
    int Next() {
        size_t nFrom = m_nPos;
        while (m_nPos < m_str.size() && IsCollapsedBlank(m_str[m_nPos])) {
            ++m_nPos;
        }
        if (m_nPos == m_str.size()) {
            return -1; // blanks at the end are dropped
        }
        if (m_nPos > nFrom && m_bStarted) {
            return ' '; // a run of blanks between characters; the character comes next time
        }
        m_bStarted = true;
        return static_cast<unsigned char>(m_str[m_nPos++]);
    }

private:
    const std::string& m_str;
    size_t m_nPos = 0;
    bool m_bStarted = false;
};

} // namespace

std::string Join(std::initializer_list<std::string_view> texts, const char* pszSeparator) {
    std::string str;
    for (std::string_view strText : texts) {
        if (!strText.empty()) {
            if (!str.empty()) {
                str += pszSeparator;
            }
            str.append(strText);
        }
    }
    return str;
}

bool SameWhenCollapsed(const std::string& a, const std::string& b) {
    if (a == b) {
        return true; // as most often
    }
    CCollapsedWalk walkA(a);
    CCollapsedWalk walkB(b);
    for (;;) {
        int c = walkA.Next();
        if (c != walkB.Next()) {
            return false;
        }
        if (c < 0) {
            return true;
        }
    }
}

std::string Collapsed(const std::string& str) {
    std::string strOut;
    strOut.reserve(str.size());
    for (char c : str) {
        bool bBlank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!bBlank) {
            strOut += c;
        } else if (!strOut.empty() && strOut.back() != ' ') {
            strOut += ' ';
        }
    }
    while (!strOut.empty() && strOut.back() == ' ') {
        strOut.pop_back();
    }
    return strOut;
}


namespace {

// Whether the text starts with a character of Han, kana or Hangul.
bool StartsEastAsian(const std::string& str) {
    size_t i = 0;
    unsigned c = DecodeUtf8(str, i);
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

} // namespace

namespace {

// Whether both names are in the scripts that write the family name first and without a blank.
bool FamilyNameFirst(const std::string& strFirst, const std::string& strLast) {
    return !strFirst.empty() && !strLast.empty() && StartsEastAsian(strFirst) && StartsEastAsian(strLast);
}

// str == PlainDisplayName(strFirst, strLast), without making it.
bool IsPlainDisplayName(std::string_view str, const std::string& strFirst, const std::string& strLast) {
    if (FamilyNameFirst(strFirst, strLast)) {
        return str.size() == strLast.size() + strFirst.size() && str.substr(0, strLast.size()) == strLast &&
               str.substr(strLast.size()) == strFirst;
    }
    if (strFirst.empty() || strLast.empty()) {
        return str == (strFirst.empty() ? strLast : strFirst);
    }
    return str.size() == strFirst.size() + 1 + strLast.size() && str.substr(0, strFirst.size()) == strFirst &&
           str[strFirst.size()] == ' ' && str.substr(strFirst.size() + 1) == strLast;
}

} // namespace

std::string PlainDisplayName(const std::string& strFirst, const std::string& strLast) {
    if (FamilyNameFirst(strFirst, strLast)) {
        return strLast + strFirst;
    }
    return Join({strFirst, strLast}, " ");
}

namespace {

const int kDisplayNameForms = 5;

std::string DisplayNameForm(int nForm, const std::string& strFirst, const std::string& strLast,
                            const std::string& strMiddle, const std::string& strPrefix,
                            const std::string& strSuffix) {
    switch (nForm) {
    case 0: return PlainDisplayName(strFirst, strLast);
    case 1: return Join({strLast, strFirst}, " ");
    case 2: return Join({strLast, strFirst}, ", ");
    case 3: return Join({strFirst, strMiddle, strLast}, " ");
    default: return Join({strPrefix, strFirst, strMiddle, strLast, strSuffix}, " ");
    }
}

} // namespace

std::vector<std::string> DisplayNameForms(const std::string& strFirst, const std::string& strLast,
                                          const std::string& strMiddle, const std::string& strPrefix,
                                          const std::string& strSuffix) {
    std::vector<std::string> forms;
    for (int nForm = 0; nForm < kDisplayNameForms; ++nForm) {
        forms.push_back(DisplayNameForm(nForm, strFirst, strLast, strMiddle, strPrefix, strSuffix));
    }
    return forms;
}

std::string NormaliseLineBreaks(const std::string& str) {
    if (!HasLineBreak(str)) {
        return str;
    }
    std::string strOut;
    strOut.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        if (str[i] == '\r' || str[i] == '\n') {
            if (str[i] == '\r' && i + 1 < str.size() && str[i + 1] == '\n') {
                ++i;
            }
            strOut += "\r\n";
        } else {
            strOut += str[i];
        }
    }
    return strOut;
}

CContactBuilder::CContactBuilder(CImportReport& report, const CString& strFile, int nLine)
    : m_report(report), m_strFile(strFile), m_nLine(nLine) {
    std::fill(std::begin(m_fieldSources), std::end(m_fieldSources), -1);
}

CReadValue ValueOfField(int nField, std::string strText) {
    const CContactValue kind = FieldValueOf(nField, CString());
    CReadValue value;
    value.kind = kind.kind;
    value.strType = kind.type.GetStdString();
    value.strLabel = kind.label.GetStdString();
    if (value.kind == EValueKind::address) {
        value.parts.resize(kAddressPartCount);
        value.parts[addressStreet] = std::move(strText); // the whole address, as in the field
    } else {
        value.strText = std::move(strText);
    }
    return value;
}

bool CContactBuilder::SetField(int nField, std::string strValue, bool bPreferred) {
    if (strValue.empty()) {
        return false;
    }
    if (nField == CContact::fieldNote) {
        AppendNote(strValue);
        return true;
    }
    if (m_values[nField].empty()) {
        m_values[nField] = std::move(strValue);
        m_bPreferred[nField] = bPreferred;
        m_fieldSources[nField] = m_nSource;
        return true;
    }
    if (m_values[nField] == strValue) {
        return false; // the same value twice is one value
    }
    if (bPreferred && !m_bPreferred[nField]) {
        // The earlier value moves, and keeps saying where it came from.
        const int nSource = m_nSource;
        m_nSource = m_fieldSources[nField];
        AddValue(ValueOfField(nField, std::move(m_values[nField])));
        m_nSource = nSource;
        m_values[nField] = std::move(strValue);
        m_bPreferred[nField] = true;
        m_fieldSources[nField] = m_nSource;
        return true;
    }
    AddValue(ValueOfField(nField, std::move(strValue)));
    return false;
}

void CContactBuilder::AddValue(CReadValue value) {
    bool bEmpty = value.strText.empty();
    for (const std::string& strPart : value.parts) {
        bEmpty = bEmpty && strPart.empty();
    }
    if (bEmpty) {
        return;
    }
    // The same value twice stays twice: each has its line in the card, which a writer that
    // removes the value must find.
    m_further.push_back(std::move(value));
    m_valueSources.push_back(m_nSource);
}

void CContactBuilder::AddToNote(const std::string& strLabel, const std::string& strValue) {
    if (strValue.empty() || !m_bExtrasToNote) {
        return;
    }
    AppendLine(m_strExtraNote, strLabel + ": " + strValue);
    ++m_report.nMovedToNote;
}

void CContactBuilder::AppendNote(const std::string& strValue) {
    if (!strValue.empty()) {
        AppendLine(m_values[CContact::fieldNote], strValue);
    }
}

void CContactBuilder::ApplyDisplayName(const std::string& strDisplay, const std::string& strMiddle,
                                       const std::string& strPrefix, const std::string& strSuffix) {
    const std::string& strLast = m_values[CContact::fieldLastName];
    const std::string& strFirst = m_values[CContact::fieldFirstName];
    const bool bNames = !strLast.empty() || !strFirst.empty();
    // Most display names are the first form to the letter: told without making either.
    if (bNames && IsPlainDisplayName(strDisplay, strFirst, strLast)) {
        return;
    }
    std::string str = Collapsed(strDisplay);
    if (!bNames) {
        if (str.empty() || SameWhenCollapsed(str, m_values[CContact::fieldCompany])) {
            return;
        }
        // Only a display name: its last word is taken as the last name.
        size_t nSpace = strDisplay.rfind(' ');
        if (nSpace == std::string::npos) {
            SetField(CContact::fieldLastName, strDisplay);
        } else {
            SetField(CContact::fieldFirstName, strDisplay.substr(0, nSpace));
            SetField(CContact::fieldLastName, strDisplay.substr(nSpace + 1));
        }
        return;
    }
    // Most display names are the first form; the others are made only when it is not.
    for (int nForm = 0; nForm < kDisplayNameForms; ++nForm) {
        if (str.empty() || SameWhenCollapsed(str, DisplayNameForm(nForm, strFirst, strLast, strMiddle,
                                                                  strPrefix, strSuffix))) {
            return;
        }
    }
    AddToNote("Display name", strDisplay);
}

bool CContactBuilder::Finish(CContact& contact) {
    AppendNote(m_strExtraNote);
    m_strExtraNote.clear();
    // Every text is set below; only the numbers are left to start afresh.
    contact.marked = 0;
    contact.id = 0;
    bool bAny = false;
    // By field, and after the fields for the further values.
    int nControls[CContact::kFieldCount + 1] = {};
    int nUnreadable[CContact::kFieldCount + 1] = {};
    bool bPlain[CContact::kFieldCount];
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        CString& strField = contact.FieldAt(i);
        bPlain[i] = true;
        if (m_values[i].empty()) {
            strField.Empty(); // as most of a contact's fields: nothing to look at or to move
            continue;
        }
        // The values are handed over: a finished builder is done with them.
        strField = ImportedText(std::move(m_values[i]), nControls[i], nUnreadable[i], bPlain[i]);
        m_values[i].clear();
        // What is left once the control characters are out: a row of nothing but those holds
        // no contact.
        bAny = bAny || !strField.IsEmpty();
    }
    FinishValues(contact, nControls[CContact::kFieldCount], nUnreadable[CContact::kFieldCount]);
    if (!contact.values.empty()) {
        // A field left empty (it held nothing but control characters) takes the next value of
        // its kind, as the card would give it read again.
        MoveValuesToEmptyFields(contact, &m_valueSources, m_fieldSources);
    }
    bAny = bAny || !contact.values.empty();
    if (!bAny) {
        m_report.Warn(m_strFile, m_nLine, "a contact without any text was left out");
        return false;
    }
    // Most contacts need no warning, nor the name one would give.
    bool bReplaced = false;
    for (int i = 0; i <= CContact::kFieldCount; ++i) {
        bReplaced = bReplaced || nUnreadable[i] > 0 || nControls[i] > 0;
    }
    if (bReplaced) {
        ReportReplacements(contact, nUnreadable, nControls);
    }
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        if (!bPlain[i]) {
            contact.EncodeStoredText(i);
        }
    }
    return true;
}

namespace {

// The control characters a stored text cannot hold: all below a blank but the tab.
const std::string_view kControlCharacters("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x0A\x0B\x0C\x0D\x0E\x0F"
                                          "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F",
                                          31);

} // namespace

void CContactBuilder::FinishValues(CContact& contact, int& nControls, int& nUnreadable) {
    contact.values.clear();
    std::vector<int> sources;
    auto stored = [&](std::string& str) {
        bool bPlain = true;
        CString strText = ImportedText(std::move(str), nControls, nUnreadable, bPlain);
        return bPlain ? strText : StoredTextOf(strText.GetStdString());
    };
    for (size_t i = 0; i < m_further.size(); ++i) {
        CReadValue& read = m_further[i];
        if (read.kind == EValueKind::cardProperty) {
            // A kept line goes out as it is: a control character left out of its name could
            // make it another property ("T\0E\0L" a TEL) when read again.
            for (size_t k = read.strText.find_first_of(kControlCharacters); k != std::string::npos;
                 k = read.strText.find_first_of(kControlCharacters, k + 1)) {
                read.strText.replace(k, 1, kReplacementCharacter);
                ++nUnreadable;
            }
        }
        bool bAny = false;
        CContactValue value = StoredValueOf(read, stored, bAny);
        // A text of nothing but control characters holds no value.
        if (bAny) {
            contact.values.push_back(std::move(value));
            sources.push_back(m_valueSources[i]);
        }
    }
    m_further.clear();
    m_valueSources = std::move(sources);
}

void CContactBuilder::ReportReplacements(const CContact& contact, const int* pUnreadable,
                                         const int* pControls) {
    CString strName = contact.lastname;
    if (strName.IsEmpty() || contact.firstname.IsEmpty()) {
        strName += contact.firstname;
    } else {
        strName += ", " + contact.firstname;
    }
    if (strName.IsEmpty()) {
        strName = contact.company;
    }
    for (int i = 0; i <= CContact::kFieldCount; ++i) {
        const char* pszWhere = i < CContact::kFieldCount ? CContact::FieldLabel(i) : "further values";
        if (pUnreadable[i] > 0) {
            ReportReplaced(strName, pszWhere, pUnreadable[i], "character that could not be read",
                           "characters that could not be read",
                           std::string("written as ") + kReplacementCharacter);
        }
        ReportReplaced(strName, pszWhere, pControls[i], "control character", "control characters", "left out");
    }
}

void CContactBuilder::ReportReplaced(const CString& strName, const char* pszWhere, int nCount, const char* pszOne,
                                     const char* pszMany, const std::string& strWhatBecameOfThem) {
    if (nCount == 0) {
        return;
    }
    m_report.nReplaced += nCount;
    CString strText;
    strText.Format("contact \"%s\": %d %s in the %s %s %s", strName.GetString(), nCount,
                   nCount == 1 ? pszOne : pszMany, pszWhere, nCount == 1 ? "is" : "are",
                   strWhatBecameOfThem.c_str());
    m_report.Warn(m_strFile, m_nLine, strText);
}
