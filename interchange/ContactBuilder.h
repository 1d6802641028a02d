// CContactBuilder: collects the values of one imported card or row into a contact. Values arrive
// as UTF-8; a value whose field is taken becomes a further value of its kind, and one the
// contact has no place for goes into the note on its own line with a short label, so nothing is
// lost. Finish reports every character the file's
// character set did not hold and every control character the address book cannot hold (left
// out), by contact and field, and gives the stored form.
#pragma once

#include "ImportReport.h"
#include "data/Contact.h"
#include "data/ContactValue.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A further value as read, in UTF-8, before the contact stores it.
struct CReadValue {
    EValueKind kind = EValueKind::custom;
    std::string strType;
    std::string strLabel;
    std::string strText;            // for an address, empty: its parts are in parts
    std::vector<std::string> parts; // an address's, in the order of EAddressPart
};

// The value a read value stores: each text made stored by stored(std::string&) -> CString, an
// address's parts joined. bAny says whether any text is left.
// (read is a CReadValue, const or not as stored takes its texts.)
template <typename Read, typename Stored> CContactValue StoredValueOf(Read& read, Stored stored, bool& bAny) {
    CContactValue value;
    value.kind = read.kind;
    value.type = stored(read.strType);
    value.label = stored(read.strLabel);
    bAny = false;
    if (read.kind == EValueKind::address) {
        CString parts[kAddressPartCount];
        for (size_t k = 0; k < read.parts.size() && k < kAddressPartCount; ++k) {
            parts[k] = stored(read.parts[k]);
            bAny = bAny || !parts[k].IsEmpty();
        }
        value.SetAddressParts(parts);
    } else {
        value.text = stored(read.strText);
        bAny = !value.text.IsEmpty();
    }
    return value;
}

class CContactBuilder {
public:
    // strFile and nLine say where the card or row starts, for the report.
    CContactBuilder(CImportReport& report, const CString& strFile, int nLine);

    // Values without a field of their own (the labelled note lines) are dropped instead: a
    // synchronised contact keeps them in the server's card, which is kept whole.
    void LeaveExtrasOutOfNote() { m_bExtrasToNote = false; }

    // Sets a field; when it holds a value already, the later one becomes a further value of the
    // field's kind, unless it is preferred and the earlier one is not, which then moves instead.
    // Empty values are ignored.
    // True when the field now holds this value (the note always takes its value).
    bool SetField(int nField, std::string strValue, bool bPreferred = false);
    bool IsFieldSet(int nField) const { return !m_values[nField].empty(); }
    const std::string& GetField(int nField) const { return m_values[nField]; }
    // A further value; one without text is left out.
    void AddValue(CReadValue value);
    // Where the fields and values set from now on come from (a property's index in its card), for
    // a writer that changes the card in place.
    void SetSource(int nSource) { m_nSource = nSource; }
    // Per further value of the finished contact, where it came from; -1 for none.
    const std::vector<int>& ValueSources() const { return m_valueSources; }
    // Per field, where its value came from; -1 for none.
    int FieldSource(int nField) const { return m_fieldSources[nField]; }
    // A labelled line in the note: "Label: value".
    void AddToNote(const std::string& strLabel, const std::string& strValue);
    // Text of the card's own note; a second one follows on its own line.
    void AppendNote(const std::string& strValue);
    // A display name next to the name fields: dropped when the names give it, split into first
    // and last name when there are no names (unless it is the company's name), else kept in the note.
    void ApplyDisplayName(const std::string& strDisplay, const std::string& strMiddle = std::string(),
                          const std::string& strPrefix = std::string(),
                          const std::string& strSuffix = std::string());
    void SkipBinary() { ++m_report.nPhotosSkipped; }

    // False when the card held nothing at all; the report then says so. The builder hands its
    // values over and holds none after.
    bool Finish(CContact& contact);

private:
    // Warns of the characters of each field that were replaced (pUnreadable) or left out
    // (pControls), naming the contact, whose texts are not yet in their stored form.
    // (Each array has one more count, after the fields': that of the further values.)
    void ReportReplacements(const CContact& contact, const int* pUnreadable, const int* pControls);
    // Counts nCount characters of the field (or the further values) that were replaced or left out and warns, naming
    // the contact.
    void ReportReplaced(const CString& strName, const char* pszWhere, int nCount, const char* pszOne,
                        const char* pszMany, const std::string& strWhatBecameOfThem);

    CImportReport& m_report;
    CString m_strFile;
    int m_nLine;
    std::string m_values[CContact::kFieldCount];
    bool m_bPreferred[CContact::kFieldCount] = {};
    // Stores the further values in the contact, each text as the fields' are.
    // Counts the characters left out (nControls) or replaced (nUnreadable).
    void FinishValues(CContact& contact, int& nControls, int& nUnreadable);

    std::string m_strExtraNote; // labelled lines, after the card's own note
    bool m_bExtrasToNote = true;
    std::vector<CReadValue> m_further;
    int m_nSource = -1;
    int m_fieldSources[CContact::kFieldCount];
    std::vector<int> m_valueSources; // by value of m_further, then of the contact
};

// A field's value that finds the field taken, as a further value of the field's kind: a number
// with the field's types, an address whole in its street; a name or the company as a custom
// value under the field's label.
CReadValue ValueOfField(int nField, std::string strText);

// The display name a card is given for a first and a last name: "First Last", or "LastFirst"
// for names in the scripts that write the family name first and without a blank (Chinese,
// Japanese, Korean).
std::string PlainDisplayName(const std::string& strFirst, const std::string& strLast);

// The ways a display name can be made of the name's parts that say no more than the parts:
// PlainDisplayName, "Last First", "Last, First", with the middle name, with prefix and suffix.
std::vector<std::string> DisplayNameForms(const std::string& strFirst, const std::string& strLast,
                                          const std::string& strMiddle, const std::string& strPrefix,
                                          const std::string& strSuffix);

// Joins the non-empty texts with the separator.
std::string Join(std::initializer_list<std::string_view> texts, const char* pszSeparator);
// Runs of blanks and line breaks as one blank, without blanks at the ends.
std::string Collapsed(const std::string& str);
// Collapsed(a) == Collapsed(b), without making either.
bool SameWhenCollapsed(const std::string& a, const std::string& b);

// Line breaks of any kind (CR LF, LF, CR) as CR LF, the contact's own.
std::string NormaliseLineBreaks(const std::string& str);
