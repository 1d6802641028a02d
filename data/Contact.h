// CContact: one address book entry, sixteen texts (UTF-8), two integers and the further values
// beyond the sixteen fields, held by value. Texts are kept in their stored form: a double quote
// as "&quote;" and, in the three multi-line fields, a line break as the four characters \r\n.
// Only the editor converts to plain text.
#pragma once

#include "ContactValue.h"
#include "framework/core/String.h"

#include <vector>

class CContact {
public:
    enum Field {
        fieldLastName,
        fieldFirstName,
        fieldNickname,
        fieldCompany,
        fieldJobTitle,
        fieldHomePhone,
        fieldMobile,
        fieldHomeEMail,
        fieldHomeWWW,
        fieldHomeAddress,
        fieldOfficePhone,
        fieldOfficeFax,
        fieldOfficeEMail,
        fieldOfficeWWW,
        fieldOfficeAddress,
        fieldNote,
        kFieldCount
    };

    CContact() = default;
    CContact(const CContact& other) = default;
    CContact(CContact&& other) noexcept = default;
    CContact& operator=(const CContact& other) { return CopyFrom(other); }
    CContact& operator=(CContact&& other) noexcept = default;
    virtual ~CContact() = default;

    // Copies the sixteen texts, then id, then marked, then the further values.
    CContact& CopyFrom(const CContact& other);

    // 1 when the fifteen fields before the note are all empty and no further value is held.
    int IsEmpty() const;

    // Editor text to stored form, and back.
    void EncodeStoredText();
    void EncodeStoredText(int nField);
    void DecodeStoredText();
    // A field as the user typed it (the stored form decoded), as the list shows it and the search
    // sees it.
    CString DisplayText(int nField) const;

    CString& FieldAt(int nField);
    const CString& FieldAt(int nField) const;
    // The element name of a field in the address book file.
    static const char* FieldTag(int nField);
    // The field's name in messages and in note lines, lower case ("home phone").
    static const char* FieldLabel(int nField);
    static bool IsMultiLineField(int nField);

    int marked = 0;
    int id = 0;
    CString lastname;
    CString firstname;
    CString nickname;
    CString company;
    CString jobtitle;
    CString homephone;
    CString mobile;
    CString homeemail;
    CString homewww;
    CString homeaddress;
    CString officephone;
    CString officefax;
    CString officeemail;
    CString officewww;
    CString officeaddress;
    CString note;
    std::vector<CContactValue> values; // beyond the sixteen fields, in the order given
};

// The address value that holds an address field's parts, as a card gave them: of the field's
// kind ("work" among its types for the office address, not for the home one), without a label,
// its lines the field's text. Its index in the values, or -1 for none. Writers give the field's
// address in those parts, and show the value no more than the field.
int FieldAddressParts(const CContact& contact, int nField);
// After an edit: an address field whose text changed no longer has the parts it had, which would
// otherwise stand beside it as a second, outdated address.
void DropOutdatedAddressParts(const CContact& before, CContact& after);

// A field's value as a further value of the field's kind, for a second value that finds the
// field taken: a number, e-mail address or web page with the field's types, an address whole
// in its street, a name, the company or the job title as a custom value under the field's
// label. strStored is in stored form; the note has no kind (a custom value "Note").
CContactValue FieldValueOf(int nField, const CString& strStored);

// The field a further value would fill where that field is empty, as a card's property of its
// types fills it: for a number the most specific of fax (at work), mobile, work and home, a plain
// one the home phone, and none for a pager, a fax at home or another kind of line; for an e-mail
// address, web page or postal address work, else home; for a custom value labelled with a
// name's or the company's field label (a card's second name), that field. -1 for the other
// kinds and for a value with a label of the user's own, which is a value of its own.
int FieldOfValue(const CContactValue& value);
// Each field is the first value of its kind: a value whose field is empty moves into it (an
// address keeps its parts beside it). True when anything moved. With pValueTags (one per value)
// and pFieldTags (one per field), a tag goes along with its value.
bool MoveValuesToEmptyFields(CContact& contact, std::vector<int>* pValueTags = nullptr, int* pFieldTags = nullptr);

// The contact as a person names it in a list or a message: "last, first" as typed, or the
// company of a contact without a name.
CString ListNameOf(const CContact& contact);
