// CContactBuilder: collects the values of one imported card or row into a contact. Values arrive
// as UTF-8; a value whose field is taken, or that has no field, goes into the note on its own
// line with a short label, so nothing is lost. Finish reports every character the file's
// character set did not hold and every control character the address book cannot hold (left
// out), by contact and field, and gives the stored form.
#pragma once

#include "ImportReport.h"
#include "data/Contact.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class CContactBuilder {
public:
    // strFile and nLine say where the card or row starts, for the report.
    CContactBuilder(CImportReport& report, const CString& strFile, int nLine);

    // Values without a field of their own (the labelled note lines) are dropped instead: a
    // synchronised contact keeps them in the server's card, which is kept whole.
    void LeaveExtrasOutOfNote() { m_bExtrasToNote = false; }

    // Sets a field; when it holds a value already, the later one goes into the note, unless it
    // is preferred and the earlier one is not, which then moves instead. Empty values are ignored.
    // True when the field now holds this value (the note always takes its value).
    bool SetField(int nField, std::string strValue, bool bPreferred = false);
    bool IsFieldSet(int nField) const { return !m_values[nField].empty(); }
    const std::string& GetField(int nField) const { return m_values[nField]; }
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
    void ReportReplacements(const CContact& contact, const int* pUnreadable, const int* pControls);
    // Counts nCount characters of the field that were replaced or left out and warns, naming
    // the contact.
    void ReportReplaced(const CString& strName, int nField, int nCount, const char* pszOne,
                        const char* pszMany, const std::string& strWhatBecameOfThem);

    CImportReport& m_report;
    CString m_strFile;
    int m_nLine;
    std::string m_values[CContact::kFieldCount];
    bool m_bPreferred[CContact::kFieldCount] = {};
    std::string m_strExtraNote; // labelled lines, after the card's own note
    bool m_bExtrasToNote = true;
};

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
// An address's lines from its parts (box, extended, street, city, region, postcode, country):
// box, extended address and street, then "city, region postcode", then the country.
std::string ComposeAddress(const std::vector<std::string>& parts);

// Line breaks of any kind (CR LF, LF, CR) as CR LF, the contact's own.
std::string NormaliseLineBreaks(const std::string& str);
