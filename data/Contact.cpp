#include "Contact.h"

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
    for (int i = 0; i < fieldNote; ++i) {
        if (!FieldAt(i).IsEmpty()) {
            return 0;
        }
    }
    return 1;
}

void CContact::EncodeStoredText() {
    // Most fields hold neither; they are left as they are.
    for (int i = 0; i < kFieldCount; ++i) {
        if (IsMultiLineField(i) && FieldAt(i).GetStdString().find('\r') != std::string::npos) {
            FieldAt(i).Replace("\r\n", kStoredLineBreak);
        }
    }
    for (int i = 0; i < kFieldCount; ++i) {
        if (FieldAt(i).GetStdString().find('"') != std::string::npos) {
            FieldAt(i).Replace("\"", kStoredQuote);
        }
    }
}

CString CContact::DisplayText(int nField) const {
    CString strText = FieldAt(nField);
    // Most fields hold neither form; they are handed out as they are.
    if (strText.Find('&') >= 0) {
        strText.Replace(kStoredQuote, "\"");
    }
    if (IsMultiLineField(nField) && strText.Find('\\') >= 0) {
        strText.Replace(kStoredLineBreak, "\r\n");
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
