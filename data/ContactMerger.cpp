#include "ContactMerger.h"

#include "ContactIdentity.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

bool IsWordCharacter(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
           static_cast<unsigned char>(ch) >= 0x80;
}

// Whether the text holds the part as it stands, not as the start or end of a longer word or
// number ("0171 555" is not held by "0171 5550").
bool Contains(std::string_view text, std::string_view part) {
    if (part.empty()) {
        return true; // nothing is held by any text
    }
    for (size_t n = text.find(part); n != std::string_view::npos; n = text.find(part, n + 1)) {
        bool bStartsWord = n == 0 || !IsWordCharacter(text[n - 1]) || !IsWordCharacter(part.front()) ||
                           (n >= 4 && text.substr(n - 4, 4) == kStoredLineBreak);
        bool bEndsWord = n + part.size() == text.size() || !IsWordCharacter(text[n + part.size()]) ||
                         !IsWordCharacter(part.back());
        if (bStartsWord && bEndsWord) {
            return true;
        }
    }
    return false;
}

bool Contains(const CString& strText, const CString& strPart) {
    return Contains(std::string_view(strText.GetStdString()), std::string_view(strPart.GetStdString()));
}

void AppendLine(CString& strNote, const CString& strLine) {
    if (!strNote.IsEmpty()) {
        strNote += kStoredLineBreak;
    }
    strNote += strLine;
}

// Whether a value of a name field only restates the merged name.
bool IsPartOfName(const CContact& merged, int nField, const CString& strValue) {
    if (nField != CContact::fieldFirstName && nField != CContact::fieldLastName) {
        return false;
    }
    CContact probe;
    probe.firstname = strValue;
    std::vector<std::string> names = NameWords(merged);
    std::vector<std::string> words = NameWords(probe);
    return std::all_of(words.begin(), words.end(), [&](const std::string& strWord) {
        return std::find(names.begin(), names.end(), strWord) != names.end();
    });
}

bool IsOneOf(int nField, const int* pBegin, const int* pEnd) {
    return std::find(pBegin, pEnd, nField) != pEnd;
}
bool IsPhoneField(int nField) { return IsOneOf(nField, std::begin(kPhoneFields), std::end(kPhoneFields)); }
bool IsEmailField(int nField) { return IsOneOf(nField, std::begin(kEmailFields), std::end(kEmailFields)); }

// A phone field's value without its spelling: the words before the number, the number's digits
// (marked when international) and the words after it, each word lower case and without blanks
// or punctuation. Empty when the text holds no number. The number ends where ParsePhoneNumber
// stops reading it, at the first ASCII letter after a digit, so that "555 0100 ext. 12" and
// "555 0100 ext. 13" keep their extensions apart.
std::string PhoneValueKey(std::string_view text) {
    CPhoneNumber number;
    if (!ParsePhoneNumber(text, number)) {
        return std::string();
    }
    std::string strBefore, strAfter;
    bool bDigits = false, bAfter = false;
    for (char ch : text) {
        bool bDigit = ch >= '0' && ch <= '9';
        bool bAsciiLetter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
        bool bWord = bDigit || bAsciiLetter || static_cast<unsigned char>(ch) >= 0x80;
        bAfter = bAfter || (bAsciiLetter && bDigits);
        bDigits = bDigits || bDigit;
        if (bWord && (bAfter || !bDigit)) {
            (bAfter ? strAfter : strBefore) += bAsciiLetter ? static_cast<char>(ch | 0x20) : ch;
        }
    }
    const bool bInternational = number.kind == CPhoneNumber::Kind::international;
    return strBefore + (bInternational ? "|+" : "|") + number.strDigits + "|" + strAfter;
}

bool IsSameEmailValue(const CString& strA, const CString& strB) {
    CString a = strA, b = strB;
    return LowerUtf8(a.Trim().GetStdString()) == LowerUtf8(b.Trim().GetStdString());
}

// Whether a field of the contact holds the value: its own, or for a number or an address any
// field of that kind, since a number of the mobile field typed again as the home phone is no
// new value.
bool IsHeldInFields(const CContact& contact, int nField, const CString& strValue) {
    if (IsSameValue(nField, contact.FieldAt(nField), strValue)) {
        return true;
    }
    auto heldInAny = [&](const int* pBegin, const int* pEnd) {
        return std::any_of(pBegin, pEnd, [&](int f) { return IsSameValue(f, contact.FieldAt(f), strValue); });
    };
    if (IsPhoneField(nField)) {
        return heldInAny(std::begin(kPhoneFields), std::end(kPhoneFields));
    }
    return IsEmailField(nField) && heldInAny(std::begin(kEmailFields), std::end(kEmailFields));
}

// Whether the contact holds the value of a field anywhere: in a field, as its name, or in the
// note (all of it, or the part that is searched).
bool IsValueHeld(const CContact& contact, int nField, const CString& strValue, std::string_view note) {
    return strValue.IsEmpty() || IsHeldInFields(contact, nField, strValue) ||
           IsPartOfName(contact, nField, strValue) || Contains(note, strValue.GetStdString());
}

} // namespace

bool IsSameValue(int nField, const CString& strA, const CString& strB) {
    if (strA == strB) {
        return true;
    }
    if (IsPhoneField(nField)) {
        std::string strKey = PhoneValueKey(strA.GetString());
        return !strKey.empty() && strKey == PhoneValueKey(strB.GetString());
    }
    return IsEmailField(nField) && IsSameEmailValue(strA, strB);
}

