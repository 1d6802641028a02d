#include "VCardMapper.h"

#include "VCardFields.h"

namespace {

typedef std::vector<std::string> Parts;

struct PropertyLabel {
    const char* pszName;
    const char* pszLabel;
};

// Labels of the properties a user meets in notes; others keep their own name.
const PropertyLabel g_labels[] = {
    {"BDAY", "Birthday"},
    {"ANNIVERSARY", "Anniversary"},
    {"ROLE", "Role"},
    {"CATEGORIES", "Categories"},
    {"IMPP", "Instant messaging"},
    {"GEO", "Location"},
    {"TZ", "Time zone"},
    {"SOUND", "Sound"},
    {"PHOTO", "Photo"},
    {"LOGO", "Logo"},
    {"X-SIP", "SIP"},
    {"AGENT", "Agent"},
    {"GENDER", "Gender"},
    {"LANG", "Language"},
};

std::string LabelOf(const CVCardProperty& prop) {
    for (const PropertyLabel& entry : g_labels) {
        if (prop.strName == entry.pszName) {
            return entry.pszLabel;
        }
    }
    return prop.strWrittenName.empty() ? prop.strName : prop.strWrittenName;
}

const std::string& Part(const Parts& parts, int n) {
    static const std::string s_strNone;
    return n < static_cast<int>(parts.size()) ? parts[static_cast<size_t>(n)] : s_strNone;
}

// Kinds of number the contact has no field for; they go into the note under their kind.
const char* UnfiledPhoneKind(const CVCardProperty& prop) {
    if (prop.HasType(typeFax)) {
        return prop.HasType(typeHome) && !prop.HasType(typeWork) ? "Home fax" : nullptr;
    }
    return prop.HasType(typePager) ? "Pager" : nullptr;
}

class CMapper {
public:
    CMapper(VCardVersion version, CContactBuilder& builder, CImportReport& report, const CString& strFile,
            CVCardFieldSources* pSources, CVCardMapRoom& room)
        : m_version(version), m_builder(builder), m_report(report), m_strFile(strFile), m_parts(room.parts),
          m_strDecoded(room.strDecoded), m_pSources(pSources) {}

    void Map(const CVCardProperty* pProps, size_t nCount) {
        for (m_nProperty = 0; m_nProperty < nCount; ++m_nProperty) {
            const CVCardProperty& prop = pProps[m_nProperty];
            if (prop.name != VCardName::label && prop.name != VCardName::fn) {
                One(prop);
            }
        }
        // Labels and the formatted name repeat what the other properties hold; they are
        // looked at last, and kept only where they add something.
        for (m_nProperty = 0; m_nProperty < nCount; ++m_nProperty) {
            const CVCardProperty& prop = pProps[m_nProperty];
            if (prop.name == VCardName::label) {
                Label(prop);
            } else if (prop.name == VCardName::fn) {
                FormattedName(Text(prop));
            }
        }
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
            strText.Format("unknown character set \"%s\"; the value was read as UTF-8, or as Windows-1252 "
                           "where it is not UTF-8",
                           prop.strCharset.c_str());
            m_report.Warn(m_strFile, prop.nLine, strText);
        }
        return str;
    }

    void One(const CVCardProperty& prop) {
        if (prop.IsBinary()) {
            if (!prop.strRaw.empty()) {
                m_builder.SkipBinary();
            }
            return;
        }
        if (prop.name == VCardName::version) {
            return;
        }
        std::string_view strDecoded = Decoded(prop);
        if (DefaultTypedField(prop.name)) {
            Typed(prop, strDecoded);
        } else if (!Fields(prop, strDecoded)) {
            m_builder.AddToNote(LabelOf(prop), Unescaped(strDecoded));
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
            m_builder.AddToNote("Middle name", Part(parts, 2));
            m_builder.AddToNote("Name prefix", Part(parts, 3));
            m_builder.AddToNote("Name suffix", Part(parts, 4));
            // Kept for the formatted name.
            m_strMiddle = Part(parts, 2);
            m_strPrefix = Part(parts, 3);
            m_strSuffix = Part(parts, 4);
        } else if (prop.name == VCardName::org) {
            std::string strUnits;
            for (size_t k = 1; k < parts.size(); ++k) {
                if (!parts[k].empty()) {
                    strUnits += strUnits.empty() ? "" : ", ";
                    strUnits += parts[k];
                }
            }
            m_builder.AddToNote("Department", strUnits);
        }
        return !rows.empty();
    }

    void Typed(const CVCardProperty& prop, std::string_view strDecoded) {
        bool bPhone = prop.name == VCardName::tel;
        std::string strValue =
            prop.name == VCardName::adr ? ComposeAddress(Components(strDecoded)) : Unescaped(strDecoded);
        if (bPhone && strValue.compare(0, 4, "tel:") == 0) {
            strValue.erase(0, 4);
        }
        const CVCardField* pField = FindTypedField(prop.name, prop);
        const char* pszKind = bPhone ? UnfiledPhoneKind(prop) : nullptr;
        if (pszKind) {
            m_builder.AddToNote(pszKind, strValue);
        } else if (pField) {
            Set(pField->nField, std::move(strValue), prop.bPreferred);
        } else if (bPhone) {
            UntypedPhone(prop, strValue);
        } else {
            // An untyped value takes the home field while it is free; another one different
            // from it goes into the note under the plain label.
            const CVCardField* pHome = DefaultTypedField(prop.name);
            if (!m_builder.IsFieldSet(pHome->nField)) {
                Set(pHome->nField, std::move(strValue), prop.bPreferred);
                return;
            }
            Claim(pHome->nField, false);
            if (m_builder.GetField(pHome->nField) != strValue) {
                m_builder.AddToNote(pHome->pszNoteLabel, strValue);
            }
        }
    }

    // A number whose types select no field: a plain one takes the home phone while it is free,
    // anything else goes into the note with its kinds ("Phone (video)").
    void UntypedPhone(const CVCardProperty& prop, const std::string& strNumber) {
        const CVCardField* pHome = DefaultTypedField(prop.name);
        std::string strKinds;
        for (std::string_view type : prop.Types()) {
            std::string strType(type);
            if (strType != "VOICE" && strType != "PREF") {
                for (char& c : strType) {
                    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
                }
                strKinds = Join({strKinds, strType}, ", ");
            }
        }
        if (strKinds.empty() && !m_builder.IsFieldSet(pHome->nField)) {
            Set(pHome->nField, strNumber, prop.bPreferred);
        } else {
            if (strKinds.empty()) {
                Claim(pHome->nField, false);
            }
            std::string strLabel = pHome->pszNoteLabel;
            m_builder.AddToNote(strKinds.empty() ? strLabel : strLabel + " (" + strKinds + ")", strNumber);
        }
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
            m_builder.AddToNote("Address label", strLabel);
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
    size_t m_nProperty = 0;
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
