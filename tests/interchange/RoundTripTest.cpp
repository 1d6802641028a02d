// Export then import gives back every field byte for byte, for every format.
#include "InterchangeTestSupport.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct RoundTripCase {
    const char* pszName;
    bool bVCard;
    VCardVersion version;
    CsvColumns columns;
};

const RoundTripCase g_cases[] = {
    {"vCard 2.1", true, VCardVersion::v21, CsvColumns::outlook},
    {"vCard 3.0", true, VCardVersion::v30, CsvColumns::outlook},
    {"vCard 4.0", true, VCardVersion::v40, CsvColumns::outlook},
    {"Outlook CSV", false, VCardVersion::v30, CsvColumns::outlook},
    {"Google CSV", false, VCardVersion::v30, CsvColumns::google},
    {"Thunderbird CSV", false, VCardVersion::v30, CsvColumns::thunderbird},
};

TEST(InterchangeRoundTripTest, EveryFieldComesBackByteForByte) {
    CContactArray contacts = AwkwardContacts(400, 7);
    for (const RoundTripCase& c : g_cases) {
        SCOPED_TRACE(c.pszName);
        std::string strFile = c.bVCard ? BuildVCards(contacts, c.version) : BuildCsv(contacts, c.columns);
        CContactArray back;
        CImportReport report;
        CString strError;
        bool bRead = c.bVCard ? ReadVCards(strFile, "file", back, report, strError)
                              : ReadCsv(strFile, "file", back, report, strError);
        ASSERT_TRUE(bRead) << strError.GetString();
        EXPECT_TRUE(report.warnings.empty()) << report.warnings[0].GetString();
        EXPECT_EQ(0, report.nMovedToNote);
        ASSERT_EQ(contacts.GetSize(), back.GetSize());
        for (int n = 0; n < contacts.GetSize(); ++n) {
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                ASSERT_EQ(contacts[n].FieldAt(f), back[n].FieldAt(f))
                    << "contact " << n << ", " << CContact::FieldTag(f);
            }
        }
    }
}

// Outlook's columns have no nickname and no office web page: they travel in the note, a line
// for each that has a value, and come back whole, also after a note that ends like those lines.
TEST(InterchangeRoundTripTest, OutlookCarriesInTheNoteOnlyTheFieldsThatHaveValues) {
    CContactArray contacts;
    CContact web;
    web.lastname = "Web";
    web.officewww = "example.org";
    contacts.Add(web);
    CContact nick = web;
    nick.officewww.Empty();
    nick.nickname = "Nick";
    nick.note = "Office web page: typed by the user";
    contacts.Add(nick);
    std::string strFile = BuildCsv(contacts, CsvColumns::outlook);
    EXPECT_NE(std::string::npos, strFile.find(",Office web page: example.org,")) << strFile;
    EXPECT_EQ(std::string::npos, strFile.find("Nickname: ,")) << strFile;
    CContactArray back;
    CImportReport report;
    CString strError;
    ASSERT_TRUE(ReadCsv(strFile, "file", back, report, strError));
    ASSERT_EQ(2, back.GetSize());
    for (int n = 0; n < 2; ++n) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            EXPECT_EQ(contacts[n].FieldAt(f), back[n].FieldAt(f)) << n << " " << CContact::FieldTag(f);
        }
    }
}

// Every physical line stays within 75 octets plus its line break, and a folded UTF-8 letter is
// never cut in two, so that strict readers accept the file.
TEST(InterchangeRoundTripTest, VCardLinesAreFoldedWithinSeventyFiveOctets) {
    CContactArray contacts = AwkwardContacts(50, 3);
    for (VCardVersion version : {VCardVersion::v21, VCardVersion::v30, VCardVersion::v40}) {
        std::string strFile = BuildVCards(contacts, version);
        size_t nStart = 0;
        for (size_t nEnd; (nEnd = strFile.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2) {
            ASSERT_LE(nEnd - nStart, 75u) << strFile.substr(nStart, nEnd - nStart);
            if (nEnd + 2 < strFile.size()) {
                ASSERT_NE(0x80, static_cast<unsigned char>(strFile[nEnd + 3]) & 0xC0);
            }
        }
        EXPECT_EQ(strFile.size(), nStart) << "the file ends with a line break";
    }
}

// The header rows are the ones each program writes, byte for byte, with the byte-order mark
// where the program needs one to read UTF-8.
TEST(InterchangeRoundTripTest, CsvHeaderIsTheRowEachProgramWrites) {
    CContactArray none;
    std::string strThunderbird = SampleFile("csv/thunderbird_basic.csv");
    EXPECT_EQ(strThunderbird.substr(0, strThunderbird.find('\n')) + "\r\n",
              BuildCsv(none, CsvColumns::thunderbird));
    EXPECT_EQ(
        0u, BuildCsv(none, CsvColumns::outlook).find("\xEF\xBB\xBFTitle,First Name,Middle Name,Last Name,"));
    EXPECT_EQ(0u, BuildCsv(none, CsvColumns::google).find("\xEF\xBB\xBFName,Given Name,Additional Name,"));
}

// A large list, written on several threads, is the texts of its contacts one after another: the
// texts of shorter lists, written on one, each after the one header.
TEST(InterchangeRoundTripTest, ALargeExportIsItsContactsInOrder) {
    const CContactArray contacts = AwkwardContacts(4000, 5);
    for (const RoundTripCase& c : g_cases) {
        SCOPED_TRACE(c.pszName);
        auto build = [&](const CContactArray& list) {
            return c.bVCard ? BuildVCards(list, c.version) : BuildCsv(list, c.columns);
        };
        const std::string strHeader = build(CContactArray());
        std::string strExpected = strHeader;
        for (int nFirst = 0; nFirst < contacts.GetSize(); nFirst += 1300) {
            CContactArray some;
            for (int i = nFirst; i < std::min(nFirst + 1300, contacts.GetSize()); ++i) {
                some.Add(contacts[i]);
            }
            strExpected += build(some).substr(strHeader.size());
        }
        EXPECT_TRUE(build(contacts) == strExpected);
    }
}

} // namespace
