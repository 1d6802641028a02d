#include "VCardWriter.h"

#include "Charset.h"

#include <algorithm>

namespace {

const size_t kMaxLine = 75; // octets per line before the line break

struct TypedField {
    int nField;
    const char* pszName;
    const char* pszTypes21; // bare parameters of 2.1
    const char* pszTypes30;
    const char* pszTypes40;
};

const TypedField g_typed[] = {
    {CContact::fieldHomePhone, "TEL", "HOME;VOICE", "HOME,VOICE", "home,voice"},
    {CContact::fieldMobile, "TEL", "CELL;VOICE", "CELL,VOICE", "cell,voice"},
    {CContact::fieldOfficePhone, "TEL", "WORK;VOICE", "WORK,VOICE", "work,voice"},
    {CContact::fieldOfficeFax, "TEL", "WORK;FAX", "WORK,FAX", "work,fax"},
    {CContact::fieldHomeEMail, "EMAIL", "INTERNET;HOME", "INTERNET,HOME", "home"},
    {CContact::fieldOfficeEMail, "EMAIL", "INTERNET;WORK", "INTERNET,WORK", "work"},
    {CContact::fieldHomeWWW, "URL", "HOME", "HOME", "home"},
    {CContact::fieldOfficeWWW, "URL", "WORK", "WORK", "work"},
};

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Escapes text for a value: backslash and semicolon always; comma and line breaks from 3.0 on.
// Version 2.1 keeps line breaks, which quoted-printable then carries.
std::string Escape(const std::string& str, VCardVersion version) {
    std::string strOut;
    strOut.reserve(str.size() + 8);
    for (size_t i = 0; i < str.size(); ++i) {
        char c = str[i];
        if (c == '\\' || c == ';' || (c == ',' && version != VCardVersion::v21)) {
            strOut += '\\';
            strOut += c;
        } else if (IsLineBreak(c)) {
            if (c == '\r' && i + 1 < str.size() && str[i + 1] == '\n') {
                ++i;
            }
            strOut += version == VCardVersion::v21 ? "\r\n" : "\\n";
        } else {
            strOut += c;
        }
    }
    return strOut;
}

// Appends one property line, folded at kMaxLine octets with a line break and a blank, never
// inside a UTF-8 sequence.
void AppendFolded(std::string& strOut, const std::string& strLine) {
    size_t nColumn = 0;
    for (size_t i = 0; i < strLine.size();) {
        unsigned char c = static_cast<unsigned char>(strLine[i]);
        size_t nLength = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        nLength = std::min(nLength, strLine.size() - i);
        if (nColumn + nLength > kMaxLine) {
            strOut += "\r\n ";
            nColumn = 1;
        }
        strOut.append(strLine, i, nLength);
        nColumn += nLength;
        i += nLength;
    }
    strOut += "\r\n";
}

// Version 2.1: plain when the value is short printable ASCII, otherwise quoted-printable with
// soft line breaks, which readers join without adding anything.
void Append21(std::string& strOut, const std::string& strHead, const std::string& strValue) {
    bool bPlain = strHead.size() + 1 + strValue.size() <= kMaxLine;
    bool bAscii = true;
    for (char c : strValue) {
        unsigned char u = static_cast<unsigned char>(c);
        bAscii = bAscii && u < 0x80;
        bPlain = bPlain && u >= 0x20 && u < 0x7F;
    }
    if (bPlain && (strValue.empty() || (strValue.front() != ' ' && strValue.back() != ' '))) {
        strOut += strHead + ":" + strValue + "\r\n";
        return;
    }
    std::string strLine = strHead + ";ENCODING=QUOTED-PRINTABLE" + (bAscii ? "" : ";CHARSET=UTF-8") + ":";
    static const char s_hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < strValue.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(strValue[i]);
        std::string strCode;
        bool bLastOfValue = i + 1 == strValue.size();
        if (c > 0x20 && c < 0x7F && c != '=') {
            strCode = static_cast<char>(c);
        } else if (c == ' ' && !bLastOfValue) {
            strCode = " ";
        } else {
            strCode = {'=', s_hex[c >> 4], s_hex[c & 15]};
        }
        if (strLine.size() + strCode.size() + 1 > kMaxLine) { // room for the "=" of a soft break
            strOut += strLine + "=\r\n";
            strLine.clear();
        }
        strLine += strCode;
    }
    strOut += strLine + "\r\n";
}

