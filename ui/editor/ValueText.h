// The rules of the editor's further values, apart from any window: the names the user sees for
// each kind, the usual types a kind offers, which controls edit it, how a date is written and
// read, what is missing before a value can be kept, and the one line a value shows in the list.
// Texts in and out are in the stored form unless a name says otherwise. Portable: natively tested.
#pragma once

#include "data/Contact.h"
#include "data/ValueDate.h"
#include "framework/core/Rect.h"

#include <vector>

// The kinds the user can choose for a new value, in the order the Kind box lists them. A photo
// and a card's property are never chosen: the first has its own place, the second came as it is.
extern const EValueKind kChoosableKinds[13];

// How a kind's value is typed in.
enum class EValueEditor { plainText, address, date };

struct CValueKindRules {
    const char* pszName; // what the user reads, "Phone", "E-mail"...
    bool bHasType;       // a Type box: the use, the service or the relation
    bool bHasLabel;      // a Label box: the user's own name for the value
    EValueEditor editor;
    std::vector<const char*> typeChoices; // what the Type box offers, as shown
};

const CValueKindRules& KindRules(EValueKind kind);

// The type as the Type box shows it, and back. A date of no named kind shows as "other"; typed
// text goes lower case, a list of uses without the spaces around its commas.
CString ShownTypeOf(EValueKind kind, const CString& strType);
CString StoredTypeOf(EValueKind kind, const CString& strShown);

// The year a date picker shows for a date without one: a leap year, so that 29 February stays.
inline constexpr int kNoYearPickerYear = 2000;
// What a picker showing nYear-nMonth-nDay stands for, with or without its year.
CValueDate DateFromPicker(int nYear, int nMonth, int nDay, bool bNoYear);

// Why the value cannot be kept as it is (nothing entered, a custom value without its label), as
// the user reads it; null when it can.
const char* MissingPartMessage(const CContactValue& value);

// The list's columns: the kind, the label and type, the value on one line.
CString KindColumnText(const CContactValue& value);
CString LabelColumnText(const CContactValue& value);
CString ValueColumnText(const CContactValue& value);

// Whether the list shows the value at nIndex: not a photo, and not the parts of an address field,
// which the field shows.
bool IsListedValue(const CContact& contact, size_t nIndex);

// Where a picture of nWidth by nHeight pixels is shown in a box of nBoxWidth by nBoxHeight: as
// large as fits with its shape kept, never larger than it is (a small photo is not blown up
// into blur), centred. Empty for a picture or a box without area.
CRectI FitPicture(int nWidth, int nHeight, int nBoxWidth, int nBoxHeight);
