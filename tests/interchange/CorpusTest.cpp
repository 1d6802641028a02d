// Real files that other programs wrote, and small files made in the shape of theirs, each with
// the fields it must give.
#include "InterchangeTestSupport.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

typedef CContact C;

struct FieldValue {
    int nField;
    const char* pszValue; // stored form
};

struct CorpusCase {
    const char* pszFile;
    int nContact;                   // which contact of the file, in file order
    std::vector<FieldValue> fields; // every field not named here must be empty
    int nContacts, nWarnings, nReplaced, nPhotos;
    const char* pszFirstWarning = nullptr;
    const char* pszValues = ""; // as DescribeValues gives them
};

const CorpusCase g_cases[] = {
    {"vcard/v21_complicated.vcf",
     0,
     {{C::fieldLastName, "Gump"},
      {C::fieldFirstName, "Forrest"},
      {C::fieldCompany, "Gump Shrimp Co."},
      {C::fieldJobTitle, "Shrimp Man"},
      {C::fieldHomePhone, "(404) 555-1212"},
      {C::fieldMobile, "0311111111"},
      {C::fieldOfficePhone, "(111) 555-1212"},
      {C::fieldHomeEMail, "forrestgump@walladalla.com"},
      {C::fieldHomeWWW, "http://www.example.com/"},
      {C::fieldHomeAddress, "42 Plantation St.\\r\\nBaytown, LA 30314\\r\\nUnited States of America"},
      {C::fieldOfficeAddress, "100 Waters Edge\\r\\nBaytown, LA 30314\\r\\nUnited States of America"},
      {C::fieldNote,
       "The following note is the example from RFC 2045.\\r\\n"
       "Now's the time for all folk to come to the aid of their country.\\r\\nDisplay name: Joe Due"}},
     1,
     0,
     0,
     0,
     nullptr,
     "middlename: Hoge\nnameprefix: Pos\nnamesuffix: Tao\ndepartment: Sales Dept.;Manager\n"
     "department: Fish keeper\ncardproperty: ROLE:Fish Cake Keeper!\ncardproperty: X-CLASS:PUBLIC\n"
     "phone video: 0322222222\nphone: 0333333333\n"
     // The addresses' parts beside the fields that hold their lines.
     "address work: ||100 Waters Edge|Baytown|LA|30314|United States of America\n"
     "address home: ||42 Plantation St.|Baytown|LA|30314|United States of America\n"
     "email mobile: cell@example.com\n"
     "photo: image/jpeg, 3888 bytes\n"
     "cardproperty: X-ATTRIBUTE:Some String\ndate birthday: 1980-01-01\n"
     "cardproperty: GEO:35.6563854,139.6994233"},
    // Shift_JIS in quoted-printable: every Japanese letter kept.
    {"vcard/v21_japanese_2.vcf",
     0,
     {{C::fieldLastName, "\xE5\xAE\x89\xE8\x97\xA4"},
      {C::fieldFirstName, "\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89"
                          "1"},
      {C::fieldHomeAddress,
       "\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD\xE6\xB8\x8B\xE8\xB0\xB7\xE5\x8C\xBA\xE6\xA1\x9C"
       "\xE4\xB8\x98\xE7\x94\xBA"
       "26-1\xE3\x82\xBB\xE3\x83\xAB\xE3\x83\xAA\xE3\x82\xA2\xE3\x83\xB3\xE3\x82\xBF\xE3\x83\xAF"
       "\xE3\x83\xBC"
       "6\xE9\x9A\x8E\\r\\n150-8512"},
      {C::fieldNote,
       "\xE3\x83\xA1\xE3\x83\xA2\\r\\nDisplay name: \xE5\xAE\x89\xE8\x97\xA4 \xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89 1"}},
     1,
     0,
     0,
     0,
     nullptr,
     // Kept as its line, in UTF-8 now and without the parameters that said how it was encoded.
     "cardproperty: SOUND;X-IRMC-N:\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3;"
     "\xEF\xBE\x9B\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E"
     "1;;;\naddress home: |\xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD\xE6\xB8\x8B\xE8\xB0\xB7\xE5\x8C\xBA\xE6\xA1\x9C"
     "\xE4\xB8\x98\xE7\x94\xBA"
     "26-1\xE3\x82\xBB\xE3\x83\xAB\xE3\x83\xAA\xE3\x82\xA2\xE3\x83\xB3\xE3\x82\xBF\xE3\x83\xAF\xE3\x83\xBC"
     "6\xE9\x9A\x8E||||150-8512"},
    // Shift_JIS letters whose second byte is a backslash do not escape the separator after them.
    {"vcard/v30_japanese.vcf",
     0,
     {{C::fieldLastName, "\xE4\xBC\x8A\xE8\x83\xBD"},
      {C::fieldFirstName, "\xE5\x9C\xAD\xE4\xB8\x80"},
      {C::fieldNote, "Display name: \xE4\xBC\x8A\xE8\x83\xBD \xE5\x9C\xAD\xE4\xB8\x80 \xE4\xBC\x8A\xE4\xBA\x88"}},
     1,
     0,
     0,
     0,
     nullptr,
     "middlename: \xE4\xBC\x8A\xE4\xBA\x88"},
    // A soft line break carries a line that looks like a comment; the real comments are skipped.
    {"vcard/v21_invalid_comment_line.vcf",
     0,
     {{C::fieldFirstName, "Conference Call"},
      {C::fieldNote,
       "This is an (sharp ->#<- sharp) example. This message must NOT be ignored."}},
     1,
     2,
     0,
     0,
     nullptr,
     "cardproperty: UID:357"},
    {"vcard/v21_multiple_entry.vcf",
     2,
     {{C::fieldLastName, "\xE5\xAE\x89\xE8\x97\xA4\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89"
                         "5"},
     },
     3,
     0,
     0,
     0,
     nullptr,
     "cardproperty: SOUND;X-IRMC-N:\xEF\xBD\xB1\xEF\xBE\x9D\xEF\xBE\x84\xEF\xBE\x9E\xEF\xBD\xB3\xEF\xBE\x9B"
     "\xEF\xBD\xB2\xEF\xBE\x84\xEF\xBE\x9E"
     "5;;;;\nphone x-nec-boy: 17\nphone x-nec-friend: 18\nphone x-nec-phs: 19\nphone x-nec-restaurant: 20"},
    // A second home address continued with backslashes at the line ends.
    {"vcard/v21_adr_multiple_line.vcf",
     0,
     {{C::fieldLastName, "bogus"},
      {C::fieldHomeWWW, "http://bogus.com/"},
      {C::fieldHomeAddress, "Grindelberg 999\\r\\nHamburg, 99999\\r\\nDeutschland"}},
     1,
     0,
     0,
     0,
     nullptr,
     "address home: ||Grindelberg 999|Hamburg||99999|Deutschland\n"
     "address home: ||Hermann v. Brevern\\r\\n9999999\\r\\nPackstation 999|Hamburg||99999|Deutschland\n"
     "date birthday: 2008-12-03"},
    // CR CR LF line ends, grouped properties, a folded photo.
    {"vcard/v30_ios_613_multiline.vcf",
     0,
     {{C::fieldLastName, "Smith"},
      {C::fieldFirstName, "Bob"},
      {C::fieldCompany, "Smith Auto Repair"},
      {C::fieldMobile, "(650) 555-1212"},
      {C::fieldHomeEMail, "bob@smithauto.com"}},
     1,
     0,
     0,
     0,
     nullptr,
     // A labelled value keeps its label, and so is no field's.
     "web \"_$!<HomePage>!$_\": www.smithauto.com\nphoto: image/jpeg, 5165 bytes"},
    {"vcard/v21_pref_handling.vcf",
     0,
     {{C::fieldLastName, "Smith"},
      {C::fieldCompany, "Company"},
      {C::fieldJobTitle, "Engineer"},
      {C::fieldHomePhone, "1"},
      {C::fieldOfficePhone, "2"},
      {C::fieldHomeEMail, "test@example.com"}},
     1,
     0,
     0,
     0,
     nullptr,
     "phone isdn: 3\nemail mobile: test2@examination.com\ncustom \"Company\": Mystery\n"
     "custom \"Job title\": Blogger\ncustom \"Company\": Poetry\ncustom \"Job title\": Poet"},
    // Cards inside a card are cards of their own; the outer one ends last.
    {"vcard/v21_nest.vcf", 2, {{C::fieldLastName, "parent"}, {C::fieldHomePhone, "1"}}, 3, 0, 0, 0},
    {"vcard/v40_sip.vcf",
     0,
     {{C::fieldLastName, "\xE5\xAE\x89\xE8\x97\xA4"},
      {C::fieldFirstName, "\xE3\x83\xAD\xE3\x82\xA4\xE3\x83\x89"},
      {C::fieldHomePhone, "1"}},
     1,
     0,
     0,
     0,
     nullptr,
     "phone home: sip:example@example.com"},
    // A 2.1 value folded onto a line that starts with blanks keeps them.
    {"vcard/v21_invalid_multiple_line.vcf",
     0,
     {{C::fieldFirstName, "Omega"}, {C::fieldHomeEMail, "&quote;Omega&quote;  <omega@example.com>"}},
     1,
     0,
     0,
     0},
    {"csv/thunderbird_basic.csv",
     1,
     {{C::fieldLastName, "Doe"}, {C::fieldFirstName, "Jane"}, {C::fieldHomeEMail, "jane@doe.invalid"}},
     2,
     0,
     0,
     0},
    // A header no table knows: names, e-mail and phones by the words in the column names where the
    // values fit ("Mailing list" holds no address), the rest in the note, one warning for the file.
    {"csv/custom_header.csv",
     0,
     {{C::fieldFirstName, "Ana"},
      {C::fieldLastName, "Silva"},
      {C::fieldHomeEMail, "ana@example.com"},
      {C::fieldOfficePhone, "+49 30 1234567"},
      {C::fieldMobile, "0171 2345678"},
      {C::fieldNote, "Birthplace: Lisbon\\r\\nMailing list: yes"}},
     2,
     1,
     0,
     0,
     "csv/custom_header.csv:1: no address book known here writes this header row; columns recognised by "
     "their "
     "names: \"Contact first name\" (first name), \"Contact last name\" (last name), \"Mail\" (home e-mail), "
     "\"Tel. (work)\" (office phone), \"Handy\" (mobile), \"Mailing list\" (home e-mail); values that do not "
     "fit, and those of the other columns, are kept in the note under their column names"},
    // Google types its web sites; the address comes whole and in parts, and only the parts the
    // whole text lacks go into the note.
    {"csv/google_websites.csv",
     0,
     {{C::fieldFirstName, "Ana"},
      {C::fieldLastName, "Silva"},
      {C::fieldHomeWWW, "http://ana.example"},
      {C::fieldOfficeWWW, "http://office.example"},
      {C::fieldHomeAddress, "1 Home Road\\r\\nHometown"},
      {C::fieldNote,
       "Address 1 - Postal Code: 11111\\r\\nAddress 1 - Country: Homeland\\r\\n"
       "Address 1 - Neighborhood: Old Town"}},
     1,
     0,
     0,
     0,
     nullptr,
     "web \"Profile\": http://profile.example/ana"},
    // Google's numbered groups become values with their types, or with the user's own labels;
    // the first of a kind whose field is free fills it, and "* myContacts" is no group.
    {"csv/google_groups.csv",
     0,
     {{C::fieldFirstName, "Ana"},
      {C::fieldLastName, "Silva"},
      {C::fieldCompany, "Acme"},
      {C::fieldJobTitle, "Engineer"},
      {C::fieldHomePhone, "+1 555 0100"},
      {C::fieldMobile, "+1 555 0101"},
      {C::fieldHomeEMail, "ana@example.com"},
      {C::fieldOfficeEMail, "ana@work.example"},
      {C::fieldHomeAddress, "1 Home Road\\r\\nHometown, 11111\\r\\nHomeland"},
      {C::fieldNote, "Met at the fair"}},
     1,
     0,
     0,
     0,
     nullptr,
     "middlename: Maria\nnameprefix: Dr.\nnamesuffix: PhD\ndate birthday: --03-14\ngroup: Chess Club\n"
     "group: starred\naddress home: ||1 Home Road|Hometown||11111|Homeland\ncustom \"Shoe size\": 38\n"
     "email home: ana2@example.com\ndate anniversary: 2005-06-15\ndate \"Graduation\": 2003-07-01\n"
     "messaging skype \"Work\": ana.silva\ndepartment: Sales\nphone \"Boat\": +1 555 0199\n"
     "related spouse: Rui Silva\nweb \"Blog\": http://blog.example"},
    // Outlook's further columns become values; the third address stands beside the home one, and
    // a column without a place ("Children") stays in the note.
    {"csv/outlook_further.csv",
     0,
     {{C::fieldFirstName, "John"},
      {C::fieldLastName, "Public"},
      {C::fieldCompany, "Acme"},
      {C::fieldJobTitle, "Manager"},
      {C::fieldHomeAddress, "1 Home Road"},
      {C::fieldOfficePhone, "+1 555 0102"},
      {C::fieldHomePhone, "+1 555 0100"},
      {C::fieldMobile, "+1 555 0101"},
      {C::fieldHomeEMail, "john@example.com"},
      {C::fieldNote, "Met at the fair"}},
     1,
     0,
     0,
     0,
     nullptr,
     "nameprefix: Mr.\nmiddlename: Q.\nnamesuffix: Jr.\ndepartment: Sales\nphone work: +1 555 0112\n"
     "phone home,fax: +1 555 0113\nphone home: +1 555 0110\nphone other: +1 555 0114\n"
     "phone pager: +1 555 0115\ndate anniversary: 2005-06-15\nrelated assistant: Ann Aide\n"
     "date birthday: 1970-03-14\ngroup: Family\ngroup: Chess Club\nrelated child: Tom, Tim\nemail: john3@example.com\n"
     "related manager: Mia Boss\nrelated spouse: Jane Public\ncustom \"User 1\": Blue\n"
     "address other: ||9 Side St|Sidetown||33333"},
    // Outlook.com's whole addresses beside their parts; a box number "111" is no part of "11111".
    {"csv/outlook_com_addresses.csv",
     0,
     {{C::fieldFirstName, "Ana"},
      {C::fieldLastName, "Silva"},
      {C::fieldHomeAddress, "1 Home Road\\r\\nHometown 11111"},
      {C::fieldOfficeAddress, "2 Work Street\\r\\nWorktown"},
      {C::fieldNote, "Home Country/Region: Homeland\\r\\nHome Address PO Box: 111"}},
     1,
     0,
     0,
     0,
     nullptr,
     // The office address's text is its parts: they are kept beside it.
     "address work: ||2 Work Street|Worktown"},
    // One stray quote: its row keeps it as text and the rows after it are rows; a quoted value
    // over two lines that closes where its cell ends stays one value.
    {"csv/unbalanced_quote.csv",
     1,
     {{C::fieldLastName, "Roe"}, {C::fieldFirstName, "Rick"}, {C::fieldNote, "&quote;unbalanced"}},
     5,
     1,
     0,
     0,
     "csv/unbalanced_quote.csv:3: a quoted value is not closed at the end of its row; its quote was read as "
     "text and the lines after it as rows"},
    {"csv/unbalanced_quote.csv",
     3,
     {{C::fieldLastName, "Moe"}, {C::fieldFirstName, "Max"}, {C::fieldNote, "multi\\r\\nline"}},
     5,
     1,
     0,
     0},
    // 3.0 drops the backslash of an escape it does not name; 2.1 keeps it, as in a path.
    {"vcard/v30_unknown_escapes.vcf",
     0,
     {{C::fieldLastName, "O'Brien"},
      {C::fieldFirstName, "Ann"},
      {C::fieldNote, "She said &quote;hi&quote; ; then left, twice\\r\\nC:\\temp"}},
     2,
     0,
     0,
     0},
    {"vcard/v30_unknown_escapes.vcf",
     1,
     {{C::fieldLastName, "Roe"}, {C::fieldFirstName, "Ray"}, {C::fieldNote, "C:\\temp\\x"}},
     2,
     0,
     0,
     0},
    // A soft line break at the end of a value's last line does not take END:VCARD into the value.
    {"vcard/v21_qp_soft_break_at_end.vcf",
     0,
     {{C::fieldLastName, "Doe"}, {C::fieldFirstName, "Jo"}, {C::fieldNote, "first line\\r\\nsecond"}},
     2,
     0,
     0,
     0},
    // Without CHARSET, 2.1 values are UTF-8 where they are, and Windows-1252 where they are not.
    {"vcard/v21_utf8_without_charset.vcf",
     0,
     {{C::fieldLastName, "M\xC3\xBCller"},
      {C::fieldFirstName, "Zo\xC3\xAB"},
      {C::fieldCompany, "Caf\xC3\xA9 Noir"},
      {C::fieldNote, "Caf\xC3\xA9 \xE2\x82\xAC"}},
     1,
     0,
     0,
     0},
};

