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
    CString& strField = FieldAt(nField);
    const std::string& str = strField.GetStdString();
    // Most fields hold neither form; they are left as they are.
    if (str.find('"') != std::string::npos || str.find('&') != std::string::npos ||
        (IsMultiLineField(nField) && str.find('\r') != std::string::npos)) {
        strField = StoredTextOf(str, IsMultiLineField(nField));
    }
}

CString CContact::DisplayText(int nField) const {
    if (IsMultiLineField(nField)) {
        return DisplayTextOf(FieldAt(nField));
    }
    // A line break is stored only in the multi-line fields.
    CString strText = FieldAt(nField);
    DecodeStoredQuotes(strText);
    return strText;
}

void CContact::DecodeStoredText() {
    for (int i = 0; i < kFieldCount; ++i) {
        if (IsMultiLineField(i)) {
            FieldAt(i).Replace(kStoredLineBreak, "\r\n");
        }
    }
    for (int i = 0; i < kFieldCount; ++i) {
        DecodeStoredQuotes(FieldAt(i));
    }
}

int FieldAddressParts(const CContact& contact, int nField) {
    const bool bOffice = nField == CContact::fieldOfficeAddress;
    if (!bOffice && nField != CContact::fieldHomeAddress) {
        return -1;
    }
    const CString& strField = contact.FieldAt(nField);
    if (strField.IsEmpty()) {
        return -1;
    }
    for (size_t i = 0; i < contact.values.size(); ++i) {
        const CContactValue& value = contact.values[i];
        if (value.kind != EValueKind::address || !value.label.IsEmpty()) {
            continue;
        }
        const std::string strTypes = "," + value.type.GetStdString() + ",";
        const bool bWork = strTypes.find(",work,") != std::string::npos;
        if (bWork == bOffice && StoredTextOf(value.DisplayText().GetStdString()) == strField) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DropOutdatedAddressParts(const CContact& before, CContact& after) {
    for (int nField : {CContact::fieldHomeAddress, CContact::fieldOfficeAddress}) {
        const int nParts = FieldAddressParts(before, nField);
        if (nParts < 0 || before.FieldAt(nField) == after.FieldAt(nField)) {
            continue;
        }
        const CContactValue& parts = before.values[static_cast<size_t>(nParts)];
        auto found = std::find(after.values.begin(), after.values.end(), parts);
        if (found != after.values.end()) {
            after.values.erase(found);
        }
    }
}

namespace {

bool SameNoCaseAscii(const std::string& str, const char* psz) {
    size_t i = 0;
    for (; i < str.size() && psz[i]; ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(str[i]) != lower(psz[i])) {
            return false;
        }
    }
    return i == str.size() && !psz[i];
}

bool HasType(const CString& strTypes, const char* pszType) {
    const std::string str = "," + strTypes.GetStdString() + ",";
    return str.find("," + std::string(pszType) + ",") != std::string::npos;
}

} // namespace

CContactValue FieldValueOf(int nField, const CString& strStored) {
    typedef CContact C;
    struct CFieldKind {
        int nField;
        EValueKind kind;
        const char* pszType;
    };
    static const CFieldKind s_kinds[] = {
        {C::fieldHomePhone, EValueKind::phone, "home"},     {C::fieldMobile, EValueKind::phone, "mobile"},
        {C::fieldOfficePhone, EValueKind::phone, "work"},   {C::fieldOfficeFax, EValueKind::phone, "work,fax"},
        {C::fieldHomeEMail, EValueKind::email, "home"},     {C::fieldOfficeEMail, EValueKind::email, "work"},
        {C::fieldHomeWWW, EValueKind::web, "home"},         {C::fieldOfficeWWW, EValueKind::web, "work"},
        {C::fieldHomeAddress, EValueKind::address, "home"}, {C::fieldOfficeAddress, EValueKind::address, "work"},
    };
    CContactValue value;
    std::string strLabel = C::FieldLabel(nField); // a name or the company: a label of its own
    strLabel[0] = static_cast<char>(strLabel[0] >= 'a' && strLabel[0] <= 'z' ? strLabel[0] - 'a' + 'A' : strLabel[0]);
    value.label = CString(strLabel);
    value.text = strStored;
    for (const CFieldKind& fieldKind : s_kinds) {
        if (fieldKind.nField == nField) {
            value.kind = fieldKind.kind;
            value.type = fieldKind.pszType;
            value.label.Empty();
        }
    }
    if (value.kind == EValueKind::address) {
        CString parts[kAddressPartCount];
        parts[addressStreet] = strStored; // the whole address, as in the field
        value.SetAddressParts(parts);
    }
    return value;
}

int FieldOfValue(const CContactValue& value) {
    typedef CContact C;
    if (value.kind == EValueKind::custom) {
        // A second name or company a card gave is kept under the field's own label.
        for (int nField : {C::fieldLastName, C::fieldFirstName, C::fieldNickname, C::fieldCompany, C::fieldJobTitle}) {
            if (SameNoCaseAscii(value.label.GetStdString(), C::FieldLabel(nField))) {
                return nField;
            }
        }
        return -1;
    }
    if (!value.label.IsEmpty()) {
        return -1;
    }
    const bool bWork = HasType(value.type, "work");
    switch (value.kind) {
    case EValueKind::phone:
        if (HasType(value.type, "fax")) {
            return HasType(value.type, "home") && !bWork ? -1 : C::fieldOfficeFax;
        }
        if (HasType(value.type, "pager")) {
            return -1;
        }
        if (HasType(value.type, "mobile") || HasType(value.type, "cell")) { // as a card writes it
            return C::fieldMobile;
        }
        if (bWork) {
            return C::fieldOfficePhone;
        }
        return HasType(value.type, "home") || value.type.IsEmpty() ? C::fieldHomePhone : -1;
    case EValueKind::email: return bWork ? C::fieldOfficeEMail : C::fieldHomeEMail;
    case EValueKind::web: return bWork ? C::fieldOfficeWWW : C::fieldHomeWWW;
    case EValueKind::address: return bWork ? C::fieldOfficeAddress : C::fieldHomeAddress;
    default: return -1;
    }
}

bool MoveValuesToEmptyFields(CContact& contact, std::vector<int>* pValueTags, int* pFieldTags) {
    bool bMoved = false;
    auto erase = [&](size_t i) {
        contact.values.erase(contact.values.begin() + static_cast<long>(i));
        if (pValueTags) {
            pValueTags->erase(pValueTags->begin() + static_cast<long>(i));
        }
    };
    for (size_t i = 0; i < contact.values.size();) {
        const CContactValue& value = contact.values[i];
        const int nField = FieldOfValue(value);
        if (nField < 0 || !contact.FieldAt(nField).IsEmpty()) {
            ++i;
            continue;
        }
        bMoved = true;
        if (pValueTags && pFieldTags) {
            pFieldTags[nField] = (*pValueTags)[i];
        }
        if (value.kind != EValueKind::address) {
            contact.FieldAt(nField) = value.text;
            erase(i);
            continue;
        }
        contact.FieldAt(nField) = StoredTextOf(value.DisplayText().GetStdString());
        // A street alone is all the field says; other parts stay as the field's.
        bool bStreetAlone = true;
        value.ForEachAddressPart([&bStreetAlone](int nPart, std::string_view part) {
            bStreetAlone = bStreetAlone && (nPart == addressStreet || part.empty());
        });
        if (bStreetAlone) {
            erase(i);
        } else {
            ++i;
        }
    }
    return bMoved;
}

CString ListNameOf(const CContact& contact) {
    CString strName = contact.DisplayText(CContact::fieldLastName);
    const CString strFirst = contact.DisplayText(CContact::fieldFirstName);
    if (!strFirst.IsEmpty()) {
        strName += (strName.IsEmpty() ? "" : ", ") + strFirst;
    }
    return strName.IsEmpty() ? contact.DisplayText(CContact::fieldCompany) : strName;
}
