#include "Contact.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

struct FieldInfo {
    CString CContact::*pMember;
    const char* pszTag;
    const char* pszLabel;
};

const FieldInfo g_fields[CContact::kFieldCount] = {
    {&CContact::lastname, "lastname", "last name"},
    {&CContact::firstname, "firstname", "first name"},
    {&CContact::nickname, "nickname", "nickname"},
    {&CContact::company, "company", "company"},
    {&CContact::jobtitle, "jobtitle", "job title"},
    {&CContact::homephone, "homephone", "home phone"},
    {&CContact::mobile, "mobile", "mobile"},
    {&CContact::homeemail, "homeemail", "home e-mail"},
    {&CContact::homewww, "homewww", "home web page"},
    {&CContact::homeaddress, "homeaddress", "home address"},
    {&CContact::officephone, "officephone", "office phone"},
    {&CContact::officefax, "officefax", "office fax"},
    {&CContact::officeemail, "officeemail", "office e-mail"},
    {&CContact::officewww, "officewww", "office web page"},
    {&CContact::officeaddress, "officeaddress", "office address"},
    {&CContact::note, "note", "note"},
};

} // namespace

CContact& CContact::CopyFrom(const CContact& other) {
    if (this != &other) {
        for (int i = 0; i < kFieldCount; ++i) {
            FieldAt(i) = other.FieldAt(i);
        }
        id = other.id;
        marked = other.marked;
        values = other.values;
    }
    return *this;
}

CString& CContact::FieldAt(int nField) { return this->*g_fields[nField].pMember; }
const CString& CContact::FieldAt(int nField) const { return this->*g_fields[nField].pMember; }
const char* CContact::FieldTag(int nField) { return g_fields[nField].pszTag; }
const char* CContact::FieldLabel(int nField) { return g_fields[nField].pszLabel; }

bool CContact::IsMultiLineField(int nField) {
    return nField == fieldHomeAddress || nField == fieldOfficeAddress || nField == fieldNote;
}

int CContact::IsEmpty() const {
    if (!values.empty()) {
        return 0;
    }
    for (int i = 0; i < fieldNote; ++i) {
        if (!FieldAt(i).IsEmpty()) {
            return 0;
        }
    }
    return 1;
}

void CContact::EncodeStoredText() {
    for (int i = 0; i < kFieldCount; ++i) {
        EncodeStoredText(i);
    }
}

void CContact::EncodeStoredText(int nField) {
    const size_t kNone = std::string::npos;
    const std::string& str = FieldAt(nField).GetStdString();
    const bool bMultiLine = IsMultiLineField(nField);
    size_t nQuote = str.find('"');
    size_t nCr = bMultiLine ? str.find('\r') : kNone;
    // Most fields hold neither; they are left as they are.
    if (nQuote == kNone && nCr == kNone) {
        return;
    }
    // Both forms in one pass, from one stretch between them to the next, written through a
    // pointer into a text made once at its final length: an append per stretch would cost more
    // than the bytes it copies.
    auto isLineBreak = [&str](size_t n) { return n + 1 < str.size() && str[n + 1] == '\n'; };
    size_t nLength = str.size();
    for (size_t n = nQuote; n != kNone; n = str.find('"', n + 1)) {
        nLength += sizeof kStoredQuote - 2;
    }
    for (size_t n = nCr; n != kNone; n = str.find('\r', n + 1)) {
        nLength += isLineBreak(n) ? sizeof kStoredLineBreak - 3 : 0;
    }
    std::string strStored(nLength, '\0');
    char* pOut = &strStored[0];
    auto put = [&pOut](const char* pch, size_t nCount) {
        std::memcpy(pOut, pch, nCount);
        pOut += nCount;
    };
    size_t nFrom = 0;
    for (size_t nAt = std::min(nQuote, nCr); nAt != kNone; nAt = std::min(nQuote, nCr)) {
        put(str.data() + nFrom, nAt - nFrom);
        if (nAt == nQuote) {
            put(kStoredQuote, sizeof kStoredQuote - 1);
            nFrom = nAt + 1;
            nQuote = str.find('"', nFrom);
        } else {
            // A CR without an LF after it is no line break of the contact's and stays.
            bool bBreak = isLineBreak(nAt);
            put(bBreak ? kStoredLineBreak : "\r", bBreak ? sizeof kStoredLineBreak - 1 : 1);
            nFrom = nAt + (bBreak ? 2 : 1);
            nCr = str.find('\r', nFrom);
        }
    }
    put(str.data() + nFrom, str.size() - nFrom);
    FieldAt(nField) = CString(std::move(strStored));
}

CString CContact::DisplayText(int nField) const {
    if (IsMultiLineField(nField)) {
        return DisplayTextOf(FieldAt(nField));
    }
    // A line break is stored only in the multi-line fields.
    CString strText = FieldAt(nField);
    if (strText.Find('&') >= 0) {
        strText.Replace(kStoredQuote, "\"");
    }
    return strText;
}

void CContact::DecodeStoredText() {
    for (int i = 0; i < kFieldCount; ++i) {
        if (IsMultiLineField(i)) {
            FieldAt(i).Replace(kStoredLineBreak, "\r\n");
        }
    }
    for (int i = 0; i < kFieldCount; ++i) {
        FieldAt(i).Replace(kStoredQuote, "\"");
    }
}
