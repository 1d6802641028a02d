#include "VCardMapper.h"

#include "VCardFields.h"
#include "VCardValues.h"
#include "data/PhotoFolder.h"
#include "framework/core/Base64.h"

#include <algorithm>

namespace {

typedef std::vector<std::string> Parts;

const std::string& Part(const Parts& parts, int n) {
    static const std::string s_strNone;
    return n < static_cast<int>(parts.size()) ? parts[static_cast<size_t>(n)] : s_strNone;
}

class CMapper {
public:
    CMapper(VCardVersion version, CContactBuilder& builder, CImportReport& report, const CString& strFile,
            CVCardFieldSources* pSources, CVCardMapRoom& room)
        : m_version(version), m_builder(builder), m_report(report), m_strFile(strFile), m_parts(room.parts),
          m_strDecoded(room.strDecoded), m_pSources(pSources) {}

    void Map(const CVCardProperty* pProps, size_t nCount) {
        m_pProps = pProps;
        m_nCount = nCount;
        for (m_nProperty = 0; m_nProperty < nCount; ++m_nProperty) {
            const CVCardProperty& prop = pProps[m_nProperty];
            if (prop.name != VCardName::label && prop.name != VCardName::fn && !IsValueLabel(prop)) {
                m_builder.SetSource(static_cast<int>(m_nProperty));
                One(prop);
            }
        }
        // Labels and the formatted name repeat what the other properties hold; they are
        // looked at last, and kept only where they add something. A value's label that labelled
        // no value is kept as it came.
        for (m_nProperty = 0; m_nProperty < nCount; ++m_nProperty) {
            const CVCardProperty& prop = pProps[m_nProperty];
            m_builder.SetSource(static_cast<int>(m_nProperty));
            if (prop.name == VCardName::label) {
                Label(prop);
            } else if (prop.name == VCardName::fn) {
                FormattedName(Text(prop));
            } else if (IsValueLabel(prop) && !IsLabelTaken(m_nProperty)) {
                Keep(prop, Decoded(prop));
            }
        }
        m_builder.SetSource(-1);
    }

private:
    void Set(int nField, std::string strValue, bool bPreferred = false) {
        Claim(nField, m_builder.SetField(nField, std::move(strValue), bPreferred));
    }
    void Claim(int nField, bool bTook) {
        if (!m_pSources) {
            return;
        }
        m_pSources->claims.emplace_back(m_nProperty, nField);
        int& nSource = m_pSources->nSource[nField];
        if (bTook && (nField != CContact::fieldNote || nSource < 0)) {
            nSource = static_cast<int>(m_nProperty);
        }
    }

    std::string Text(const CVCardProperty& prop) { return Unescaped(Decoded(prop)); }
    std::string Unescaped(std::string_view strDecoded) const { return UnescapeValue(strDecoded, m_version); }
    // Valid until the next call.
    const Parts& Components(std::string_view strDecoded) {
        SplitValue(strDecoded, true, m_version, m_parts);
        return m_parts;
    }

    // Valid until the next call.
    std::string_view Decoded(const CVCardProperty& prop) {
        bool bKnown = true;
        std::string_view str = DecodeValue(prop, m_strDecoded, bKnown);
        if (!bKnown) {
            CString strText;
            strText.Format("unknown character set \"%s\"; the value was read as UTF-8, or where it is not "
                           "UTF-8 in the character set its text looks like",
                           prop.strCharset.c_str());
            m_report.Warn(m_strFile, prop.nLine, strText);
        }
        return str;
    }

    // An X-ABLABEL in a group: the label of the group's value.
    static bool IsValueLabel(const CVCardProperty& prop) {
        return prop.strName == "X-ABLABEL" && prop.strHead.find('.') < prop.strHead.find(';');
    }
    // The label of the property's group, marking it taken; empty for none.
    std::string TakeLabel(const CVCardProperty& prop) {
        if (prop.strHead.find('.') >= prop.strHead.find(';')) {
            return std::string(); // in no group, as most
        }
        const std::string strGroup = prop.Group();
        for (size_t p = 0; p < m_nCount; ++p) {
            if (IsValueLabel(m_pProps[p]) && m_pProps[p].Group() == strGroup) {
                m_takenLabels.push_back(p);
                return Text(m_pProps[p]);
            }
        }
        return std::string();
    }
    bool IsLabelTaken(size_t p) const {
        return std::find(m_takenLabels.begin(), m_takenLabels.end(), p) != m_takenLabels.end();
    }