class CCardWriter {
public:
    CCardWriter(std::string& strOut, VCardVersion version) : m_strOut(strOut), m_version(version) {}

    // A property whose value is already escaped.
    void Property(const std::string& strHead, const std::string& strValue) {
        if (m_version == VCardVersion::v21) {
            Append21(m_strOut, strHead, strValue);
        } else {
            AppendFolded(m_strOut, strHead + ":" + strValue);
        }
    }
    void Text(const std::string& strHead, const std::string& strValue) {
        if (!strValue.empty()) {
            Property(strHead, Escape(strValue, m_version));
        }
    }
    std::string Typed(const char* pszName, const TypedField& f) const {
        switch (m_version) {
        case VCardVersion::v21:
            return std::string(pszName) + ";" + f.pszTypes21;
        case VCardVersion::v30:
            return std::string(pszName) + ";TYPE=" + f.pszTypes30;
        default:
            return std::string(pszName) + ";TYPE=" + f.pszTypes40;
        }
    }

    void Card(const CContact& stored) {
        CContact contact(stored);
        contact.DecodeStoredText();
        std::string strText[CContact::kFieldCount];
        for (int i = 0; i < CContact::kFieldCount; ++i) {
            strText[i] = Cp1252ToUtf8(contact.FieldAt(i));
        }
        static const char* const s_version[] = {"2.1", "3.0", "4.0"};
        m_strOut += "BEGIN:VCARD\r\nVERSION:";
        m_strOut += s_version[static_cast<int>(m_version)];
        m_strOut += "\r\n";
        const std::string& strLast = strText[CContact::fieldLastName];
        const std::string& strFirst = strText[CContact::fieldFirstName];
        Property("N", Escape(strLast, m_version) + ";" + Escape(strFirst, m_version) + ";;;");
        std::string strFormatted = strFirst + (strFirst.empty() || strLast.empty() ? "" : " ") + strLast;
        if (strFormatted.empty()) {
            strFormatted = strText[CContact::fieldCompany];
        }
        // Later versions require a formatted name even when it is empty.
        if (m_version == VCardVersion::v21) {
            Text("FN", strFormatted);
        } else {
            Property("FN", Escape(strFormatted, m_version));
        }
        Text("NICKNAME", strText[CContact::fieldNickname]);
        Text("ORG", strText[CContact::fieldCompany]);
        Text("TITLE", strText[CContact::fieldJobTitle]);
        for (const TypedField& f : g_typed) {
            Text(Typed(f.pszName, f), strText[f.nField]);
        }
        Address(strText[CContact::fieldHomeAddress], g_typed[6]);
        Address(strText[CContact::fieldOfficeAddress], g_typed[7]);
        Text("NOTE", strText[CContact::fieldNote]);
        m_strOut += "END:VCARD\r\n";
    }

private:
    // The whole multi-line text goes into the street, where no reader loses a line of it; the
    // label repeats it for readers of the older versions that show labels.
    void Address(const std::string& strText, const TypedField& typeOf) {
        if (strText.empty()) {
            return;
        }
        Property(Typed("ADR", typeOf), ";;" + Escape(strText, m_version) + ";;;;");
        if (m_version != VCardVersion::v40) {
            Text(Typed("LABEL", typeOf), strText);
        }
    }

    std::string& m_strOut;
    VCardVersion m_version;
};

} // namespace

std::string BuildVCards(const CContactArray& contacts, VCardVersion version) {
    std::string strOut;
    strOut.reserve(static_cast<size_t>(contacts.GetSize()) * 400);
    CCardWriter writer(strOut, version);
    for (int i = 0; i < contacts.GetSize(); ++i) {
        writer.Card(contacts[i]);
    }
    return strOut;
}