void ExpectFields(const CContact& contact, const std::vector<FieldValue>& fields) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        const char* pszExpected = "";
        for (const FieldValue& value : fields) {
            pszExpected = value.nField == f ? value.pszValue : pszExpected;
        }
        EXPECT_STREQ(pszExpected, contact.FieldAt(f).GetString()) << CContact::FieldTag(f);
    }
}

TEST(InterchangeCorpusTest, SampleFilesGiveTheirFields) {
    for (const CorpusCase& c : g_cases) {
        SCOPED_TRACE(c.pszFile);
        std::string strData = SampleFile(c.pszFile);
        ASSERT_FALSE(strData.empty());
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadSample(c.pszFile, strData, contacts, report, strError)) << strError.GetString();
        ASSERT_EQ(c.nContacts, contacts.GetSize());
        EXPECT_EQ(c.nWarnings, static_cast<int>(report.warnings.size()));
        EXPECT_EQ(c.nReplaced, report.nReplaced);
        EXPECT_EQ(c.nPhotos, report.nPhotosSkipped);
        if (c.pszFirstWarning) {
            ASSERT_FALSE(report.warnings.empty());
            EXPECT_STREQ(c.pszFirstWarning, report.warnings[0].GetString());
        }
        ExpectFields(contacts[c.nContact], c.fields);
        EXPECT_EQ(c.pszValues, DescribeValues(contacts[c.nContact]));
    }
}

