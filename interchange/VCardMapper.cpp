#include "VCardMapper.h"

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
    return prop.strWrittenName;
}

std::string Part(const Parts& parts, size_t n) {
    return n < parts.size() ? parts[n] : std::string();
}

class CMapper {
public:
    CMapper(CContactBuilder& builder, CImportReport& report, const CString& strFile)
        : m_builder(builder), m_report(report), m_strFile(strFile) {}

    void Map(const std::vector<CVCardProperty>& props) {
        for (const CVCardProperty& prop : props) {
            if (prop.strName != "LABEL" && prop.strName != "FN") {
                One(prop);
            }
        }
        // Labels and the formatted name repeat what the other properties hold; they are
        // looked at last, and kept only where they add something.
        for (const CVCardProperty& prop : props) {
            if (prop.strName == "LABEL") {
                Label(prop);
            } else if (prop.strName == "FN") {
                FormattedName(Text(prop));
            }
        }
    }

private:
    std::string Text(const CVCardProperty& prop) { return SplitValue(Decoded(prop), false)[0]; }
    Parts Structured(const CVCardProperty& prop) { return SplitValue(Decoded(prop), true); }

    std::string Decoded(const CVCardProperty& prop) {
        bool bKnown = true;
        std::string str = DecodeValue(prop, bKnown);
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
        const std::string& strName = prop.strName;
        if (prop.IsBinary()) {
            if (!prop.strRaw.empty()) {
                m_builder.SkipBinary();
            }
        } else if (strName == "N") {
            Parts p = Structured(prop);
            m_builder.SetField(CContact::fieldLastName, Part(p, 0));
            m_builder.SetField(CContact::fieldFirstName, Part(p, 1));
            m_builder.AddToNote("Middle name", Part(p, 2));
            m_builder.AddToNote("Name prefix", Part(p, 3));
            m_builder.AddToNote("Name suffix", Part(p, 4));
            m_nameParts = p;
        } else if (strName == "NICKNAME") {
            m_builder.SetField(CContact::fieldNickname, Text(prop));
        } else if (strName == "ORG") {
            Parts p = Structured(prop);
            m_builder.SetField(CContact::fieldCompany, p[0]);
            p.erase(p.begin());
            std::string strUnits;
            for (const std::string& strUnit : p) {
                strUnits = Join({strUnits, strUnit}, ", ");
            }
            m_builder.AddToNote("Department", strUnits);
        } else if (strName == "TITLE") {
            m_builder.SetField(CContact::fieldJobTitle, Text(prop));
        } else if (strName == "NOTE") {
            m_builder.AppendNote(Text(prop));
        } else if (strName == "TEL") {
            Phone(prop);
        } else if (strName == "EMAIL") {
            Typed(prop, CContact::fieldHomeEMail, CContact::fieldOfficeEMail, "E-mail");
        } else if (strName == "URL") {
            Typed(prop, CContact::fieldHomeWWW, CContact::fieldOfficeWWW, "Web page");
        } else if (strName == "ADR") {
            Parts p = Structured(prop);
            TypedValue(prop, CContact::fieldHomeAddress, CContact::fieldOfficeAddress, "Address",
                       ComposeAddress(p));

        } else if (strName != "VERSION") {
            m_builder.AddToNote(LabelOf(prop), Text(prop));
        }
    }

    void Phone(const CVCardProperty& prop) {
        std::string strNumber = Text(prop);
        if (strNumber.compare(0, 4, "tel:") == 0) {
            strNumber.erase(0, 4);
        }
        bool bHome = prop.Has("HOME");
        bool bWork = prop.Has("WORK");
        if (prop.Has("FAX")) {
            if (bHome && !bWork) {
                m_builder.AddToNote("Home fax", strNumber);
            } else {
                m_builder.SetField(CContact::fieldOfficeFax, strNumber, prop.bPreferred);
            }
        } else if (prop.Has("PAGER")) {
            m_builder.AddToNote("Pager", strNumber);
        } else if (prop.Has("CELL")) {
            m_builder.SetField(CContact::fieldMobile, strNumber, prop.bPreferred);
        } else if (bWork || bHome) {
            m_builder.SetField(bWork ? CContact::fieldOfficePhone : CContact::fieldHomePhone, strNumber,
                               prop.bPreferred);
        } else {
            std::string strKinds;
            for (std::string strType : prop.types) {
                if (strType != "VOICE" && strType != "PREF") {
                    for (char& c : strType) {
                        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
                    }
                    strKinds = Join({strKinds, strType}, ", ");
                }
            }
            if (strKinds.empty() && !m_builder.IsFieldSet(CContact::fieldHomePhone)) {
                m_builder.SetField(CContact::fieldHomePhone, strNumber, prop.bPreferred);
            } else {
                m_builder.AddToNote(strKinds.empty() ? "Phone" : "Phone (" + strKinds + ")", strNumber);
            }
        }
    }

    void Typed(const CVCardProperty& prop, int nHome, int nWork, const char* pszLabel) {
        TypedValue(prop, nHome, nWork, pszLabel, Text(prop));
    }

    // Work values go to the office field, home and untyped ones to the home field; an untyped
    // value that finds the home field taken goes into the note under the plain label.
    void TypedValue(const CVCardProperty& prop, int nHome, int nWork, const char* pszLabel,
                    const std::string& strValue) {
        if (prop.Has("WORK")) {
            m_builder.SetField(nWork, strValue, prop.bPreferred);
        } else if (prop.Has("HOME") || !m_builder.IsFieldSet(nHome)) {
            m_builder.SetField(nHome, strValue, prop.bPreferred);
        } else if (m_builder.GetField(nHome) != strValue) {
            m_builder.AddToNote(pszLabel, strValue);
        }
    }

    void Label(const CVCardProperty& prop) {
        int nField = prop.Has("WORK") ? CContact::fieldOfficeAddress : CContact::fieldHomeAddress;
        std::string strLabel = Text(prop);
        if (!m_builder.IsFieldSet(nField)) {
            m_builder.SetField(nField, strLabel);
        } else if (Collapsed(m_builder.GetField(nField)) != Collapsed(strLabel)) {
            m_builder.AddToNote("Address label", strLabel);
        }
    }

    void FormattedName(const std::string& strFormatted) {
        m_builder.ApplyDisplayName(strFormatted, Part(m_nameParts, 2), Part(m_nameParts, 3),
                                   Part(m_nameParts, 4));
    }

    CContactBuilder& m_builder;
    CImportReport& m_report;
    CString m_strFile;
    Parts m_nameParts;
};

} // namespace

void MapCard(const std::vector<CVCardProperty>& props, CContactBuilder& builder, CImportReport& report,
             const CString& strFile) {
    CMapper(builder, report, strFile).Map(props);
}
