// Where each of the sixteen fields lives in a vCard: its property, its place in a structured
// value and its types. The writer walks the table to write a card and the reader looks values
// up in it, so what is written is what is read back.
#pragma once

#include "VCardEscape.h"
#include "VCardProperty.h"

#include <string>
#include <vector>

struct CVCardField {
    int nField;
    const char* pszProperty;
    int nComponent;           // the field's component of a structured value, or -1 for the whole value
    int nComponents;          // how many components the writer gives the structured value
    const char* pszSelect;    // the type that selects the field when reading; nullptr when untyped
    const char* pszTypes;     // the types written, as 3.0 spells them; 2.1 gives them as bare parameters
    const char* pszTypes40;   // as 4.0 spells them
    const char* pszNoteLabel; // a value of the property that finds no field goes into the note under this
};

// The sixteen fields in the order a card is written.
const std::vector<CVCardField>& VCardFields();

// True for the properties the table spreads over fields by their types (TEL, EMAIL, URL, ADR).
bool IsTypedProperty(const std::string& strProperty);
// The field a value of a typed property fills: the one its most specific type selects, as a
// fax line at work is a fax and not the office phone. nullptr when no type selects a field.
const CVCardField* FindTypedField(const std::string& strProperty, const CVCardProperty& prop);
// The field a value of a typed property fills when none of its types selects one: the home one.
const CVCardField* DefaultTypedField(const std::string& strProperty);

// The same for a reader that knows the property's name: the rows of the name in the table's
// order (none for a name without fields), and the typed rows.
const std::vector<const CVCardField*>& VCardFieldsOf(VCardName name);
const CVCardField* FindTypedField(VCardName name, const CVCardProperty& prop);
const CVCardField* DefaultTypedField(VCardName name);

// "TEL;TYPE=WORK,FAX" and the like: the property with the field's types as the version writes them.
std::string VCardHead(const char* pszProperty, const CVCardField& field, VCardVersion version);