// Some programs write UTF-16 without a byte-order mark, in either byte order: a vCard, and the
// tab-separated text of a spreadsheet's "Unicode text".
TEST(InterchangeCorpusTest, Utf16WithoutAMarkIsReadInEitherByteOrder) {
    for (const char* pszFile : {"vcard/v30_utf16le_no_mark.vcf", "vcard/v30_utf16be_no_mark.vcf",
                                "csv/utf16le_no_mark.csv", "csv/utf16be_no_mark.csv"}) {
        SCOPED_TRACE(pszFile);
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadSample(pszFile, SampleFile(pszFile), contacts, report, strError)) << strError.GetString();
        EXPECT_TRUE(report.warnings.empty());
        ASSERT_EQ(1, contacts.GetSize());
        ExpectFields(contacts[0], {{C::fieldLastName, "M\xC3\xBCller"},
                                   {C::fieldFirstName, "Zo\xC3\xAB"},
                                   {C::fieldMobile, "+1 555 0100"},
                                   {C::fieldNote, "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"}}); // 日本 😀
    }
}

// Outlook writes its header row in the user's language (and the file in the user's code page,
// or with a semicolon where the regional settings say so); the same contact comes out of each,
// its title, middle name and department as values.
TEST(InterchangeCorpusTest, OutlookHeadersInOtherLanguagesGiveTheSameContact) {
    struct Language {
        const char* pszFile;
        bool bTitleInNote; // French names the job title's column "Titre" too
    } const languages[] = {
        {"csv/outlook_de.csv", false},    {"csv/outlook_fr.csv", true}, {"csv/outlook_es.csv", false},
        {"csv/outlook_it.csv", false},    {"csv/outlook_nl.csv", false}, {"csv/outlook_pt_br.csv", false},
        {"csv/outlook_pt_pt.csv", false},
    };
    for (const Language& language : languages) {
        SCOPED_TRACE(language.pszFile);
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadCsv(SampleFile(language.pszFile), language.pszFile, contacts, report, strError))
            << strError.GetString();
        EXPECT_TRUE(report.warnings.empty());
        ASSERT_EQ(1, contacts.GetSize());
        std::string strNote = std::string("Met at the fair") + (language.bTitleInNote ? "\\r\\nTitre: Dr." : "");
        std::string strValues = std::string(language.bTitleInNote ? "" : "nameprefix: Dr.\n") +
                                "middlename: Maria\ndepartment: Sales\n"
                                "address home: ||1 Home Road|Hometown||11111|Homeland\n"
                                "address work: ||2 Work Street|Worktown|WR|22222|Workland";
        ExpectFields(contacts[0],
                     {{C::fieldFirstName, "Ana"},
                      {C::fieldLastName, "Silva"},
                      {C::fieldCompany, "Acme"},
                      {C::fieldJobTitle, "Engineer"},
                      {C::fieldHomePhone, "+1 555 0100"},
                      {C::fieldMobile, "+1 555 0101"},
                      {C::fieldOfficePhone, "+1 555 0102"},
                      {C::fieldOfficeFax, "+1 555 0103"},
                      {C::fieldHomeEMail, "ana@example.com"},
                      {C::fieldOfficeEMail, "ana@work.example"},
                      {C::fieldHomeWWW, "http://ana.example"},
                      {C::fieldHomeAddress, "1 Home Road\\r\\nHometown, 11111\\r\\nHomeland"},
                      {C::fieldOfficeAddress, "2 Work Street\\r\\nWorktown, WR 22222\\r\\nWorkland"},
                      {C::fieldNote, strNote.c_str()}});
        EXPECT_EQ(strValues, DescribeValues(contacts[0]));
    }
}

