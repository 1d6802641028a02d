#include "InterchangeTestSupport.h"

#include "support/TestFiles.h"

#include <random>

std::string SampleFile(const std::string& strName) {
    return ReadBytes(std::string(TBOOK_INTERCHANGE_FILES) + "/" + strName);
}

CContactArray AwkwardContacts(int nCount, unsigned nSeed) {
    static const char* const s_pieces[] = {
        "a",
        "Zo\xEB",
        "M\xFCller",
        ",",
        ";",
        ":",
        "\\",
        "\\n",
        "\"",
        "O'Brien",
        "<&>",
        "\x80",
        "\xDF",
        "  ",
        "=",
        "\t",
        "\x81\x8D\x8F\x90\x9D",
        "BEGIN:VCARD",
        "x",
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
                unsigned nPiece = random() % 20;
                strText += nPiece == 19 ? strLong.c_str() : s_pieces[nPiece];
            }
            if (CContact::IsMultiLineField(f) && random() % 2) {
                strText += "\r\nsecond line, with \xE9";
            }
            contact.FieldAt(f) = strText;
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