    void One(const CVCardProperty& prop) {
        if (prop.IsBinary()) {
            if (!prop.strRaw.empty() && !Photo(prop)) {
                m_builder.SkipBinary();
            }
            return;
        }
        if (IsCardFrame(prop)) {
            return;
        }
        std::string_view strDecoded = Decoded(prop);
        if (DefaultTypedField(prop.name)) {
            Typed(prop, strDecoded);
        } else if (!Fields(prop, strDecoded)) {
            Further(prop, strDecoded);
        }
    }

    // A picture the card holds (base64, or 4.0's data URI) as the contact's photo, inline until
    // a book gives it a file. Logos and sounds are skipped.
    bool Photo(const CVCardProperty& prop) {
        if (prop.name != VCardName::photo) {
            return false;
        }
        std::string_view strData(prop.strRaw);
        if (strData.compare(0, 5, "data:") == 0) {
            size_t nComma = strData.find(',');
            if (nComma == std::string_view::npos || strData.substr(0, nComma).find(";base64") == std::string_view::npos) {
                return false;
            }
            strData.remove_prefix(nComma + 1);
        }
        std::string strBytes;
        if (!DecodeBase64(strData, strBytes) || strBytes.empty()) {
            return false;
        }
        CReadValue value;
        value.kind = EValueKind::photo;
        value.strText = InlinePhoto(strBytes).GetStdString();
        m_builder.AddValue(std::move(value));
        return true;
    }

    // A property without a field: groups, a value of its own kind, or a line kept as it came.
    void Further(const CVCardProperty& prop, std::string_view strDecoded) {
        CReadValue value;
        if (prop.strName == "CATEGORIES") {
            for (std::string& strGroup : SplitCategories(strDecoded, m_version)) {
                AddParts(EValueKind::group, strGroup);
            }
        } else if (ValueOfProperty(prop, strDecoded, m_version, value)) {
            value.strLabel = TakeLabel(prop);
            m_builder.AddValue(std::move(value));
        } else {
            Keep(prop, strDecoded);
        }
    }

    // A property the contact has no place for, kept as its line; one without a name would be no
    // line read again, and goes into the note.
    void Keep(const CVCardProperty& prop, std::string_view strDecoded) {
        if (prop.strName.empty()) {
            m_builder.AddToNote("Line", Unescaped(strDecoded));
            return;
        }
        CReadValue value;
        value.kind = EValueKind::cardProperty;
        value.strText = KeptLine(prop, strDecoded);
        m_builder.AddValue(std::move(value));
    }

    void AddParts(EValueKind kind, const std::string& strPart) {
        if (!strPart.empty()) {
            CReadValue value;
            value.kind = kind;
            value.strText = strPart;
            m_builder.AddValue(std::move(value));
        }
    }

    // The fields of an untyped property; false when it has none.
    bool Fields(const CVCardProperty& prop, std::string_view strDecoded) {
        const std::vector<const CVCardField*>& rows = VCardFieldsOf(prop.name);
        // Only the name and the organisation are split into components.
        bool bStructured = prop.name == VCardName::n || prop.name == VCardName::org;
        for (const CVCardField* pField : rows) {
            bStructured = bStructured || pField->nComponent >= 0;
        }
        static const Parts s_none;
        const Parts& parts = bStructured ? Components(strDecoded) : s_none;
        for (const CVCardField* pField : rows) {
            Set(pField->nField,
                pField->nComponent < 0 ? Unescaped(strDecoded) : Part(parts, pField->nComponent));
        }
        // The parts of the name and the organisation that have no field of their own.
        if (prop.name == VCardName::n) {
            // Kept for the formatted name.
            m_strMiddle = Part(parts, 2);
            m_strPrefix = Part(parts, 3);
            m_strSuffix = Part(parts, 4);
            // Each of these components is a list: "Anna,Maria" are two middle names.
            const std::vector<std::string> escaped = SplitEscapedComponents(std::string(strDecoded));
            const EValueKind kinds[] = {EValueKind::middleName, EValueKind::namePrefix, EValueKind::nameSuffix};
            for (size_t k = 2; k < 5 && k < escaped.size(); ++k) {
                for (const std::string& strPart : SplitCategories(escaped[k], m_version)) {
                    AddParts(kinds[k - 2], strPart);
                }
            }
        } else if (prop.name == VCardName::org) {
            Parts units(parts.begin() + std::min<size_t>(1, parts.size()), parts.end());
            for (const std::string& strUnit : units) {
                AddParts(EValueKind::department, strUnit);
            }
        }
        return !rows.empty();
    }