TEST(InterchangeCorpusTest, MalformedLinesAreNamedByTheirLineNumber) {
    CContactArray contacts;
    CImportReport report;
    CString strError;
    ReadVCards(SampleFile("vcard/v21_invalid_comment_line.vcf"), "in.vcf", contacts, report, strError);
    ASSERT_EQ(2u, report.warnings.size());
    EXPECT_STREQ("in.vcf:6: skipped a line that is not a vCard property", report.warnings[0].GetString());
    EXPECT_STREQ("in.vcf:9: skipped a line that is not a vCard property", report.warnings[1].GetString());
    EXPECT_EQ(2, report.nLinesSkipped);
}

// A file read in several parts at once gives what it gives read in one: the same contacts and
// the same warnings at the same lines, also where a cut falls after a card nested in another.
TEST(InterchangeCorpusTest, AFileReadInPartsGivesWhatItGivesInOne) {
    struct File {
        std::string strData;
        bool bVCard;
    };
    std::vector<File> files;
    for (const CorpusCase& c : g_cases) {
        files.push_back({SampleFile(c.pszFile), std::string(c.pszFile).find(".vcf") != std::string::npos});
    }
    const CContactArray awkward = AwkwardContacts(200, 11);
    files.push_back({BuildVCards(awkward, VCardVersion::v21), true});
    files.push_back({BuildVCards(awkward, VCardVersion::v30), true});
    files.push_back({BuildCsv(awkward, CsvColumns::outlook), false});
    std::string strRows = "Last Name,Home Phone\r\n";
    for (int n = 0; n < 9; ++n) {
        strRows += "Doe,\"1\x01\r\n2\"\r\n"; // a warning for each row, at its line
    }
    files.push_back({strRows, false});
    std::string
        strBreaks; // lines ended by a CR alone, by CR CR LF and blank ones, each card warned at its line
    for (int n = 0; n < 8; ++n) {
        strBreaks += "BEGIN:VCARD\r\nN:A\rnot a property\r\r\nNOTE:x\n\r\r\n\rno property\r\nEND:VCARD\r\n";
    }
    files.push_back({strBreaks, true});
    files.push_back({"BEGIN:VCARD\r\nN:Outer\r\nBEGIN:VCARD\r\nN:Inner\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"
                     "N:Second\r\nEND:VCARD\r\nnot a property\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:After\r\n"
                     "END:VCARD\r\nBEGIN:VCARD\r\nN:Open\r\n",
                     true});
    auto read = [](const File& file, int nParts, CContactArray& contacts, CImportReport& report) {
        CString strError;
        return file.bVCard ? ReadVCards(file.strData, "in", contacts, report, strError, nullptr, nParts)
                           : ReadCsv(file.strData, "in", contacts, report, strError, nullptr, nParts);
    };
    for (const File& file : files) {
        SCOPED_TRACE(file.strData.substr(0, 60));
        CContactArray whole;
        CImportReport wholeReport;
        ASSERT_TRUE(read(file, 1, whole, wholeReport));
        for (int nParts = 2; nParts <= 5; ++nParts) {
            CContactArray parted;
            CImportReport partedReport;
            ASSERT_TRUE(read(file, nParts, parted, partedReport));
            ASSERT_EQ(whole.GetSize(), parted.GetSize()) << nParts;
            for (int n = 0; n < whole.GetSize(); ++n) {
                for (int f = 0; f < CContact::kFieldCount; ++f) {
                    ASSERT_STREQ(whole[n].FieldAt(f).GetString(), parted[n].FieldAt(f).GetString()) << nParts;
                }
            }
            EXPECT_EQ(wholeReport.warnings, partedReport.warnings) << nParts;
            EXPECT_STREQ(wholeReport.Summary().GetString(), partedReport.Summary().GetString());
        }
    }
}

} // namespace
