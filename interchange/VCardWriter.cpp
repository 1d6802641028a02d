#include "VCardWriter.h"

#include "ExportedContact.h"
#include "QuotedPrintable.h"
#include "VCardFields.h"
#include "VCardValues.h"

#include "framework/core/Base64.h"
#include "framework/core/Parallel.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kMaxLine = 75; // octets per line before the line break

// Appends one property line, folded at kMaxLine octets with a line break and a blank, never
// inside a UTF-8 sequence.
void AppendFolded(std::string& strOut, const std::string& strLine) {
    // Each stretch between folds goes out whole; most lines are one stretch.
    size_t nStretch = 0;
    size_t nColumn = 0;
    for (size_t i = 0; i < strLine.size() && strLine.size() > kMaxLine;) {
        unsigned char c = static_cast<unsigned char>(strLine[i]);
        size_t nLength = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        nLength = std::min(nLength, strLine.size() - i);
        if (nColumn + nLength > kMaxLine) {
            strOut.append(strLine, nStretch, i - nStretch);
            strOut += "\r\n ";
            nStretch = i;
            nColumn = 1;
        }
        nColumn += nLength;
        i += nLength;
    }
    strOut.append(strLine, nStretch, std::string::npos);
    strOut += "\r\n";
}

// Version 2.1: plain when the value is short printable ASCII, otherwise quoted-printable.
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
    AppendQuotedPrintable(strOut,
                          strHead + ";ENCODING=QUOTED-PRINTABLE" + (bAscii ? "" : ";CHARSET=UTF-8") + ":",
                          strValue, kMaxLine);
}

// Fields of one property and type share its line as components of a structured value.
bool IsSameLine(const CVCardField& a, const CVCardField& b) {
    bool bSameSelect =
        a.pszSelect && b.pszSelect ? std::strcmp(a.pszSelect, b.pszSelect) == 0 : a.pszSelect == b.pszSelect;
    return bSameSelect && std::strcmp(a.pszProperty, b.pszProperty) == 0;
}

// A value as a vCard carries it: most values hold nothing to escape and go out as they are.
const std::string& Escaped(const std::string& strValue, VCardVersion version, std::string& strBuffer) {
    for (char c : strValue) {
        if (c == '\\' || c == ';' || c == '\r' || c == '\n' || (c == ',' && version != VCardVersion::v21)) {
            strBuffer = EscapeValue(strValue, version);
            return strBuffer;
        }
    }
    return strValue;
}

class CCardWriter {
public:
    CCardWriter(std::string& strOut, VCardVersion version, const CPhotoFolder* pPhotos)
        : m_strOut(strOut), m_version(version), m_fields(VCardFields()), m_pPhotos(pPhotos) {
        // Every card has the same property heads; they are made once.
        for (const CVCardField& field : m_fields) {
            m_heads.push_back(VCardHead(field.pszProperty, field, m_version));
            m_labelHeads.push_back(VCardHead("LABEL", field, m_version));
        }
    }

    void Card(const CContact& stored) {
        CExportedContact contact(stored);
        static const char* const s_version[] = {"2.1", "3.0", "4.0"};
        m_strOut += "BEGIN:VCARD\r\nVERSION:";
        m_strOut += s_version[static_cast<int>(m_version)];
        m_strOut += "\r\n";
        m_addressParts.clear();
        for (size_t i = 0; i < m_fields.size(); ++i) {
            if (i == 0 || !IsSameLine(m_fields[i - 1], m_fields[i])) {
                Line(i, contact, stored);
            }
        }
        if (!stored.values.empty()) {
            Values(stored.values);
        }
        m_strOut += "END:VCARD\r\n";
    }

private:
    // A property whose value is already escaped.
    void Property(const std::string& strHead, const std::string& strValue) {
        AppendVCardProperty(m_strOut, strHead, strValue, m_version);
    }
    void Text(const std::string& strHead, const std::string& strValue) {
        if (!strValue.empty()) {
            Property(strHead, Escaped(strValue, m_version, m_strEscaped));
        }
    }

    void Values(const std::vector<CContactValue>& values) {
        std::string strGroups = JoinedValues(values, EValueKind::group, m_version);
        if (!strGroups.empty()) {
            Property("CATEGORIES", strGroups);
        }
        for (const CContactValue& value : values) {
            if (value.kind == EValueKind::photo) {
                Photo(value.text);
            }
        }
        for (const CVCardValueLine& line : ValueLines(values, m_version, m_addressParts)) {
            if (!line.bWhole) {
                Property(line.strHead, line.strValue);
            } else if (m_version == VCardVersion::v21) {
                m_strOut += line.strValue + "\r\n"; // 2.1 keeps a folded line's blank
            } else {
                AppendFolded(m_strOut, line.strValue);
            }
        }
    }

    // The picture in the version's own form: 2.1's base64 lines ending in an empty one, 3.0's
    // ENCODING=b, 4.0's data URI. A photo whose file is gone is left out.
    void Photo(const CString& strName) {
        std::string strBytes;
        if (!(m_pPhotos ? m_pPhotos->Read(strName, strBytes, nullptr) : InlinePhotoBytes(strName, strBytes))) {
            return;
        }
        std::string strHead, strData;
        PhotoProperty(strBytes, m_version, strHead, strData);
        if (m_version != VCardVersion::v21) {
            AppendFolded(m_strOut, strHead + ":" + strData);
            return;
        }
        m_strOut += strHead + ":\r\n";
        for (size_t i = 0; i < strData.size(); i += 76) {
            m_strOut += " " + strData.substr(i, 76) + "\r\n";
        }
        m_strOut += "\r\n";
    }