    // A number, e-mail address, web page or address: the field its types select (or the home
    // one for none) while it is free, else a value with the property's own types and label.
    // Kinds of number the contact has no field for (a fax at home, a pager, a video line) are
    // values from the start.
    void Typed(const CVCardProperty& prop, std::string_view strDecoded) {
        CReadValue value;
        ValueOfProperty(prop, strDecoded, m_version, value);
        value.strLabel = TakeLabel(prop);
        const bool bPhone = prop.name == VCardName::tel;
        const CVCardField* pField = FindTypedField(prop.name, prop);
        const bool bUnfiled = bPhone && (prop.HasType(typeFax) ? prop.HasType(typeHome) && !prop.HasType(typeWork)
                                                               : prop.HasType(typePager));
        const CVCardField* pTarget = pField;
        if (!pField && (!bPhone || value.strType.empty())) {
            pTarget = DefaultTypedField(prop.name);
        }
        if (pTarget && !bUnfiled && value.strLabel.empty()) {
            std::string strText = prop.name == VCardName::adr ? ComposeAddress(value.parts) : value.strText;
            if (!m_builder.IsFieldSet(pTarget->nField) || (pField && prop.bPreferred)) {
                Set(pTarget->nField, strText, prop.bPreferred);
                // The field holds the address's lines; its parts are kept beside it, so that it
                // goes out again in the parts it came in.
                bool bParts = prop.name == VCardName::adr && m_builder.GetField(pTarget->nField) == strText &&
                              strText != value.parts[addressStreet];
                if (bParts) {
                    m_builder.AddValue(std::move(value));
                }
                return;
            }
            Claim(pTarget->nField, false);
            if (m_builder.GetField(pTarget->nField) == strText) {
                return; // the same value twice is one value
            }
        }
        m_builder.AddValue(std::move(value));
    }

    // A label is the text of the address of its type.
    void Label(const CVCardProperty& prop) {
        const CVCardField* pField = FindTypedField(VCardName::adr, prop);
        int nField = (pField ? pField : DefaultTypedField(VCardName::adr))->nField;
        std::string strLabel = Text(prop);
        if (!m_builder.IsFieldSet(nField)) {
            Set(nField, std::move(strLabel));
            return;
        }
        Claim(nField, false);
        if (!SameWhenCollapsed(m_builder.GetField(nField), strLabel)) {
            Keep(prop, Decoded(prop));
        }
    }

    void FormattedName(const std::string& strFormatted) {
        m_builder.ApplyDisplayName(strFormatted, m_strMiddle, m_strPrefix, m_strSuffix);
    }

    VCardVersion m_version;
    CContactBuilder& m_builder;
    CImportReport& m_report;
    const CString& m_strFile;
    std::string m_strMiddle, m_strPrefix, m_strSuffix; // of the name
    Parts& m_parts;                                    // the components of the value being mapped
    std::string& m_strDecoded;                         // the decoded value when it differs from the raw one
    CVCardFieldSources* m_pSources;
    const CVCardProperty* m_pProps = nullptr;
    size_t m_nCount = 0;
    size_t m_nProperty = 0;
    std::vector<size_t> m_takenLabels; // the X-ABLABEL lines a value took
};

} // namespace

CVCardFieldSources::CVCardFieldSources() {
    for (int& n : nSource) {
        n = -1;
    }
}

void MapCard(const std::vector<CVCardProperty>& props, VCardVersion version, CContactBuilder& builder,
             CImportReport& report, const CString& strFile, CVCardFieldSources* pSources) {
    CVCardMapRoom room;
    CMapper(version, builder, report, strFile, pSources, room).Map(props.data(), props.size());
}

void MapCard(const CVCardProperty* pProps, size_t nCount, VCardVersion version, CContactBuilder& builder,
             CImportReport& report, const CString& strFile, CVCardMapRoom& room) {
    CMapper(version, builder, report, strFile, nullptr, room).Map(pProps, nCount);
}
