#include "VCardFields.h"

#include "data/Contact.h"

#include <cstring>

namespace {

typedef CContact C;

// Structured values carry all the components their property defines (N five, ADR seven), empty
// where the contact has no field, so that strict readers accept them. The whole multi-line
// address goes into the street, where no reader loses a line of it.
const CVCardField g_fields[] = {
    {C::fieldLastName, "N", 0, 5, nullptr, nullptr, nullptr, nullptr},
    {C::fieldFirstName, "N", 1, 5, nullptr, nullptr, nullptr, nullptr},
    {C::fieldNickname, "NICKNAME", -1, 0, nullptr, nullptr, nullptr, nullptr},
    {C::fieldCompany, "ORG", 0, 1, nullptr, nullptr, nullptr, nullptr},
    {C::fieldJobTitle, "TITLE", -1, 0, nullptr, nullptr, nullptr, nullptr},
    {C::fieldHomePhone, "TEL", -1, 0, "HOME", "HOME,VOICE", "home,voice", "Phone"},
    {C::fieldMobile, "TEL", -1, 0, "CELL", "CELL,VOICE", "cell,voice", "Phone"},
    {C::fieldOfficePhone, "TEL", -1, 0, "WORK", "WORK,VOICE", "work,voice", "Phone"},
    {C::fieldOfficeFax, "TEL", -1, 0, "FAX", "WORK,FAX", "work,fax", "Phone"},
    {C::fieldHomeEMail, "EMAIL", -1, 0, "HOME", "INTERNET,HOME", "home", "E-mail"},
    {C::fieldOfficeEMail, "EMAIL", -1, 0, "WORK", "INTERNET,WORK", "work", "E-mail"},
    {C::fieldHomeWWW, "URL", -1, 0, "HOME", "HOME", "home", "Web page"},
    {C::fieldOfficeWWW, "URL", -1, 0, "WORK", "WORK", "work", "Web page"},
    {C::fieldHomeAddress, "ADR", 2, 7, "HOME", "HOME", "home", "Address"},
    {C::fieldOfficeAddress, "ADR", 2, 7, "WORK", "WORK", "work", "Address"},
    {C::fieldNote, "NOTE", -1, 0, nullptr, nullptr, nullptr, nullptr},
};

// The order in which types select a field, most specific first.
const char* const g_precedence[] = {"FAX", "CELL", "WORK", "HOME"};
const unsigned g_precedenceBits[] = {typeFax, typeCell, typeWork, typeHome};
const size_t kPrecedence = sizeof(g_precedence) / sizeof(g_precedence[0]);

const CVCardField* FindRow(const std::string& strProperty, const char* pszSelect) {
    for (const CVCardField& field : g_fields) {
        if (field.pszSelect && strProperty == field.pszProperty &&
            std::strcmp(field.pszSelect, pszSelect) == 0) {
            return &field;
        }
    }
    return nullptr;
}

// The rows of every name, looked up in the table once instead of for every property read.
struct CRowsByName {
    std::vector<const CVCardField*> rows[kVCardNameCount];
    const CVCardField* typed[kVCardNameCount][kPrecedence] = {};

    CRowsByName() {
        for (const CVCardField& field : g_fields) {
            size_t nName = static_cast<size_t>(VCardNameOf(field.pszProperty));
            rows[nName].push_back(&field);
            for (size_t k = 0; k < kPrecedence; ++k) {
                typed[nName][k] = FindRow(field.pszProperty, g_precedence[k]);
            }
        }
    }
};

const CRowsByName& RowsByName() {
    static const CRowsByName s_rows;
    return s_rows;
}

} // namespace

const std::vector<CVCardField>& VCardFields() {
    static const std::vector<CVCardField> s_fields(std::begin(g_fields), std::end(g_fields));
    return s_fields;
}

bool IsTypedProperty(const std::string& strProperty) {
    return DefaultTypedField(strProperty) != nullptr;
}

const CVCardField* FindTypedField(const std::string& strProperty, const CVCardProperty& prop) {
    for (const char* pszType : g_precedence) {
        const CVCardField* pField = prop.Has(pszType) ? FindRow(strProperty, pszType) : nullptr;
        if (pField) {
            return pField;
        }
    }
    return nullptr;
}

const CVCardField* DefaultTypedField(const std::string& strProperty) {
    return FindRow(strProperty, "HOME");
}

const std::vector<const CVCardField*>& VCardFieldsOf(VCardName name) {
    return RowsByName().rows[static_cast<size_t>(name)];
}

const CVCardField* FindTypedField(VCardName name, const CVCardProperty& prop) {
    const CVCardField* const* typed = RowsByName().typed[static_cast<size_t>(name)];
    for (size_t k = 0; k < kPrecedence; ++k) {
        if (typed[k] && prop.HasType(g_precedenceBits[k])) {
            return typed[k];
        }
    }
    return nullptr;
}

const CVCardField* DefaultTypedField(VCardName name) {
    return RowsByName().typed[static_cast<size_t>(name)][kPrecedence - 1];
}

std::string VCardHead(const char* pszProperty, const CVCardField& field, VCardVersion version) {
    std::string strHead(pszProperty);
    if (!field.pszTypes) {
        return strHead;
    }
    if (version == VCardVersion::v40) {
        return strHead + ";TYPE=" + field.pszTypes40;
    }
    if (version == VCardVersion::v30) {
        return strHead + ";TYPE=" + field.pszTypes;
    }
    std::string strTypes(field.pszTypes);
    for (char& c : strTypes) {
        c = c == ',' ? ';' : c;
    }
    return strHead + ";" + strTypes;
}
