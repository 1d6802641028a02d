// Several contacts that are one person made into one, without losing a value. Each field takes
// its one value, or, where the contacts differ, the value chosen for it; by default the longest
// (the most complete), the earliest contact's among equally long ones; the first and the last
// name come together from the first contact that has a name. Every other value becomes a
// further value of its field's kind (a second mobile number, a company under the label
// "Company"), unless the note, a field of its kind or a value holds it already; the notes
// themselves are joined. Values of a name
// that only restate the merged name (the same words in another order, case or accent) are the
// name and need no line. One value written two ways (IsSameValue) is one value: the merged
// contact keeps the first contact's spelling of it. The further values of every contact are kept
// as values, each once.
#pragma once

#include "ContactArray.h"

#include <string>
#include <unordered_set>
#include <vector>

// For each field, the index of the contact (into the merged ones) whose value to take, or -1
// for the default.
using CMergeChoices = std::vector<int>;

// The contacts in the order given; the merged contact in stored form, with the first one's id.
CContact MergeContacts(const std::vector<CContact>& contacts, const CMergeChoices& choices = CMergeChoices());

// Adds to the merged contact every value of the contacts that it holds nowhere, each note whole
// to its note and each other value as a further value of its field's kind, and to its further
// values every one it lacks: what keeps a merged contact that was changed afterwards (another value taken, an
// edit) from losing one.
void KeepEveryValue(CContact& merged, const std::vector<CContact>& contacts);

// The contacts that hold a value of a field, and which of them the merge takes for it: -1 when
// no two values differ (nothing to choose). Values that are one (IsSameValue) do not differ.
int DefaultMergeChoice(const std::vector<CContact>& contacts, int nField);

// Whether two values of a field are one value: the same text; in a phone or fax field also the
// same number however it is spaced and punctuated ("+1 425 555 0199", "+14255550199",
// "001 425 555-0199"), with the same words around it ("ext. 12"); in an e-mail field also the
// same text in another case. A national and an international spelling of a number stay two
// values, since only the second says the country.
bool IsSameValue(int nField, const CString& strA, const CString& strB);

// Merges other into contact as the merge of the two keeps contact's values: a value of other
// that contact holds nowhere (not in its field, nor in another phone field for a number or
// another e-mail field for an address, nor in the name or the note) fills its field when that is
// empty, and otherwise becomes a further value of the field's kind; other's note is added unless
// contact's holds it; a further value of other that contact lacks is added to its values.
// Returns the fields of other whose values contact gained, in field order (fieldNote for the
// note, then kFurtherValues for further values); empty when contact held everything already and
// is unchanged.
std::vector<int> MergeInto(CContact& contact, const CContact& other);
const int kFurtherValues = CContact::kFieldCount;

// What the merges into one contact added, for an import that may bring one person thousands of
// times: each later merge looks for a value in the note only as the note was before the first,
// and among the values the merges added, so that a merge costs the same however many came
// before it. One memo for each contact merged into, kept from its first merge on.
struct CMergeMemo {
    size_t nNoteSearched = std::string::npos; // the note's length before the first merge
    std::unordered_set<std::string> added;    // the values the merges put into a field or the note
};
std::vector<int> MergeInto(CContact& contact, const CContact& other, CMergeMemo& memo);