int DefaultMergeChoice(const std::vector<CContact>& contacts, int nField) {
    int nChoice = -1;
    bool bDiffer = false;
    for (size_t i = 0; i < contacts.size(); ++i) {
        const CString& strValue = contacts[i].FieldAt(nField);
        if (strValue.IsEmpty()) {
            continue;
        }
        if (nChoice < 0) {
            nChoice = static_cast<int>(i);
            continue;
        }
        const CString& strChosen = contacts[static_cast<size_t>(nChoice)].FieldAt(nField);
        if (IsSameValue(nField, strValue, strChosen)) {
            continue; // another spelling of the value chosen, which keeps its first one
        }
        bDiffer = true;
        if (strValue.GetLength() > strChosen.GetLength()) {
            nChoice = static_cast<int>(i);
        }
    }
    return bDiffer ? nChoice : -1;
}

CContact MergeContacts(const std::vector<CContact>& contacts, const CMergeChoices& choices) {
    CContact merged;
    if (contacts.empty()) {
        return merged;
    }
    merged.id = contacts.front().id;
    auto choiceFor = [&](int nField) {
        int nChoice = nField < static_cast<int>(choices.size()) ? choices[static_cast<size_t>(nField)] : -1;
        bool bValid = nChoice >= 0 && nChoice < static_cast<int>(contacts.size()) &&
                      !contacts[static_cast<size_t>(nChoice)].FieldAt(nField).IsEmpty();
        return bValid ? nChoice : -1;
    };
    // The first and the last name come from one contact, so that a name written the other way
    // round in another contact does not make a new one of the two.
    int nName = std::max(choiceFor(CContact::fieldFirstName), choiceFor(CContact::fieldLastName));
    for (size_t i = 0; nName < 0 && i < contacts.size(); ++i) {
        if (!contacts[i].firstname.IsEmpty() || !contacts[i].lastname.IsEmpty()) {
            nName = static_cast<int>(i);
        }
    }
    for (int f = 0; f < CContact::fieldNote; ++f) {
        bool bName = f == CContact::fieldFirstName || f == CContact::fieldLastName;
        int nChoice = bName ? nName : choiceFor(f);
        if (nChoice < 0 && !bName) {
            nChoice = DefaultMergeChoice(contacts, f);
        }
        for (size_t i = 0; nChoice < 0 && !bName && i < contacts.size(); ++i) {
            if (!contacts[i].FieldAt(f).IsEmpty()) {
                nChoice = static_cast<int>(i);
            }
        }
        if (nChoice >= 0) {
            merged.FieldAt(f) = contacts[static_cast<size_t>(nChoice)].FieldAt(f);
        }
    }
    // The notes, in the contacts' order, but none that another one holds whole.
    for (size_t i = 0; i < contacts.size(); ++i) {
        const CString& strNote = contacts[i].note;
        bool bHeldElsewhere = false;
        for (size_t k = 0; k < contacts.size() && !bHeldElsewhere; ++k) {
            const CString& strOther = contacts[k].note;
            bHeldElsewhere = k != i && Contains(strOther, strNote) && (strOther != strNote || k < i);
        }
        if (!strNote.IsEmpty() && !bHeldElsewhere) {
            AppendLine(merged.note, strNote);
        }
    }
    KeepEveryValue(merged, contacts);
    return merged;
}

namespace {

// Adds the values that the contact lacks, in their order; true when it gained one.
bool AddMissingValues(CContact& contact, const std::vector<CContactValue>& values) {
    bool bGained = false;
    for (const CContactValue& value : values) {
        if (std::find(contact.values.begin(), contact.values.end(), value) == contact.values.end()) {
            contact.values.push_back(value);
            bGained = true;
        }
    }
    return bGained;
}

} // namespace

void KeepEveryValue(CContact& merged, const std::vector<CContact>& contacts) {
    for (const CContact& contact : contacts) {
        AddMissingValues(merged, contact.values);
        if (!contact.note.IsEmpty() && !Contains(merged.note, contact.note)) {
            AppendLine(merged.note, contact.note);
        }
        for (int f = 0; f < CContact::fieldNote; ++f) {
            const CString& strValue = contact.FieldAt(f);
            if (!IsValueHeld(merged, f, strValue, merged.note.GetStdString())) {
                AddMissingValues(merged, {FieldValueOf(f, strValue)});
            }
        }
    }
}

std::vector<int> MergeInto(CContact& contact, const CContact& other) {
    CMergeMemo memo;
    return MergeInto(contact, other, memo);
}

std::vector<int> MergeInto(CContact& contact, const CContact& other, CMergeMemo& memo) {
    if (memo.nNoteSearched == std::string::npos) {
        memo.nNoteSearched = static_cast<size_t>(contact.note.GetLength());
    }
    // What the merges appended is known from the memo; only the note as it was is searched.
    auto isHeld = [&](int nField, const CString& strValue) {
        std::string_view note = std::string_view(contact.note.GetStdString()).substr(0, memo.nNoteSearched);
        return IsValueHeld(contact, nField, strValue, note) || memo.added.count(strValue.GetStdString()) > 0;
    };
    std::vector<int> gained;
    for (int f = 0; f < CContact::fieldNote; ++f) {
        const CString& strValue = other.FieldAt(f);
        if (isHeld(f, strValue)) {
            continue;
        }
        if (contact.FieldAt(f).IsEmpty()) {
            contact.FieldAt(f) = strValue;
        } else {
            AddMissingValues(contact, {FieldValueOf(f, strValue)});
        }
        memo.added.insert(strValue.GetStdString());
        gained.push_back(f);
    }
    if (!isHeld(CContact::fieldNote, other.note)) {
        AppendLine(contact.note, other.note);
        memo.added.insert(other.note.GetStdString());
        gained.push_back(CContact::fieldNote);
    }
    if (AddMissingValues(contact, other.values)) {
        gained.push_back(kFurtherValues);
    }
    return gained;
}