    // The components the further values give a line of the name or the organisation.
    void AddValueComponents(const CVCardField& field, const std::vector<CContactValue>& values,
                            std::vector<std::string>& parts) {
        if (values.empty()) {
            return;
        }
        if (std::strcmp(field.pszProperty, "N") == 0) {
            parts[2] = JoinedValues(values, EValueKind::middleName, m_version);
            parts[3] = JoinedValues(values, EValueKind::namePrefix, m_version);
            parts[4] = JoinedValues(values, EValueKind::nameSuffix, m_version);
        } else if (std::strcmp(field.pszProperty, "ORG") == 0) {
            for (const std::string& strUnit : ValueTexts(values, EValueKind::department)) {
                parts.push_back(EscapeValue(strUnit, m_version));
            }
        }
    }

    // The property of field nFirst, with the fields after it that share its line.
    void Line(size_t nFirst, const CExportedContact& contact, const CContact& stored) {
        const std::vector<CContactValue>& values = stored.values;
        const CVCardField& field = m_fields[nFirst];
        const std::string& strHead = m_heads[nFirst];
        const std::string& strText = contact.texts[field.nField];
        const int nParts = values.empty() ? -1 : FieldAddressParts(stored, field.nField);
        if (nParts >= 0) {
            // The address in the parts it came in, which readers show as they are: no label.
            m_addressParts.push_back(nParts);
            CVCardValueLine line = AddressLine(values[static_cast<size_t>(nParts)], m_version);
            Property(line.strHead, line.strValue);
            return;
        }
        if (field.nComponent < 0) {
            // Readers take a number written "tel:..." for a tel: link and drop the scheme; a
            // number typed that way keeps it by carrying it twice.
            bool bLinkLike = std::strcmp(field.pszProperty, "TEL") == 0 && strText.compare(0, 4, "tel:") == 0;
            Text(strHead, bLinkLike ? "tel:" + strText : strText);
            return;
        }
        std::vector<std::string> parts(static_cast<size_t>(field.nComponents));
        bool bEmpty = true;
        for (size_t k = nFirst; k < m_fields.size() && IsSameLine(field, m_fields[k]); ++k) {
            const std::string& strPart = contact.texts[m_fields[k].nField];
            parts[static_cast<size_t>(m_fields[k].nComponent)] = Escaped(strPart, m_version, m_strEscaped);
            bEmpty = bEmpty && strPart.empty();
        }
        AddValueComponents(field, values, parts);
        for (size_t k = 0; k < parts.size() && bEmpty; ++k) {
            bEmpty = parts[k].empty();
        }
        // Every version requires a name, so it goes out even when empty.
        bool bName = std::strcmp(field.pszProperty, "N") == 0;
        if (bEmpty && !bName) {
            return;
        }
        std::string strValue = parts[0];
        for (size_t k = 1; k < parts.size(); ++k) {
            strValue += ';';
            strValue += parts[k];
        }
        Property(strHead, strValue);
        if (bName) {
            // Later versions require a formatted name too, even an empty one.
            if (m_version == VCardVersion::v21) {
                Text("FN", contact.strDisplayName);
            } else {
                Property("FN", Escaped(contact.strDisplayName, m_version, m_strEscaped));
            }
        } else if (std::strcmp(field.pszProperty, "ADR") == 0 && m_version != VCardVersion::v40) {
            // The label repeats the address for readers of the older versions that show labels.
            Text(m_labelHeads[nFirst], strText);
        }
    }

    std::string& m_strOut;
    VCardVersion m_version;
    const std::vector<CVCardField>& m_fields;
    std::vector<std::string> m_heads;      // by field
    std::vector<std::string> m_labelHeads; // by field, for the addresses
    std::string m_strEscaped;
    const CPhotoFolder* m_pPhotos;
    std::vector<int> m_addressParts; // the values of the card being written that hold a field's parts
};

} // namespace

void PhotoProperty(const std::string& strBytes, VCardVersion version, std::string& strHead, std::string& strValue) {
    const std::string strType = PhotoMediaType(PhotoFileName(strBytes));
    if (version == VCardVersion::v40) {
        strHead = "PHOTO";
        strValue = "data:" + (strType.empty() ? "application/octet-stream" : strType) + ";base64," +
                   EncodeBase64(strBytes);
        return;
    }
    strHead = version == VCardVersion::v21 ? "PHOTO;ENCODING=BASE64" : "PHOTO;ENCODING=b";
    if (strType.compare(0, 6, "image/") == 0) {
        strHead += ";TYPE=" + UpperUtf8(strType.substr(6));
    }
    strValue = EncodeBase64(strBytes);
}

void AppendVCardProperty(std::string& strOut, const std::string& strHead, const std::string& strValue,
                         VCardVersion version) {
    if (version == VCardVersion::v21) {
        Append21(strOut, strHead, strValue);
    } else if (strHead.size() + 1 + strValue.size() <= kMaxLine) {
        strOut += strHead;
        strOut += ':';
        strOut += strValue;
        strOut += "\r\n";
    } else {
        AppendFolded(strOut, strHead + ":" + strValue);
    }
}

std::string BuildVCards(const CContactArray& contacts, VCardVersion version, const CPhotoFolder* pPhotos) {
    std::string strOut;
    AppendInParts(strOut, static_cast<size_t>(contacts.GetSize()), kMinContactsPerPart,
                  [&](size_t nFirst, size_t nEnd, std::string& strCards) {
                      strCards.reserve((nEnd - nFirst) * 400);
                      CCardWriter writer(strCards, version, pPhotos);
                      for (size_t i = nFirst; i < nEnd; ++i) {
                          writer.Card(contacts[static_cast<int>(i)]);
                      }
                  });
    return strOut;
}
