#include "SyncCard.h"

#include "ThreeWayMerge.h"

#include "data/ContactArray.h"
#include "data/PhotoFolder.h"
#include "interchange/ContactBuilder.h"
#include "interchange/ExportedContact.h"
#include "interchange/VCardFields.h"
#include "interchange/VCardMapper.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardValues.h"
#include "interchange/VCardWriter.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <ctime>
#include <random>

#ifdef _WIN32
#include <windows.h>

#include <bcrypt.h>
#endif

namespace {

typedef CContact C;
typedef std::vector<std::string> Parts;

const size_t kNone = std::string::npos;

bool StartsWithNoCase(const std::string& str, const char* pszUpper) {
    size_t i = 0;
    for (; pszUpper[i]; ++i) {
        char c = i < str.size() ? str[i] : '\0';
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != pszUpper[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

CCardLines ReadCard(const std::string& strText) {
    CCardLines card;
    size_t nLf = strText.find('\n');
    if (nLf != kNone && (nLf == 0 || strText[nLf - 1] != '\r')) {
        card.pszBreak = "\n";
    }
    CVCardLineReader reader(strText, strText.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
    CVCardLine line;
    int nDepth = 0;
    bool bVersionSeen = false;
    for (bool bReadAsV21 = true; reader.Next(bReadAsV21, line); bReadAsV21 = card.version == VCardVersion::v21) {
        CVCardProperty prop;
        if (line.strText.find_first_not_of(" \t") == kNone ||
            !ParseProperty(line.strText, line.nLine, prop)) {
            continue;
        }
        bool bCardMark = StartsWithNoCase(prop.strRaw, "VCARD");
        if (prop.strName == "BEGIN" && bCardMark) {
            card.bFound = true;
            ++nDepth;
        } else if (prop.strName == "END" && bCardMark) {
            if (nDepth > 0 && --nDepth == 0) {
                card.nEndCard = line.nStart;
                break;
            }
        } else if (nDepth == 1) {
            // The first VERSION counts: lines written into the card are folded by it, and a
            // second one that disagreed would have them read back in another way.
            if (prop.strName == "VERSION" && !bVersionSeen) {
                bVersionSeen = true;
                card.version = prop.strRaw.compare(0, 3, "2.1") == 0   ? VCardVersion::v21
                               : prop.strRaw.compare(0, 3, "4.0") == 0 ? VCardVersion::v40
                                                                       : VCardVersion::v30;
            }
            card.readAsV21.push_back(bReadAsV21);
            card.lines.push_back(std::move(line));
            card.props.push_back(std::move(prop));
        }
    }
    return card;
}

namespace {

// The escapes of 4.0 are those of 3.0; the mapper and the unescaping know the two kinds.
VCardVersion ReadingVersion(const CCardLines& card) {
    return card.version == VCardVersion::v21 ? VCardVersion::v21 : VCardVersion::v30;
}

CContact MapCardLines(const CCardLines& card, CVCardFieldSources* pSources) {
    CImportReport report;
    CContactBuilder builder(report, CString(), 1);
    builder.LeaveExtrasOutOfNote();
    MapCard(card.props, ReadingVersion(card), builder, report, CString(), pSources);
    CContact contact;
    builder.Finish(contact); // a card of no text gives the empty contact
    std::vector<int> sources = builder.ValueSources();
    // The UID is the card's, which the sync keeps, and no value of the contact's.
    for (size_t i = contact.values.size(); i-- > 0;) {
        if (IsCardUid(contact.values[i])) {
            contact.values.erase(contact.values.begin() + static_cast<long>(i));
            sources.erase(sources.begin() + static_cast<long>(i));
        }
    }
    if (pSources) {
        pSources->valueSources = std::move(sources);
        // A field the builder filled with a value of its kind (its own text was nothing but
        // control characters) has that value's line behind it.
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (f != CContact::fieldNote && builder.FieldSource(f) >= 0) {
                pSources->nSource[f] = builder.FieldSource(f);
            }
        }
    }
    return contact;
}

const CVCardField& RowOf(int nField) {
    for (const CVCardField& field : VCardFields()) {
        if (field.nField == nField) {
            return field;
        }
    }
    return VCardFields().front();
}

// "20240131T235959Z", the form of REV that every version reads.
std::string UtcStamp(std::time_t now) {
    static const int s_monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long long nSeconds = now < 0 ? 0 : static_cast<long long>(now);
    long long nDays = nSeconds / 86400;
    int nDaySecond = static_cast<int>(nSeconds % 86400);
    auto isLeap = [](int nYear) { return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0; };
    int nYear = 1970;
    while (nDays >= (isLeap(nYear) ? 366 : 365)) {
        nDays -= isLeap(nYear) ? 366 : 365;
        ++nYear;
    }
    int nMonth = 0;
    while (nDays >= s_monthDays[nMonth] + (nMonth == 1 && isLeap(nYear) ? 1 : 0)) {
        nDays -= s_monthDays[nMonth] + (nMonth == 1 && isLeap(nYear) ? 1 : 0);
        ++nMonth;
    }
    char szStamp[32];
    std::snprintf(szStamp, sizeof(szStamp), "%04d%02d%02dT%02d%02d%02dZ", nYear, nMonth + 1,
                  static_cast<int>(nDays) + 1, nDaySecond / 3600, nDaySecond / 60 % 60, nDaySecond % 60);
    return szStamp;
}

// One property line as the patch leaves it: its value as components, each escaped.
struct CLineEdit {
    bool bLoaded = false;
    bool bChanged = false;
    bool bRemoved = false;
    std::string strHead;
    Parts parts;
};

// Works out which lines of one card change for a contact's new values, then writes the card
// with only those lines rewritten, removed or added.
class CCardPatcher {
public:
    CCardPatcher(const std::string& strText, const CCardLines& card, const CVCardFieldSources& sources,
                 const CContact& before, const CContact& after)
        : m_strText(strText), m_card(card), m_sources(sources), m_before(before), m_after(after),
          m_beforeValues(before.values), m_afterValues(after.values), m_edits(card.props.size()) {}

    std::string Patch() {
        for (int nField = 0; nField < C::kFieldCount; ++nField) {
            bool bName = nField == C::fieldFirstName || nField == C::fieldLastName;
            if (!bName && m_before.texts[nField] != m_after.texts[nField]) {
                Field(nField);
            }
        }
        Names();
        Values();
        if (!AnyChange()) {
            return m_strText;
        }
        for (size_t p = 0; p < m_card.props.size(); ++p) {
            if (m_card.props[p].strName == "REV") {
                SetWhole(p, UtcStamp(std::time(nullptr)));
            }
        }
        return Output();
    }

private:
    std::string Escape(const std::string& str) const { return EscapeValue(str, m_card.version); }
    std::string Unescape(const std::string& str) const {
        return SplitValue(str, false, ReadingVersion(m_card))[0];
    }
    // A line's value as the reader sees it.
    std::string Text(size_t p) const {
        bool bKnownCharset = true;
        return Unescape(DecodeValue(m_card.props[p], bKnownCharset));
    }

    CLineEdit& Load(size_t p) {
        CLineEdit& edit = m_edits[p];
        if (!edit.bLoaded) {
            edit.bLoaded = true;
            edit.strHead = HeadForNewValue(m_card.lines[p].strText, m_card.props[p]);
            bool bKnownCharset = true;
            edit.parts = SplitEscapedComponents(DecodeValue(m_card.props[p], bKnownCharset));
        }
        return edit;
    }
    void SetWhole(size_t p, const std::string& strEscaped) {
        CLineEdit& edit = Load(p);
        edit.parts = {strEscaped};
        edit.bChanged = true;
    }
    void SetComponent(CLineEdit& edit, size_t nComponent, const std::string& strText) {
        if (edit.parts.size() <= nComponent) {
            edit.parts.resize(nComponent + 1);
        }
        if (Unescape(edit.parts[nComponent]) != strText) {
            edit.parts[nComponent] = Escape(strText);
            edit.bChanged = true;
        }
    }

    // The value of a typed property for a field's text: an address whole in the street, where
    // the reader gives it back line for line; a number keeps a tel: scheme its line had, and
    // carries one it starts with twice, since readers drop it.
    Parts TypedValue(const std::string& strProperty, const std::string& strText, bool bScheme) const {
        if (strProperty == "ADR") {
            Parts parts(7);
            parts[2] = Escape(strText);
            return parts;
        }
        if (strProperty == "TEL" && (bScheme || strText.compare(0, 4, "tel:") == 0)) {
            return {Escape("tel:" + strText)};
        }
        return {Escape(strText)};
    }

    // A field of a whole value (or, for an address, of all components).
    void Field(int nField) {
        const CVCardField& row = RowOf(nField);
        if (row.nComponent >= 0 && !IsTypedProperty(row.pszProperty)) {
            Component(nField);
            return;
        }
        const std::string& strNew = m_after.texts[nField];
        int nSource = m_sources.nSource[nField];
        if (strNew.empty() || nField == C::fieldNote) {
            // Every line that went for the field would fill it once the one that did is gone,
            // and the note joins all of them.
            for (const auto& claim : m_sources.claims) {
                if (claim.second == nField && static_cast<int>(claim.first) != nSource) {
                    m_edits[claim.first].bRemoved = true;
                }
            }
            if (strNew.empty()) {
                if (nSource >= 0) {
                    m_edits[static_cast<size_t>(nSource)].bRemoved = true;
                }
                return;
            }
        }
        if (nSource < 0) {
            Add(VCardHead(row.pszProperty, row, m_card.version), TypedValue(row.pszProperty, strNew, false));
            return;
        }
        size_t p = static_cast<size_t>(nSource);
        const std::string& strName = m_card.props[p].strName;
        // The same value written twice was one value; left, the second would come back as a
        // value of its own beside the new one.
        const std::string strOld = Text(p);
        for (const auto& claim : m_sources.claims) {
            const bool bGaveValue = std::find(m_sources.valueSources.begin(), m_sources.valueSources.end(),
                                              static_cast<int>(claim.first)) != m_sources.valueSources.end();
            if (claim.second == nField && claim.first != p && m_card.props[claim.first].strName == strName &&
                !bGaveValue && Text(claim.first) == strOld) {
                m_edits[claim.first].bRemoved = true;
            }
        }
        CLineEdit& edit = Load(p);
        edit.parts = TypedValue(strName, strNew, strName == "TEL" && Text(p).compare(0, 4, "tel:") == 0);
        edit.bChanged = true;
        // Labels that spelled the old address out now spell the new one.
        for (const auto& claim : m_sources.claims) {
            if (claim.second == nField && claim.first != p && m_card.props[claim.first].strName == "LABEL" &&
                Collapsed(Text(claim.first)) == Collapsed(m_before.texts[nField])) {
                SetWhole(claim.first, Escape(strNew));
            }
        }
    }

    // A field that is one component of a structured value (N, ORG); the others stay.
    void Component(int nField) {
        const CVCardField& row = RowOf(nField);
        size_t nComponent = static_cast<size_t>(row.nComponent);
        const std::string& strNew = m_after.texts[nField];
        int nTarget = m_sources.nSource[nField];
        for (const auto& claim : m_sources.claims) {
            if (claim.second != nField) {
                continue;
            }
            if (strNew.empty()) {
                SetComponent(Load(claim.first), nComponent, std::string());
            } else if (nTarget < 0) {
                nTarget = static_cast<int>(claim.first); // a line with the component empty
            }
        }
        if (!strNew.empty()) {
            SetComponent(nTarget >= 0 ? Load(static_cast<size_t>(nTarget)) : Added(row), nComponent, strNew);
        }
    }

    // The formatted name follows the name; without a name it is the company's, which readers
    // then do not take for a person's name.
    void Names() {
        const std::string& strFirst = m_after.texts[C::fieldFirstName];
        const std::string& strLast = m_after.texts[C::fieldLastName];
        bool bNames =
            m_before.texts[C::fieldFirstName] != strFirst || m_before.texts[C::fieldLastName] != strLast;
        bool bNoNames = strFirst.empty() && strLast.empty();
        bool bCompany = m_before.texts[C::fieldCompany] != m_after.texts[C::fieldCompany];
        if (!bNames && !(bNoNames && bCompany)) {
            return;
        }
        if (bNames) {
            // Both, since names read from the formatted name alone have no N line yet.
            Component(C::fieldLastName);
            Component(C::fieldFirstName);
        }
        // The name's other parts, from the last N line as the reader takes them.
        std::string other[3];
        for (size_t p = m_card.props.size(); p-- > 0;) {
            if (m_card.props[p].strName == "N") {
                const Parts& parts = Load(p).parts;
                for (size_t k = 0; k < 3; ++k) {
                    other[k] = parts.size() > k + 2 ? Unescape(parts[k + 2]) : std::string();
                }
                break;
            }
        }
        std::vector<std::string> oldForms =
            DisplayNameForms(m_before.texts[C::fieldFirstName], m_before.texts[C::fieldLastName], other[0],
                             other[1], other[2]);
        std::vector<std::string> newForms = DisplayNameForms(strFirst, strLast, other[0], other[1], other[2]);
        bool bHasFormatted = false;
        for (size_t p = 0; p < m_card.props.size(); ++p) {
            if (m_card.props[p].strName != "FN") {
                continue;
            }
            bHasFormatted = true;
            std::string strOld = Collapsed(Text(p));
            size_t nForm = 0; // the form the old name was written in, else the plain one
            while (nForm < oldForms.size() && Collapsed(oldForms[nForm]) != strOld) {
                ++nForm;
            }
            std::string strNew =
                bNoNames ? m_after.texts[C::fieldCompany] : newForms[nForm < newForms.size() ? nForm : 0];
            if (Collapsed(strNew) != strOld) {
                SetWhole(p, Escape(strNew));
            }
        }
        std::string strDisplay = bNoNames ? m_after.texts[C::fieldCompany] : newForms[0];
        if (!bHasFormatted && bNames && (!strDisplay.empty() || m_card.version != VCardVersion::v21)) {
            Add("FN", {Escape(strDisplay)});
        }
    }

    // The further values: a value gone takes its line along, a new one adds a line; the name's
    // parts, the departments and the groups rewrite the N, ORG and CATEGORIES lines they share.
    void Values() {
        std::vector<CContactValue> added = m_afterValues;
        std::vector<bool> gone(m_beforeValues.size(), false);
        for (size_t i = 0; i < m_beforeValues.size(); ++i) {
            auto found = std::find_if(added.begin(), added.end(), [&](const CContactValue& value) {
                return IsSameValue(value, m_beforeValues[i]);
            });
            gone[i] = found == added.end();
            if (!gone[i]) {
                added.erase(found);
            }
        }
        bool bShared[static_cast<size_t>(EValueKind::count)] = {};
        auto isShared = [](EValueKind kind) {
            return kind == EValueKind::namePrefix || kind == EValueKind::middleName ||
                   kind == EValueKind::nameSuffix || kind == EValueKind::department || kind == EValueKind::group;
        };
        // A line that gave a value still here stays (an odd card's second N line gives two).
        std::set<int> keptSources;
        for (size_t i = 0; i < m_beforeValues.size() && i < m_sources.valueSources.size(); ++i) {
            if (!gone[i]) {
                keptSources.insert(m_sources.valueSources[i]);
            }
        }
        std::vector<size_t> removedLines;
        for (size_t i = 0; i < m_beforeValues.size(); ++i) {
            const int nSource = i < m_sources.valueSources.size() ? m_sources.valueSources[i] : -1;
            if (!gone[i]) {
                continue;
            }
            if (isShared(m_beforeValues[i].kind)) {
                bShared[static_cast<size_t>(m_beforeValues[i].kind)] = true;
            } else if (nSource >= 0 && !IsFieldSource(nSource) && keptSources.count(nSource) == 0) {
                // (An address's parts go with its field, whose line the field's edit rewrites.)
                m_edits[static_cast<size_t>(nSource)].bRemoved = true;
                removedLines.push_back(static_cast<size_t>(nSource));
            }
        }
        RemoveOrphanedLabels(removedLines);
        std::vector<CContactValue> ownLines;
        for (const CContactValue& value : added) {
            std::string strPicture;
            if (isShared(value.kind)) {
                bShared[static_cast<size_t>(value.kind)] = true;
            } else if (value.kind == EValueKind::photo) {
                // Only a picture at hand can be written: the sync gives the contact's inline. A
                // 2.1 card's picture takes lines of its own, which a card written anew has.
                if (m_card.version != VCardVersion::v21 && InlinePhotoBytes(value.text, strPicture)) {
                    std::string strHead, strData;
                    PhotoProperty(strPicture, m_card.version, strHead, strData);
                    Add(strHead, {strData});
                }
            } else {
                ownLines.push_back(value);
            }
        }
        if (bShared[static_cast<size_t>(EValueKind::namePrefix)] ||
            bShared[static_cast<size_t>(EValueKind::middleName)] ||
            bShared[static_cast<size_t>(EValueKind::nameSuffix)]) {
            NameParts();
        }
        if (bShared[static_cast<size_t>(EValueKind::department)]) {
            Departments();
        }
        if (bShared[static_cast<size_t>(EValueKind::group)]) {
            Groups();
        }
        for (const CVCardValueLine& line : ValueLines(ownLines, m_card.version, {}, CardGroups())) {
            if (!line.bWhole) {
                Add(line.strHead, {line.strValue});
                continue;
            }
            const size_t nColon = line.strValue.find(':');
            if (nColon != std::string::npos) {
                Add(line.strValue.substr(0, nColon), {line.strValue.substr(nColon + 1)});
            }
        }
    }

    bool IsFieldSource(int nLine) const {
        for (int nSource : m_sources.nSource) {
            if (nSource == nLine) {
                return true;
            }
        }
        return false;
    }

    std::set<std::string> CardGroups() const {
        std::set<std::string> groups;
        for (const CVCardProperty& prop : m_card.props) {
            std::string strGroup = prop.Group();
            if (!strGroup.empty()) {
                groups.insert(strGroup);
            }
        }
        return groups;
    }

    // The label lines of groups whose every other line is gone.
    void RemoveOrphanedLabels(const std::vector<size_t>& removedLines) {
        for (size_t nRemoved : removedLines) {
            const std::string strGroup = m_card.props[nRemoved].Group();
            if (strGroup.empty()) {
                continue;
            }
            bool bOthers = false;
            std::vector<size_t> labels;
            for (size_t p = 0; p < m_card.props.size(); ++p) {
                if (m_card.props[p].Group() != strGroup || m_edits[p].bRemoved) {
                    continue;
                }
                // A second label of the group labelled nothing, and is a value of its own.
                const bool bKept = std::find(m_sources.valueSources.begin(), m_sources.valueSources.end(),
                                             static_cast<int>(p)) != m_sources.valueSources.end();
                if (m_card.props[p].strName == "X-ABLABEL" && !bKept) {
                    labels.push_back(p);
                } else {
                    bOthers = true;
                }
            }
            for (size_t p : labels) {
                m_edits[p].bRemoved = m_edits[p].bRemoved || !bOthers;
            }
        }
    }

    // The last line of a property, as the reader lets the last one count; kNone for none.
    size_t LastLineOf(const char* pszName) const {
        for (size_t p = m_card.props.size(); p-- > 0;) {
            if (m_card.props[p].strName == pszName) {
                return p;
            }
        }
        return kNone;
    }

    void SetEscapedComponent(CLineEdit& edit, size_t nComponent, const std::string& strEscaped) {
        if (edit.parts.size() <= nComponent) {
            edit.parts.resize(nComponent + 1);
        }
        if (edit.parts[nComponent] != strEscaped) {
            edit.parts[nComponent] = strEscaped;
            edit.bChanged = true;
        }
    }

    void NameParts() {
        size_t p = LastLineOf("N");
        // Every N line gave its parts: the last one holds them all now.
        for (size_t q = 0; q < m_card.props.size(); ++q) {
            if (q != p && m_card.props[q].strName == "N") {
                for (size_t k = 2; k < 5; ++k) {
                    SetEscapedComponent(Load(q), k, std::string());
                }
            }
        }
        CLineEdit& edit = p != kNone ? Load(p) : Added(RowOf(C::fieldLastName));
        SetEscapedComponent(edit, 2, JoinedValues(m_afterValues, EValueKind::middleName, m_card.version));
        SetEscapedComponent(edit, 3, JoinedValues(m_afterValues, EValueKind::namePrefix, m_card.version));
        SetEscapedComponent(edit, 4, JoinedValues(m_afterValues, EValueKind::nameSuffix, m_card.version));
    }

    // The organisation's units after its name, on the line that gave the company.
    void Departments() {
        const int nCompany = m_sources.nSource[C::fieldCompany];
        size_t p = nCompany >= 0 ? static_cast<size_t>(nCompany) : LastLineOf("ORG");
        // Every ORG line gave its units: that one holds them all now.
        for (size_t q = 0; q < m_card.props.size(); ++q) {
            CLineEdit* pOther = q != p && m_card.props[q].strName == "ORG" ? &Load(q) : nullptr;
            if (pOther && pOther->parts.size() > 1) {
                pOther->parts.resize(1);
                pOther->bChanged = true;
            }
        }
        CLineEdit& edit = p != kNone ? Load(p) : Added(RowOf(C::fieldCompany));
        std::string strCompany = edit.parts.empty() ? std::string() : edit.parts[0];
        Parts parts = {strCompany};
        for (const std::string& strUnit : ValueTexts(m_afterValues, EValueKind::department)) {
            parts.push_back(Escape(strUnit));
        }
        if (parts != edit.parts) {
            edit.parts = parts;
            edit.bChanged = true;
        }
    }

    // Every group on one CATEGORIES line, in place of those the card had.
    void Groups() {
        for (size_t p = 0; p < m_card.props.size(); ++p) {
            if (m_card.props[p].strName == "CATEGORIES") {
                m_edits[p].bRemoved = true;
            }
        }
        std::string strGroups = JoinedValues(m_afterValues, EValueKind::group, m_card.version);
        if (!strGroups.empty()) {
            Add("CATEGORIES", {strGroups});
        }
    }

    void Add(const std::string& strHead, Parts parts) {
        m_added.emplace_back();
        m_added.back().strHead = strHead;
        m_added.back().parts = std::move(parts);
        m_added.back().bChanged = true;
    }
    // The line added for a structured property, shared by its fields.
    CLineEdit& Added(const CVCardField& row) {
        for (CLineEdit& edit : m_added) {
            if (edit.strHead == row.pszProperty) {
                return edit;
            }
        }
        Add(row.pszProperty, Parts(static_cast<size_t>(row.nComponents)));
        return m_added.back();
    }

    bool AnyChange() const {
        for (const CLineEdit& edit : m_edits) {
            if (edit.bChanged || edit.bRemoved) {
                return true;
            }
        }
        return !m_added.empty();
    }

    // An organisation left with no component says nothing; a name stays, as 3.0 requires one.
    bool IsEmptied(size_t p) const {
        if (m_card.props[p].strName != "ORG") {
            return false;
        }
        for (const std::string& strPart : m_edits[p].parts) {
            if (!strPart.empty()) {
                return false;
            }
        }
        return true;
    }

    // bReadAsV21: the line is read by the rules of 2.1, which keep a folded line's blank. A line
    // written by the rules of another version goes there unfolded.
    void AppendLine(std::string& strOut, const CLineEdit& edit, bool bReadAsV21) const {
        std::string strValue;
        for (size_t k = 0; k < edit.parts.size(); ++k) {
            strValue += (k == 0 ? "" : ";") + edit.parts[k];
        }
        std::string strLine;
        AppendVCardProperty(strLine, edit.strHead, strValue, m_card.version);
        if (bReadAsV21 && m_card.version != VCardVersion::v21) {
            for (size_t nFold = strLine.find("\r\n "); nFold != std::string::npos; nFold = strLine.find("\r\n ", nFold)) {
                strLine.erase(nFold, 3);
            }
        }
        if (m_card.pszBreak[0] == '\n') {
            for (size_t i = 0; i < strLine.size(); ++i) {
                if (strLine[i] != '\r') {
                    strOut += strLine[i];
                }
            }
        } else {
            strOut += strLine;
        }
    }

    std::string Output() const {
        std::string strOut;
        strOut.reserve(m_strText.size() + 256);
        size_t nPos = 0;
        for (size_t p = 0; p < m_edits.size(); ++p) {
            const CLineEdit& edit = m_edits[p];
            bool bRemove = edit.bRemoved || (edit.bChanged && IsEmptied(p));
            if (bRemove || edit.bChanged) {
                strOut.append(m_strText, nPos, m_card.lines[p].nStart - nPos);
                if (!bRemove) {
                    AppendLine(strOut, edit, m_card.readAsV21[p]);
                }
                nPos = m_card.lines[p].nEnd;
            }
        }
        bool bEnded = m_card.nEndCard != kNone;
        size_t nEnd = bEnded ? m_card.nEndCard : m_strText.size();
        size_t nInsert = nEnd;
        if (!m_card.lines.empty()) {
            // A last line that ends in a quoted-printable soft break would swallow a line added
            // after it (readers let only END:VCARD end it): added lines go before it.
            size_t p = m_card.lines.size() - 1;
            if (EndsInSoftBreak(p) && m_card.lines[p].nStart >= nPos && m_card.lines[p].nEnd <= nEnd) {
                nInsert = m_card.lines[p].nStart;
            }
        }
        strOut.append(m_strText, nPos, nInsert - nPos);
        if (nInsert == nEnd && !bEnded && !strOut.empty() && strOut.back() != '\n' && strOut.back() != '\r') {
            strOut += m_card.pszBreak;
        }
        // A line that is no property (the reader skips it) may still end in quoted-printable
        // soft breaks, which would take in the lines added after it: an empty line after it for
        // each ends it, and readers pass over empty lines.
        size_t nSoftBreaks = m_added.empty() ? 0 : TrailingSoftBreaks(strOut);
        if (nSoftBreaks > 0 && strOut.back() == '\r') {
            strOut += '\n'; // CRs before an LF end one line, however many
        }
        for (; nSoftBreaks > 0; --nSoftBreaks) {
            strOut += m_card.pszBreak;
        }
        for (const CLineEdit& edit : m_added) {
            AppendLine(strOut, edit, m_card.version == VCardVersion::v21);
        }
        strOut.append(m_strText, nInsert, nEnd - nInsert);
        if (bEnded) {
            strOut.append(m_strText, nEnd, kNone);
        } else {
            // A card cut short gets the end it lacked.
            if (!strOut.empty() && strOut.back() != '\n' && strOut.back() != '\r') {
                strOut += m_card.pszBreak;
            }
            strOut += std::string("END:VCARD") + m_card.pszBreak;
        }
        return strOut;
    }

    // How many "=" end the text's last line, its break aside: each may be read as a soft break.
    static size_t TrailingSoftBreaks(const std::string& strText) {
        size_t nEnd = strText.size();
        while (nEnd > 0 && (strText[nEnd - 1] == '\n' || strText[nEnd - 1] == '\r')) {
            --nEnd;
        }
        size_t nCount = 0;
        while (nEnd > nCount && strText[nEnd - 1 - nCount] == '=') {
            ++nCount;
        }
        return nCount;
    }

    // Whether the line's last physical line ends in a quoted-printable soft break.
    bool EndsInSoftBreak(size_t p) const {
        size_t nEnd = m_card.lines[p].nEnd;
        while (nEnd > m_card.lines[p].nStart && (m_strText[nEnd - 1] == '\n' || m_strText[nEnd - 1] == '\r')) {
            --nEnd;
        }
        if (nEnd == m_card.lines[p].nStart || m_strText[nEnd - 1] != '=') {
            return false;
        }
        // As the line reader tells a quoted-printable line: by the mark anywhere in its head.
        std::string strHead = m_card.lines[p].strText.substr(0, m_card.lines[p].strText.find(':'));
        for (char& ch : strHead) {
            ch = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        }
        return strHead.find("QUOTED-PRINTABLE") != std::string::npos;
    }

    const std::string& m_strText;
    const CCardLines& m_card;
    const CVCardFieldSources& m_sources;
    CExportedContact m_before; // the texts decoded, as they are written
    CExportedContact m_after;
    const std::vector<CContactValue>& m_beforeValues;
    const std::vector<CContactValue>& m_afterValues;
    std::vector<CLineEdit> m_edits; // one for each of the card's lines
    std::vector<CLineEdit> m_added; // written before END:VCARD
};

void FillFromRandomDevice(unsigned char* pBytes, size_t nCount) {
    std::random_device device; // the system's source (/dev/urandom, the processor's generator)
    for (size_t i = 0; i < nCount; ++i) {
        pBytes[i] = static_cast<unsigned char>(device() & 0xFF);
    }
}

void FillRandom(unsigned char* pBytes, size_t nCount) {
#ifdef _WIN32
    if (BCryptGenRandom(nullptr, pBytes, static_cast<ULONG>(nCount), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0) {
        return;
    }
#endif
    FillFromRandomDevice(pBytes, nCount);
}

bool ReadsBackAs(const std::string& strCard, const CContact& contact) {
    return IsWholeCard(strCard) && HaveSameContent(ContactFromCard(strCard), contact);
}


} // namespace

CContact ContactFromCard(const std::string& strCard) {
    CCardLines card = ReadCard(strCard);
    return card.bFound ? MapCardLines(card, nullptr) : CContact();
}

std::string PatchCard(const std::string& strCard, const CContact& contact) {
    CCardLines card = ReadCard(strCard);
    if (!card.bFound) {
        return NewCard(contact, MakeCardUid());
    }
    CVCardFieldSources sources;
    CContact before = MapCardLines(card, &sources);
    // A card cannot hold a value beside its empty field: it would fill the field when read.
    CContact after = contact;
    after.values.erase(std::remove_if(after.values.begin(), after.values.end(), IsCardUid), after.values.end());
    DropOutdatedAddressParts(before, after);
    MoveValuesToEmptyFields(after);
    std::string strPatched = CCardPatcher(strCard, card, sources, before, after).Patch();
    if (card.nEndCard == kNone || ReadsBackAs(strPatched, after)) {
        return strPatched; // a card cut short is never sent, and stays as it came
    }
    // A card too odd for its lines to be changed one by one (text that is no property, soft
    // breaks meeting stray line ends): the edit counts for more than the card's other lines,
    // which a card written anew under the same UID cannot keep.
    std::string strUid = CardUid(strCard);
    std::string strNew = NewCard(after, strUid.empty() ? MakeCardUid() : strUid);
    if (ReadsBackAs(strNew, after)) {
        return strNew;
    }
    // Neither reads back whole (text in the card's lines that reads as another card's): the one
    // that misses less of the contact.
    return CardMisses(strNew, after) < CardMisses(strPatched, after) ? strNew : strPatched;
}

size_t CardMisses(const std::string& strCard, const CContact& contact) {
    if (!IsWholeCard(strCard)) {
        return std::string::npos;
    }
    CContact back = ContactFromCard(strCard);
    size_t nMisses = 0;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        nMisses += back.FieldAt(f) == contact.FieldAt(f) ? 0 : 1;
    }
    for (const CContactValue& value : contact.values) {
        auto found = std::find_if(back.values.begin(), back.values.end(),
                                  [&](const CContactValue& other) { return IsSameValue(other, value); });
        const int nField = FieldOfValue(value);
        if (found != back.values.end()) {
            back.values.erase(found);
        } else if (!IsCardUid(value) && (nField < 0 || back.FieldAt(nField) != value.text)) {
            ++nMisses;
        }
    }
    return nMisses;
}

std::string NewCard(const CContact& contact, const std::string& strUid) {
    CContactArray contacts;
    contacts.Add(contact);
    // The card's UID is the one given, in place of one a card it came from had.
    std::vector<CContactValue>& values = contacts[0].values;
    values.erase(std::remove_if(values.begin(), values.end(), IsCardUid), values.end());
    std::string strCard = BuildVCards(contacts, VCardVersion::v30);
    std::string strUidLine;
    AppendVCardProperty(strUidLine, "UID", EscapeValue(strUid, VCardVersion::v30), VCardVersion::v30);
    // After BEGIN and VERSION, where readers look first.
    size_t nVersion = strCard.find("VERSION:");
    strCard.insert(strCard.find("\r\n", nVersion) + 2, strUidLine);
    return strCard;
}

bool IsWholeCard(const std::string& strCard) {
    CCardLines card = ReadCard(strCard);
    return card.bFound && card.nEndCard != kNone;
}

bool HasCutDataUri(const std::string& strCard) {
    for (const CVCardProperty& prop : ReadCard(strCard).props) {
        const std::string& strValue = prop.strRaw;
        if (StartsWithNoCase(strValue, "DATA:")) {
            // "data:[<media type>][;base64],<data>": nothing after the comma, or no comma at all.
            size_t nComma = strValue.find(',');
            if (nComma == kNone || strValue.find_first_not_of(" \t", nComma + 1) == kNone) {
                return true;
            }
        }
    }
    return false;
}

std::string CardUid(const std::string& strCard) {
    CCardLines card = ReadCard(strCard);
    for (const CVCardProperty& prop : card.props) {
        if (prop.strName == "UID") {
            bool bKnownCharset = true;
            return SplitValue(DecodeValue(prop, bKnownCharset), false, ReadingVersion(card))[0];
        }
    }
    return std::string();
}

std::string MakeCardUid() {
    unsigned char bytes[16];
    FillRandom(bytes, sizeof(bytes));
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4: random
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // the standard variant
    static const char s_szHex[] = "0123456789abcdef";
    std::string strUid;
    for (size_t i = 0; i < sizeof(bytes); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            strUid += '-';
        }
        strUid += s_szHex[bytes[i] >> 4];
        strUid += s_szHex[bytes[i] & 0x0F];
    }
    return strUid;
}
