// The rules of reading files that are not round trips: character sets, CSV quoting and column
// sets, vCard dialects, and duplicates.
#include "InterchangeTestSupport.h"
#include "data/ContactIdentity.h"
#include "data/PhotoFolder.h"
#include "framework/core/Base64.h"
#include "interchange/Charset.h"
#include "interchange/ContactFiles.h"
#include "interchange/ImportSelection.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardProperty.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <gtest/gtest.h>

namespace {

typedef CContact C;

CContactArray ReadCsvText(const std::string& strData, CImportReport& report) {
    CContactArray contacts;
    CString strError;
    EXPECT_TRUE(ReadCsv(strData, "in.csv", contacts, report, strError)) << strError.GetString();
    return contacts;
}

CContactArray ReadVCardText(const std::string& strData, CImportReport& report) {
    CContactArray contacts;
    CString strError;
    EXPECT_TRUE(ReadVCards(strData, "in.vcf", contacts, report, strError)) << strError.GetString();
    return contacts;
}

// Every set comes into UTF-8 with every character it holds; a byte it does not hold is marked.
TEST(CharsetTest, CharsetsComeIntoUtf8AndMarkWhatTheyDoNotHold) {
    struct Case {
        const char* pszCharset;
        std::string strIn;
        const char* pszExpected;
        bool bValid;
    } const cases[] = {
        {"UTF-8", "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", true},
        {"utf-8", "bad \xC3( \xED\xA0\x80", "bad \xEF\xBF\xBD( \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"ISO-8859-1", "Caf\xE9 \x80", "Caf\xC3\xA9 \xC2\x80", true}, // 0x80 is a control there, not the euro
        {"Shift_JIS", "\x83\x81\x83\x82 A", "\xE3\x83\xA1\xE3\x83\xA2 A", true},
        {"WINDOWS-1252", "\x80", "\xE2\x82\xAC", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszCharset);
        std::string strUtf8;
        EXPECT_EQ(c.bValid, CharsetToUtf8(c.pszCharset, c.strIn, strUtf8));
        EXPECT_EQ(c.pszExpected, strUtf8);
    }
    std::string strOut;
    EXPECT_FALSE(CharsetToUtf8("X-NO-SUCH-SET", "abc", strOut));
}

// Blank lines, before the header row too, are no rows.
TEST(CsvReaderTest, QuotedCellsHoldSeparatorsQuotesAndLineBreaks) {
    CImportReport report;
    CContactArray contacts = ReadCsvText("\xEF\xBB\xBF\r\n"
                                         "Notes,Last Name,First Name,Home Street\r\n\n"
                                         "\"a, \"\"b\"\"\r\nc\",Doe,Jane,\"1 Road\nTown\"\r\n\r\n",
                                         report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_STREQ("a, &quote;b&quote;\\r\\nc", contacts[0].note.GetString());
    EXPECT_STREQ("Doe", contacts[0].lastname.GetString());
    EXPECT_STREQ("1 Road\\r\\nTown", contacts[0].homeaddress.GetString());
    EXPECT_TRUE(report.warnings.empty());
}

TEST(CsvReaderTest, Utf16WithItsMarkIsRead) {
    CImportReport report;
    std::string strUtf16("\xFF\xFE", 2);
    for (char c : std::string("Last Name\r\nM\xFCller\r\n")) {
        strUtf16 += c;
        strUtf16 += '\0';
    }
    CContactArray contacts = ReadCsvText(strUtf16, report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_STREQ("M\xC3\xBCller", contacts[0].lastname.GetString());
}

TEST(CsvReaderTest, ColumnsAreKnownByNameAndTheRestGoesIntoTheNote) {
    CImportReport report;
    CContactArray contacts =
        ReadCsvText("Business City,Mobile Phone,Last Name,Home Phone 2,Business Street,Priority,Spouse,Hobby\r\n"
                    "Springfield,555 1,Doe,555 2,1 Main St,Normal,Kim,Chess\r\n",
                    report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_STREQ("555 1", contacts[0].mobile.GetString());
    EXPECT_STREQ("555 2", contacts[0].homephone.GetString()); // a second number, in the free field
    EXPECT_STREQ("1 Main St\\r\\nSpringfield", contacts[0].officeaddress.GetString());
    EXPECT_STREQ("Hobby: Chess", contacts[0].note.GetString());
    EXPECT_EQ("related spouse: Kim\naddress work: ||1 Main St|Springfield",
              DescribeValues(contacts[0]));
    EXPECT_EQ(1, report.nMovedToNote);
}

// A header that takes a few names of a program's and adds its own: the others are matched by
// their names, which a warning tells.
TEST(CsvReaderTest, ColumnsNoTableKnowsAreMatchedByNameAndNamedInAWarning) {
    CImportReport report;
    CContactArray contacts =
        ReadCsvText("Name,E-Mail,Telefon privat,Lieblingsfarbe\r\nAnna Meier,anna@example.org,030 1234,blau\r\n", report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_EQ("anna@example.org", contacts[0].homeemail.GetStdString());
    EXPECT_EQ("030 1234", contacts[0].homephone.GetStdString());
    EXPECT_EQ("Lieblingsfarbe: blau", contacts[0].note.GetStdString());
    ASSERT_EQ(1u, report.warnings.size());
    EXPECT_NE(std::string::npos,
              report.warnings[0].GetStdString().find("by their names: \"E-Mail\" (home e-mail);"))
        << report.warnings[0].GetStdString();
}

TEST(CsvReaderTest, GoogleGroupsAreReadByTheirTypes) {
    CImportReport report;
    CContactArray contacts =
        ReadCsvText("Name,Given Name,Family Name,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,"
                    "Phone 2 - Value,E-mail 1 - Type,E-mail 1 - Value\r\n"
                    "Ann Lee,Ann,Lee,* Mobile,111 ::: 222,Work Fax,333,Work,a@b.c\r\n",
                    report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_STREQ("111", contacts[0].mobile.GetString());
    EXPECT_STREQ("333", contacts[0].officefax.GetString());
    EXPECT_STREQ("a@b.c", contacts[0].officeemail.GetString());
    EXPECT_STREQ("", contacts[0].note.GetString());
    EXPECT_EQ("phone mobile: 222", DescribeValues(contacts[0]));
}

// A header row no table knows is read (see the corpus); a first line that is no header at all is
// refused, with a word on the encoding where the file looks like UTF-16 or UTF-32 or is not UTF-8.
TEST(CsvReaderTest, UnreadableFilesAreRefusedWithTheirLine) {
    auto utf32 = [](const std::string& str) {
        std::string strOut;
        for (char c : str) {
            strOut += std::string(1, c) + std::string(3, '\0');
        }
        return strOut;
    };
    struct Case {
        std::string strData;
        const char* pszError;
        const char* pszHint; // nullptr: the message says nothing of the encoding
    } const cases[] = {
        {"", "in.csv: the file is empty", nullptr},
        {"jane@doe.invalid,Doe\r\n", "in.csv:1: the first line is not a header row: it holds values",
         nullptr},
        {utf32("Last Name\r\nDoe\r\n"), "in.csv:1: the first line is not a header row", "UTF-16 or UTF-32"},
        {"j\xF6rg@example.com,M\xFCller\r\n", "in.csv:1: the first line is not a header row",
         "read as Windows-1252"},
    };
    for (const Case& c : cases) {
        CContactArray contacts;
        CImportReport report;
        CString strError;
        EXPECT_FALSE(ReadCsv(c.strData, "in.csv", contacts, report, strError));
        EXPECT_EQ(0, strError.Find(c.pszError)) << strError.GetString();
        EXPECT_EQ(c.pszHint != nullptr, strError.Find(c.pszHint ? c.pszHint : "save it as") >= 0)
            << strError.GetString();
    }
    CContactArray contacts;
    CImportReport report;
    CString strError;
    EXPECT_FALSE(ReadVCards("N:Doe\r\n", "in.vcf", contacts, report, strError));
    EXPECT_STREQ("in.vcf: no vCard found (no line BEGIN:VCARD)", strError.GetString());
}

// A quote that is never closed does not take the rest of the file into one value: it is text, and
// the lines after it are rows.
TEST(CsvReaderTest, AnUnclosedQuoteIsReportedAtItsLine) {
    CImportReport report;
    CContactArray contacts =
        ReadCsvText("Last Name,Notes\r\nDoe,ok\r\nRoe,\"never closed\r\nmore\r\n", report);
    ASSERT_EQ(3, contacts.GetSize());
    EXPECT_STREQ("&quote;never closed", contacts[1].note.GetString());
    EXPECT_STREQ("more", contacts[2].lastname.GetString());
    ASSERT_EQ(1u, report.warnings.size());
    EXPECT_EQ(0, report.warnings[0].Find("in.csv:3: a quoted value is not closed"));
}

TEST(VCardReaderTest, TypeSpellingsAndFoldingsAgree) {
    const char* const spellings[] = {
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\nTEL;TYPE=WORK,FAX:1\r\nTEL;TYPE=CELL:2\r\nEND:"
        "VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\nTEL;TYPE=work;TYPE=fax:1\r\nTEL;type=cell:2\r\nEND:"
        "VCARD\r\n",
        "BEGIN:VCARD\nVERSION:2.1\nN:Doe;Jo\nTEL;WORK;FAX:1\nitem1.TEL;CELL:2\nEND:VCARD\n",
        "\xEF\xBB\xBF"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Doe;Jo;;;\r\nTEL;TYPE=work,fax:1\r\nTEL;TYPE=cell:2\r\nEND:"
        "VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:D\r\n "
        "oe;J\r\n\to;;;\r\nTEL;TYPE=\"WORK,FAX\":1\r\nTEL;TYPE=CELL;PREF=1:2\r\nEND:VCARD",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:=44oe;=\r\nJo\r\nTEL;FAX;WORK:"
        "1\r\n\r\nTEL;CELL:2\r\nEND:VCARD\r\n",
    };
    for (const char* pszCard : spellings) {
        SCOPED_TRACE(pszCard);
        CImportReport report;
        CContactArray contacts = ReadVCardText(pszCard, report);
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_STREQ("Doe", contacts[0].lastname.GetString());
        EXPECT_STREQ("Jo", contacts[0].firstname.GetString());
        EXPECT_STREQ("1", contacts[0].officefax.GetString());
        EXPECT_STREQ("2", contacts[0].mobile.GetString());
        EXPECT_STREQ("", contacts[0].note.GetString());
    }
}

TEST(VCardReaderTest, EveryKnownPropertyNameIsToldAndNoOther) {
    const std::pair<const char*, VCardName> kNames[] = {
        {"BEGIN", VCardName::begin}, {"END", VCardName::end},     {"VERSION", VCardName::version},
        {"N", VCardName::n},         {"FN", VCardName::fn},       {"NICKNAME", VCardName::nickname},
        {"ORG", VCardName::org},     {"TITLE", VCardName::title}, {"NOTE", VCardName::note},
        {"TEL", VCardName::tel},     {"EMAIL", VCardName::email}, {"URL", VCardName::url},
        {"ADR", VCardName::adr},     {"LABEL", VCardName::label}, {"PHOTO", VCardName::photo},
        {"LOGO", VCardName::logo},   {"SOUND", VCardName::sound}, {"KEY", VCardName::key},
        {"", VCardName::other},      {"NOTES", VCardName::other}, {"E", VCardName::other},
        {"X-TEL", VCardName::other}, {"KEYS", VCardName::other},  {"TZ", VCardName::other},
    };
    for (const auto& entry : kNames) {
        EXPECT_EQ(entry.second, VCardNameOf(entry.first)) << entry.first;
    }
}

// The most specific type decides the field; kinds without a field, labelled values and values
// whose field is taken are further values, with their types; other properties are values of
// their kinds, or kept as their lines.
TEST(VCardReaderTest, TypesChooseTheField) {
    struct Case {
        const char* pszLines;
        int nField;
        const char* pszStored;
        const char* pszValues = ""; // as DescribeValues gives them
    } const cases[] = {
        {"TEL;TYPE=WORK,CELL:1", C::fieldMobile, "1"},
        {"TEL;TYPE=HOME,WORK,FAX:1", C::fieldOfficeFax, "1"},
        {"TEL;TYPE=HOME,FAX:1", C::fieldHomePhone, "", "phone home,fax: 1"},
        {"TEL;TYPE=PAGER,CELL:1", C::fieldMobile, "", "phone pager,mobile: 1"},
        {"TEL;TYPE=HOME,WORK:1", C::fieldOfficePhone, "1"},
        {"TEL;TYPE=VOICE:tel:1\r\nTEL:2\r\nTEL;TYPE=VIDEO:3", C::fieldHomePhone, "1", "phone: 2\nphone video: 3"},
        {"EMAIL;TYPE=INTERNET,WORK:a@b.c", C::fieldOfficeEMail, "a@b.c"},
        {"EMAIL;TYPE=CELL:a@b.c\r\nEMAIL:a@b.c\r\nEMAIL:d@e.f", C::fieldHomeEMail, "a@b.c", "email: d@e.f"},
        {"URL;TYPE=OTHER:x", C::fieldHomeWWW, "x"},
        // An address's field holds its lines, and its parts are kept beside it.
        {"ADR;TYPE=WORK:;;1 Road;Town;;9;Land", C::fieldOfficeAddress, "1 Road\\r\\nTown, 9\\r\\nLand",
         "address work: ||1 Road|Town||9|Land"},
        {"ADR:;;Lindenallee 138\\nHinterhaus;K\\;ln Altstadt;;50667;Land", C::fieldHomeAddress,
         "Lindenallee 138\\r\\nHinterhaus\\r\\nK;ln Altstadt, 50667\\r\\nLand",
         "address: ||Lindenallee 138\\r\\nHinterhaus|K;ln Altstadt||50667|Land"},
        {"ADR;TYPE=HOME:;;1 Road;;;;\r\nADR;TYPE=HOME:;;2 Road;;;;", C::fieldHomeAddress, "1 Road",
         "address home: ||2 Road"},
        {"LABEL;TYPE=CELL,WORK:1 Road", C::fieldOfficeAddress, "1 Road"},
        // A label in the value's group is the value's; one that labels nothing stays as it came.
        {"item1.TEL:1\r\nitem1.X-ABLabel:Boat\r\nitem2.X-ABLabel:Nothing", C::fieldHomePhone, "",
         "phone \"Boat\": 1\ncardproperty: item2.X-ABLabel:Nothing"},
        {"CATEGORIES:Chess\\, club,Family\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-02-29\r\nBDAY:soon",
         C::fieldNote, "", "group: Chess, club\ngroup: Family\ndate birthday: --02-29\ncardproperty: BDAY:soon"},
        {"IMPP;X-SERVICE-TYPE=Jabber:xmpp:jo@example.org\r\nX-AIM:jo1\r\nRELATED;TYPE=spouse:Al\r\n"
         "X-ANNIVERSARY:20010615\r\nPRODID:x\r\nREV:1",
         C::fieldNote, "",
         "messaging Jabber: xmpp:jo@example.org\nmessaging aim: jo1\nrelated spouse: Al\ndate anniversary: 2001-06-15"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszLines);
        CImportReport report;
        CContactArray contacts = ReadVCardText(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\n") +
                                                   c.pszLines + "\r\nEND:VCARD\r\n",
                                               report);
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_STREQ(c.pszStored, contacts[0].FieldAt(c.nField).GetString());
        EXPECT_EQ(c.pszValues, DescribeValues(contacts[0]));
    }
}

// The field a value would fill where it is empty is the field a card's property of its types
// fills: the reader and the rule that moves values into emptied fields agree.
TEST(VCardReaderTest, AValueFillsTheFieldItsPropertyWouldFill) {
    for (const char* pszLine :
         {"TEL:1", "TEL;TYPE=VOICE:1", "TEL;TYPE=HOME:1", "TEL;TYPE=CELL:1", "TEL;TYPE=WORK:1", "TEL;TYPE=FAX:1",
          "TEL;TYPE=HOME,FAX:1", "TEL;TYPE=HOME,WORK,FAX:1", "TEL;TYPE=PAGER:1", "TEL;TYPE=PAGER,CELL:1",
          "TEL;TYPE=CELL,WORK:1", "TEL;TYPE=VIDEO:1", "TEL;TYPE=ISDN,HOME:1", "EMAIL:a@b", "EMAIL;TYPE=WORK:a@b",
          "EMAIL;TYPE=X-OTHER:a@b", "URL;TYPE=WORK:w", "URL:w", "ADR;TYPE=WORK:;;1 Road;;;;", "ADR:;;1 Road;;;;",
          "item1.TEL;TYPE=CELL:1\r\nitem1.X-ABLabel:Boat"}) {
        SCOPED_TRACE(pszLine);
        CImportReport report;
        CContactArray contacts = ReadVCardText(
            std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\n") + pszLine + "\r\nEND:VCARD\r\n", report);
        ASSERT_EQ(1, contacts.GetSize());
        // The same property once more: its field taken, it is a value.
        std::string strTwice = std::string(pszLine) + "\r\n" + pszLine;
        for (char& c : strTwice) {
            c = c == '1' ? '2' : c == 'a' ? 'c' : c == 'w' ? 'v' : c;
        }
        CContactArray twice = ReadVCardText(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\n") +
                                                pszLine + "\r\n" + strTwice + "\r\nEND:VCARD\r\n",
                                            report);
        ASSERT_EQ(1, twice.GetSize());
        int nFilled = -1;
        for (int f = 0; f < C::kFieldCount; ++f) {
            nFilled = f != C::fieldLastName && f != C::fieldFirstName && !contacts[0].FieldAt(f).IsEmpty() ? f : nFilled;
        }
        ASSERT_FALSE(twice[0].values.empty());
        EXPECT_EQ(nFilled, FieldOfValue(twice[0].values.back()));
    }
}

TEST(VCardReaderTest, APreferredValueTakesTheFieldAndTheOtherBecomesAFurtherValue) {
    CImportReport report;
    CContactArray contacts = ReadVCardText("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jo;;;\r\nTEL;TYPE=HOME:"
                                           "1\r\nTEL;TYPE=HOME,PREF:2\r\nEND:VCARD\r\n",
                                           report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_STREQ("2", contacts[0].homephone.GetString());
    EXPECT_STREQ("", contacts[0].note.GetString());
    EXPECT_EQ("phone home: 1", DescribeValues(contacts[0]));
}

// A card's property takes nothing from the one that stood at its place in the card before,
// and a card nested in another leaves the outer card's properties as they were.
// A card's picture in each version's spelling becomes the contact's photo, bytes unchanged; a
// picture behind an address is kept as its line, and one that is no base64 is skipped and counted.
TEST(VCardReaderTest, APictureInAnySpellingIsThePhoto) {
    const std::string strPicture("\x89PNG\r\n\x1A\n\0\x01 a picture", 19);
    const std::string strBase64 = EncodeBase64(strPicture);
    const struct {
        std::string strCard;
        const char* pszValues;
        int nSkipped;
    } cases[] = {
        {"VERSION:2.1\r\nPHOTO;ENCODING=BASE64;TYPE=PNG:\r\n " + strBase64.substr(0, 12) + "\r\n " +
             strBase64.substr(12) + "\r\n\r\n",
         "photo: image/png, 19 bytes", 0},
        {"VERSION:3.0\r\nPHOTO;TYPE=PNG;ENCODING=b:" + strBase64 + "\r\n", "photo: image/png, 19 bytes", 0},
        {"VERSION:4.0\r\nPHOTO:data:image/png;base64," + strBase64 + "\r\n", "photo: image/png, 19 bytes", 0},
        {"VERSION:4.0\r\nPHOTO:https://example.org/jo.png\r\n", "cardproperty: PHOTO:https://example.org/jo.png", 0},
        {"VERSION:3.0\r\nPHOTO;ENCODING=b:not*base64\r\n", "", 1},
        {"VERSION:3.0\r\nLOGO;ENCODING=b:" + strBase64 + "\r\n", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strCard);
        CImportReport report;
        CContactArray contacts = ReadVCardText("BEGIN:VCARD\r\n" + c.strCard + "N:Jo;;;;\r\nEND:VCARD\r\n", report);
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_EQ(c.pszValues, DescribeValues(contacts[0]));
        EXPECT_EQ(c.nSkipped, report.nPhotosSkipped);
        std::string strBytes;
        if (!contacts[0].values.empty() && InlinePhotoBytes(contacts[0].values[0].text, strBytes)) {
            EXPECT_EQ(strPicture, strBytes);
        }
    }
}

TEST(VCardReaderTest, EachCardIsReadOnItsOwn) {
    struct Case {
        const char* pszFirst;  // a line of the first card
        const char* pszSecond; // the line at the same place in the second card
        int nField;
        const char* pszStored; // the second contact's field
    } const cases[] = {
        {"TEL;TYPE=WORK,FAX;PREF:1", "TEL:2", C::fieldHomePhone, "2"},
        {"TEL;CELL:1", "TEL:2", C::fieldHomePhone, "2"},
        {"ORG;CHARSET=ISO-8859-1:D\366e", "ORG:D\303\266e", C::fieldCompany, "D\303\266e"},
        {"NOTE;ENCODING=QUOTED-PRINTABLE:a=3Db", "NOTE:a=3Db", C::fieldNote, "a=3Db"},
        {"PHOTO;ENCODING=b:AAAA", "NOTE:x", C::fieldNote, "x"},
        {"URL;VALUE=BINARY:x", "URL:y", C::fieldHomeWWW, "y"},
        {"BEGIN:VCARD\r\nN:Inner\r\nEND:VCARD", "BEGIN:VCARD\r\nN:Inner\r\nEND:VCARD\r\nTEL:2",
         C::fieldHomePhone, "2"},
        // Another kind of object is no card: it opens none.
        {"BEGIN:VCARDX", "TEL:2", C::fieldHomePhone, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszSecond);
        CImportReport report;
        CContactArray contacts =
            ReadVCardText(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:One\r\n") + c.pszFirst +
                              "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Two\r\n" + c.pszSecond +
                              "\r\nEND:VCARD\r\n",
                          report);
        ASSERT_LE(2, contacts.GetSize());
        const CContact& second = contacts[contacts.GetSize() - 1];
        EXPECT_STREQ("Two", second.lastname.GetString());
        EXPECT_STREQ(c.pszStored, second.FieldAt(c.nField).GetString());
    }
}

// CR LF, LF, CR alone and CR CR LF each end a line, also mixed in one file: the lines and their
// numbers are the same.
TEST(VCardReaderTest, EveryKindOfLineBreakEndsALine) {
    const char* const breaks[][3] = {
        {"\r\n", "\r\n", "\r\n"}, {"\n", "\n", "\n"},   {"\r", "\r", "\r"},
        {"\r\r\n", "\r", "\n"},   {"\r", "\r", "\r\n"}, {"\n", "\r", "\r\r\n"},
    };
    for (const auto& br : breaks) {
        std::string strData = std::string("BEGIN:VCARD") + br[0] + "N:Doe;Jo" + br[1] + "oops" + br[2] +
                              "TEL:1" + br[0] + "END:VCARD" + br[1] + "stray" + br[2] + "BEGIN:VCARD" +
                              br[0] + "N:Roe" + br[1] + "END:VCARD";
        SCOPED_TRACE(strData);
        CImportReport report;
        CContactArray contacts = ReadVCardText(strData, report);
        ASSERT_EQ(2, contacts.GetSize());
        EXPECT_STREQ("Jo", contacts[0].firstname.GetString());
        EXPECT_STREQ("1", contacts[0].homephone.GetString());
        EXPECT_STREQ("Roe", contacts[1].lastname.GetString());
        ASSERT_EQ(2u, report.warnings.size());
        EXPECT_STREQ("in.vcf:3: skipped a line that is not a vCard property", report.warnings[0].GetString());
        EXPECT_STREQ("in.vcf:6: skipped a line that is not a vCard property", report.warnings[1].GetString());
    }
    // A blank line is a line, whatever ends it.
    for (std::string strBreak : {"\r\n", "\n", "\r"}) {
        CImportReport report;
        ReadVCardText("BEGIN:VCARD" + strBreak + strBreak + "oops" + strBreak + "N:Doe" + strBreak +
                          "END:VCARD",
                      report);
        ASSERT_EQ(1u, report.warnings.size());
        EXPECT_STREQ("in.vcf:3: skipped a line that is not a vCard property", report.warnings[0].GetString());
    }
}

// The address book cannot hold control characters other than tab and line breaks: an import
// leaves each out and reports it, naming contact and field; every other character stays.
TEST(ContactBuilderTest, ControlCharactersAreLeftOutAndReported) {
    using namespace std::string_literals;
    struct Case {
        std::string strData;
        int nField;
        const char* pszStored;
        int nReplaced;
        const char* pszLastWarning;
    } const cases[] = {
        {"BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;Jo\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=00b=1Fc=09d=0D=0Ae\r\n"
         "END:VCARD\r\n",
         C::fieldNote, "abc\td\\r\\ne", 2,
         "in.vcf:1: contact \"Doe, Jo\": 2 control characters in the note are left out"},
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nN:D\x01oe;Jo\r\nEND:VCARD\r\n", C::fieldLastName, "Doe", 1,
         "in.vcf:1: contact \"Doe, Jo\": 1 control character in the last name is left out"},
        // Past the first eight bytes, which are looked at together.
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abcdefghij\x1Fklmnopq;Jo\r\nEND:VCARD\r\n", C::fieldLastName,
         "Abcdefghijklmnopq", 1,
         "in.vcf:1: contact \"Abcdefghijklmnopq, Jo\": 1 control character in the last name is left out"},
        {"Last Name,Home Phone\r\nDoe,\"1\x7F\0\x1B\x0B\xE6\x97\xA5\"\r\n"s, C::fieldHomePhone,
         "1\x7F\xE6\x97\xA5", 3,
         "in.csv:2: contact \"Doe\": 3 control characters in the home phone are left out"},
        // Past a letter beyond ASCII, and past text looked at eight bytes at a time.
        {"Last Name,Notes\r\nDoe,\"\xC3\xA9"
         "abcdefghijklmnop\x01qrstuvwxyz0123456\nline two\x02\"\r\n",
         C::fieldNote,
         "\xC3\xA9"
         "abcdefghijklmnopqrstuvwxyz0123456\\r\\nline two",
         2, "in.csv:2: contact \"Doe\": 2 control characters in the note are left out"},
        // A row of nothing but control characters holds no contact.
        {"Last Name,First Name\r\nDoe,Jo\r\n\x01,\x02\x03\r\n", C::fieldLastName, "Doe", 0,
         "in.csv:3: a contact without any text was left out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszLastWarning);
        CImportReport report;
        bool bVCard = c.strData.compare(0, 5, "BEGIN") == 0;
        CContactArray contacts = bVCard ? ReadVCardText(c.strData, report) : ReadCsvText(c.strData, report);
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_STREQ(c.pszStored, contacts[0].FieldAt(c.nField).GetString());
        EXPECT_EQ(c.nReplaced, report.nReplaced);
        ASSERT_FALSE(report.warnings.empty());
        EXPECT_STREQ(c.pszLastWarning, report.warnings.back().GetString());
    }
}

// A display name that only says the name in one of its usual orders adds nothing to the note,
// and a card written for the name says it in that order: Chinese, Japanese and Korean names
// family name first, without a blank.
TEST(ContactBuilderTest, DisplayNamesInTheOrderOfTheirScript) {
    const struct {
        const char *pszLast, *pszFirst, *pszWritten, *pszOtherOrder;
    } cases[] = {
        {"Meier", "Anna", "Anna Meier", "Meier, Anna"},
        {"\xE5\xB1\xB1\xE7\x94\xB0", "\xE5\xA4\xAA\xE9\x83\x8E",
         "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E",
         "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E"},
        {"\xED\x99\x8D", "\xEA\xB8\xB8\xEB\x8F\x99", "\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99",
         "\xED\x99\x8D \xEA\xB8\xB8\xEB\x8F\x99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWritten);
        for (const char* pszDisplay : {c.pszWritten, c.pszOtherOrder}) {
            CImportReport report;
            CContactArray contacts =
                ReadVCardText(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nN:") + c.pszLast + ";" + c.pszFirst +
                                  ";;;\r\nFN:" + pszDisplay + "\r\nEND:VCARD\r\n",
                              report);
            ASSERT_EQ(1, contacts.GetSize());
            EXPECT_STREQ("", contacts[0].note.GetString()) << pszDisplay;
        }
        CContact contact;
        contact.lastname = c.pszLast;
        contact.firstname = c.pszFirst;
        CContactArray one;
        one.Add(contact);
        EXPECT_NE(std::string::npos,
                  BuildVCards(one, VCardVersion::v30).find(std::string("\r\nFN:") + c.pszWritten + "\r\n"));
    }
    // Given first and last with a middle name between them, such a name says something of its
    // own: it is kept.
    CImportReport report;
    CContactArray contacts =
        ReadVCardText("BEGIN:VCARD\r\nVERSION:3.0\r\nN:\xE5\xB1\xB1;\xE5\xA4\xAA;\xE4\xB8\x80;;\r\n"
                      "FN:\xE5\xA4\xAA \xE5\xB1\xB1\r\nEND:VCARD\r\n",
                      report);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_NE(-1, contacts[0].note.Find("Display name: \xE5\xA4\xAA \xE5\xB1\xB1"));
}

// The import skips what the book holds by the rule duplicates are found by (swapped names,
// accents, a number written another way), and a contact twice in the file once.
TEST(ContactMergeTest, SameNamesWithOneSharedNumberOrAddressAreDuplicates) {
    auto make = [](const char* pszLast, const char* pszFirst, int nField, const char* pszValue) {
        CContact contact;
        contact.lastname = pszLast;
        contact.firstname = pszFirst;
        contact.FieldAt(nField) = pszValue;
        return contact;
    };
    CContact existing = make("Doe", "Jo", C::fieldMobile, "+1 (555) 0100");
    existing.officeemail = "Jo@Example.com";
    struct Case {
        CContact candidate;
        bool bSame;
    } const cases[] = {
        {make("Doe", "Jo", C::fieldHomePhone, "+1 555 0100"), true},
        {make("Doe", "Jo", C::fieldHomeEMail, "jo@example.com"), true},
        {make("Jo", "D\xC3\xB6" "e", C::fieldOfficePhone, "001 555-0100"), true},
        {make("Doe", "Jo", C::fieldHomePhone, "555 0199"), false},
        {make("Doe", "Jon", C::fieldMobile, "+1 (555) 0100"), false},
        {make("Doe", "Jo", C::fieldNote, "+1 (555) 0100"), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.bSame, IsSamePerson(existing, c.candidate))
            << c.candidate.FieldAt(C::fieldHomePhone).GetString();
    }
    CContactArray book;
    book.Add(existing);
    CContactArray imported;
    imported.Add(cases[0].candidate);
    imported.Add(cases[2].candidate);
    imported.Add(cases[3].candidate);
    imported.Add(cases[3].candidate); // twice in the file: the second is the first's duplicate
    CImportReport report;
    auto merge = [&](bool bKeepDuplicates) {
        CContactArray added = SelectNewContacts(book, imported, bKeepDuplicates, "in.vcf", report).added;
        for (int i = 0; i < added.GetSize(); ++i) {
            book.Add(added[i]);
        }
    };
    merge(false);
    EXPECT_EQ(2, book.GetSize());
    EXPECT_EQ(1, report.nAdded);
    EXPECT_EQ(3, report.nDuplicates);
    merge(true);
    EXPECT_EQ(6, book.GetSize());
}

// What an import reads a file as: its name decides where it says something, else its content.
TEST(ContactFilesTest, TheNameDecidesTheFormatElseTheContent) {
    const std::string strUtf16Card("B\0E\0G\0I\0N\0:\0V\0C\0A\0R\0D\0", 22);
    const struct {
        const char* pszName;
        std::string strData;
        ContactFileFormat format;
    } cases[] = {
        {"Friends.VCF", "First Name,Last Name", ContactFileFormat::vcard},
        {"list.csv", "BEGIN:VCARD", ContactFileFormat::csv},
        {"the clipboard", "\xEF\xBB\xBF\r\n  begin:vcard\r\n", ContactFileFormat::vcard},
        {"phone export", strUtf16Card, ContactFileFormat::vcard},
        {"notes.txt", "First Name,Last Name\r\nAnn,Adams", ContactFileFormat::csv},
        {"", "", ContactFileFormat::csv},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.format, GuessFormat(c.pszName, c.strData)) << c.pszName;
    }
}

} // namespace
