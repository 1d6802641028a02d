#include "InterchangeTestSupport.h"

#include "data/PhotoFolder.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"

#include "support/TestFiles.h"
#include "support/UnicodeNames.h"

#include <iterator>
#include <random>

std::string SampleFile(const std::string& strName) {
    return ReadBytes(std::string(TBOOK_INTERCHANGE_FILES) + "/" + strName);
}

CContactArray AwkwardContacts(int nCount, unsigned nSeed) {
    static const char* const s_pieces[] = {
        "a",
        "Zo\xC3\xAB",
        "M\xC3\xBCller",
        ",",
        ";",
        ":",
        "\\",
        "\\n",
        "\"",
        "O'Brien",
        "<&>",
        "\xE2\x82\xAC",
        "\xC3\x9F",
        "  ",
        "=",
        "\t",
        "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D",
        "BEGIN:VCARD",
        "END:VCARD", // where a 2.1 line is folded, it must not end the card
        "tel:",      // at the start of a phone number, not a link's scheme
        "\xE9\x99\xB3\xE5\xA4\xA7\xE6\x96\x87 \xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1 \xF0\x9F\x98\x80",
    };
    std::string strLong(90, 'y');
    std::mt19937 random(nSeed);
    CContactArray contacts;
    for (int n = 0; n < nCount; ++n) {
        CContact contact;
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (random() % 4 == 0) {
                continue;
            }
            CString strText;
            for (unsigned k = random() % 6 + 1; k > 0; --k) {
                unsigned nPiece = random() % (std::size(s_pieces) + 1);
                strText += nPiece == std::size(s_pieces) ? strLong.c_str() : s_pieces[nPiece];
            }
            if (CContact::IsMultiLineField(f) && random() % 2) {
                strText += "\r\nsecond line, with \xC3\xA9";
            }
            contact.FieldAt(f) = strText;
        }
        if (n % 3 == 1) { // names of every script
            const CUnicodeName& name = kUnicodeNames[static_cast<size_t>(n / 3) % std::size(kUnicodeNames)];
            contact.lastname = name.pszLast;
            contact.firstname = name.pszFirst;
        }
        if (n % 7 == 0) { // a company without names gives a formatted name from the company
            contact.lastname.Empty();
            contact.firstname.Empty();
            contact.company = "Acme & Sons, Ltd.";
        }
        if (n % 11 == 0) { // a note that ends like the lines Outlook's columns carry the other fields in
            contact.note = "Nickname: x\r\nOffice web page: y";
        }
        contact.EncodeStoredText();
        contacts.Add(contact);
    }
    return contacts;
}

std::string DescribeValues(const CContact& contact) {
    std::string strOut;
    for (const CContactValue& value : contact.values) {
        std::string strText = value.text.GetStdString();
        std::string strBytes;
        if (value.kind == EValueKind::photo && InlinePhotoBytes(value.text, strBytes)) {
            // A picture by its kind and size: its bytes would bury every other line.
            strText = PhotoMediaType(PhotoFileName(strBytes)) + (", " + std::to_string(strBytes.size()) + " bytes");
        }
        for (char& c : strText) {
            c = c == kAddressPartSeparator ? '|' : c;
        }
        strOut += std::string(strOut.empty() ? "" : "\n") + ValueElementName(value.kind) +
                  (value.type.IsEmpty() ? "" : " " + value.type.GetStdString()) +
                  (value.label.IsEmpty() ? "" : " \"" + value.label.GetStdString() + "\"") + ": " + strText;
    }
    return strOut;
}

bool ReadSample(const std::string& strName, const std::string& strData, CContactArray& contacts,
                CImportReport& report, CString& strError) {
    const CString strFile(strName.c_str());
    return strName.find(".vcf") != std::string::npos ? ReadVCards(strData, strFile, contacts, report, strError)
                                                     : ReadCsv(strData, strFile, contacts, report, strError);
}
