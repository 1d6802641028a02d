// Export then import gives back every field byte for byte, for every format.
#include "InterchangeTestSupport.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardProperty.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace {

// A contact with the values whose every field holds a text, which a value of its kind would
// otherwise fill on the way back.
CContact WithEveryFieldFilled(const std::vector<CContactValue>& values) {
    CContact contact = AwkwardContacts(1, 11)[0];
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (contact.FieldAt(f).IsEmpty()) {
            contact.FieldAt(f) = "x";
        }
    }
    contact.values = values;
    return contact;
}

// The values in one order, for files that write them in another.
std::vector<CContactValue> Sorted(std::vector<CContactValue> list) {
    std::sort(list.begin(), list.end(), [](const CContactValue& a, const CContactValue& b) {
        return std::make_tuple(a.kind, a.type.GetStdString(), a.label.GetStdString(), a.text.GetStdString()) <
               std::make_tuple(b.kind, b.type.GetStdString(), b.label.GetStdString(), b.text.GetStdString());
    });
    return list;
}

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

// Every kind of further value, with types, labels and awkward text, comes back from a vCard of
// every version exactly as it went (in another order: the card groups them by property).
TEST(InterchangeRoundTripTest, EveryFurtherValueComesBackFromEveryVCardVersion) {
    typedef EValueKind K;
    const std::vector<CContactValue> values = {
        {K::phone, "mobile", "", "+49 170 1"},
        {K::phone, "work,fax", "", "2"},
        {K::phone, "pager", "Boat; &quote;Kiel&quote;", "3"},
        {K::email, "work", "", "jo@example.org"},
        {K::email, "", "Old, unused", "jo@old.example"},
        {K::web, "home", "", "https://example.org/a,b;c"},
        {K::address, "work", "", "Box 1\x1F\x1F" "2 Main St\\r\\nBack door\x1FTown\x1FState\x1F" "12345\x1FLand"},
        {K::messaging, "skype", "", "jo.doe"},
        {K::messaging, "Signal", "", "+49 170 1"},
        {K::messaging, "", "", "xmpp:jo@example.org"},
        {K::namePrefix, "", "", "Dr."},
        {K::middleName, "", "", "Q."},
        {K::nameSuffix, "", "", "Jr."},
        {K::department, "", "", "Sales; North"},
        {K::department, "", "", "Team 2"},
        {K::date, "birthday", "", "1980-02-29"},
        {K::date, "anniversary", "", "--06-15"},
        {K::date, "", "First met", "2001-01-01"},
        {K::related, "spouse", "", "Al Doe"},
        {K::related, "friend", "", "Bo"},
        {K::custom, "", "Shoe size", "44"},
        {K::group, "", "", "Chess, club"},
        {K::group, "", "", "Family"},
        {K::cardProperty, "", "", "X-PHONETIC-LAST-NAME;X-A=1:Do\\,e"},
        {K::cardProperty, "", "", "item7.X-ABADR:de"},
    };
    CContactArray contacts;
    CContact contact = WithEveryFieldFilled(values);
    contacts.Add(contact);
    for (VCardVersion version : {VCardVersion::v21, VCardVersion::v30, VCardVersion::v40}) {
        SCOPED_TRACE(static_cast<int>(version));
        std::string strFile = BuildVCards(contacts, version);
        CContactArray back;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadVCards(strFile, "file", back, report, strError)) << strError.GetString();
        ASSERT_EQ(1, back.GetSize());
        EXPECT_TRUE(report.warnings.empty());
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            EXPECT_EQ(contact.FieldAt(f), back[0].FieldAt(f)) << CContact::FieldTag(f);
        }
        const std::vector<CContactValue> expected = Sorted(values);
        const std::vector<CContactValue> got = Sorted(back[0].values);
        EXPECT_EQ(expected.size(), got.size()) << strFile;
        for (size_t i = 0; i < std::min(expected.size(), got.size()); ++i) {
            EXPECT_TRUE(expected[i] == got[i]) << ValueElementName(expected[i].kind) << " "
                                               << expected[i].text.GetString() << " came back as "
                                               << got[i].type.GetString() << "|" << got[i].label.GetString()
                                               << "|" << got[i].text.GetString() << "\n" << strFile;
        }
    }
}

// A card's properties as a multiset a reader compares: name, types (without the defaults and
// PREF), label and value, unescaped, without the lines that frame the card or date it.
std::multiset<std::string> CardProperties(const std::string& strFile) {
    std::vector<CVCardProperty> props;
    CVCardLineReader reader(strFile);
    CVCardLine line;
    bool bVersion21 = strFile.find("VERSION:2.1") != std::string::npos;
    while (reader.Next(bVersion21, line)) {
        props.emplace_back();
        if (!ParseProperty(line.strText, line.nLine, props.back())) {
            props.pop_back();
        }
    }
    const VCardVersion version = bVersion21 ? VCardVersion::v21 : VCardVersion::v30;
    std::multiset<std::string> out;
    for (const CVCardProperty& prop : props) {
        static const std::set<std::string> s_frame = {"BEGIN", "END", "VERSION", "PRODID", "REV", "X-ABLABEL"};
        if (s_frame.count(prop.strName)) {
            continue;
        }
        std::set<std::string> types;
        for (std::string_view type : prop.Types()) {
            if (type != "VOICE" && type != "INTERNET" && type != "PREF") {
                types.insert(std::string(type));
            }
        }
        std::string strLabel;
        for (const CVCardProperty& other : props) {
            if (other.strName == "X-ABLABEL" && !prop.Group().empty() && other.Group() == prop.Group()) {
                strLabel = other.strRaw;
            }
        }
        bool bKnown = true;
        std::string strValue;
        for (const std::string& strPart : SplitValue(DecodeValue(prop, bKnown), true, version)) {
            strValue += strPart + ";";
        }
        // 4.0 writes a number as a tel: link or as text, the same number.
        if (prop.strName == "TEL" && strValue.compare(0, 4, "tel:") == 0) {
            strValue.erase(0, 4);
        }
        std::string strKey = prop.strName + " [";
        for (const std::string& strType : types) {
            strKey += strType + " ";
        }
        out.insert(strKey + "] \"" + strLabel + "\" " + strValue);
    }
    return out;
}

// A card exported by a phone (3.0) and by a server (4.0), imported and exported again in its
// version, holds the same properties with the same values, types and labels.
TEST(InterchangeRoundTripTest, RealExportsComeBackWithTheSameProperties) {
    for (const char* pszFile : {"vcard/v30_phone_export.vcf", "vcard/v40_server_export.vcf"}) {
        SCOPED_TRACE(pszFile);
        const std::string strData = SampleFile(pszFile);
        CContactArray contacts;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadVCards(strData, pszFile, contacts, report, strError)) << strError.GetString();
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_EQ(0, report.nMovedToNote);
        const VCardVersion version =
            strData.find("VERSION:4.0") != std::string::npos ? VCardVersion::v40 : VCardVersion::v30;
        const std::string strBack = BuildVCards(contacts, version);
        const std::multiset<std::string> before = CardProperties(strData);
        const std::multiset<std::string> after = CardProperties(strBack);
        for (const std::string& strProperty : before) {
            EXPECT_EQ(before.count(strProperty), after.count(strProperty)) << strProperty << "\n" << strBack;
        }
        EXPECT_EQ(before.size(), after.size()) << strBack;
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

// The cells of a CSV file's header row and first row, by column name.
std::map<std::string, std::string> FirstRow(const std::string& strFile) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool bQuoted = false;
    for (size_t i = strFile.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < strFile.size() && rows.size() < 3; ++i) {
        const char c = strFile[i];
        if (bQuoted && c == '"' && i + 1 < strFile.size() && strFile[i + 1] == '"') {
            rows.back().back() += c;
            ++i;
        } else if (c == '"') {
            bQuoted = !bQuoted;
        } else if (!bQuoted && c == ',') {
            rows.back().emplace_back();
        } else if (!bQuoted && c == '\r') {
            rows.emplace_back(1);
            ++i;
        } else {
            rows.back().back() += c;
        }
    }
    std::map<std::string, std::string> cells;
    for (size_t i = 0; i < rows[0].size() && i < rows[1].size(); ++i) {
        cells[rows[0][i]] = rows[1][i];
    }
    return cells;
}

// Every kind of further value comes back from each CSV set as it went: in the set's own columns
// where it has them, else from the note's block, which the note loses again; a note that ends
// like the block keeps its lines. A card's kept line travels in the block too; a photo is a file
// of its own.
TEST(InterchangeRoundTripTest, EveryFurtherValueComesBackFromEveryCsvSet) {
    typedef EValueKind K;
    const std::vector<CContactValue> values = {
        {K::phone, "mobile", "", "+49 170 1"},
        {K::phone, "work,fax", "", "2"},
        {K::phone, "pager", "Boat; &quote;Kiel&quote;", "3"},
        {K::phone, "pager", "", "3b"},
        {K::phone, "home", "", "555 2"},
        {K::phone, "home,fax", "", "4"},
        {K::phone, "video", "", "5 ::: 6"},
        {K::email, "", "", "jo3@example.org"},
        {K::email, "work", "", "jo@example.org"},
        {K::email, "", "Old, unused", "jo@old.example"},
        {K::web, "home", "", "https://example.org/a,b;c"},
        {K::address, "work", "", "Box 1\x1F" "Floor 2\x1F" "2 Main St\\r\\nBack door\x1FTown\x1FState\x1F" "12345\x1FLand"},
        {K::address, "other", "", "\x1F\x1F" "9 Side St\x1FSidetown"},
        {K::messaging, "skype", "", "jo.doe"},
        {K::messaging, "aim", "", "jo.aim"},
        {K::messaging, "Signal", "Phone", "+49 170 1"},
        {K::namePrefix, "", "", "Dr."},
        {K::middleName, "", "", "Q."},
        {K::nameSuffix, "", "", "Jr."},
        {K::department, "", "", "Sales; North"},
        {K::department, "", "", "Team 2"},
        {K::date, "birthday", "", "1980-02-29"},
        {K::date, "anniversary", "", "--06-15"},
        {K::date, "", "First met", "2001-01-01"},
        {K::related, "spouse", "", "Al Doe"},
        {K::related, "manager", "", "Mo"},
        {K::related, "colleague", "", "Bo"},
        {K::related, "child", "", "Tom, Tim"},
        {K::related, "", "Referred By", "Ray"},
        {K::phone, "callback", "", "+1 555 0116"},
        {K::phone, "", "Primary", "+1 555 0117"},
        {K::custom, "", "Shoe size", "44"},
        {K::custom, "", "User 1", "u1"},
        {K::custom, "", "Custom 2", "c2"},
        {K::custom, "", "Path", "C:\\temp\\r\\nline &quote;2&quote;"},
        {K::group, "", "", "Chess, club"},
        {K::group, "", "", "Family"},
        {K::group, "", "", "A;B"},
        {K::cardProperty, "", "", "X-PHONETIC-LAST-NAME:Doe"},
        {K::photo, "", "", "jo.jpg"},
    };
    CContactArray contacts;
    CContact contact = WithEveryFieldFilled(values);
    contacts.Add(contact);
    CContact noteLikeBlock = contact; // a note whose last line reads like a value's
    noteLikeBlock.values.clear();
    noteLikeBlock.note = "Group: mine";
    contacts.Add(noteLikeBlock);
    noteLikeBlock.values = {{K::group, "", "", "A;B"}};
    noteLikeBlock.note = "Further values:\\r\\nDate: 2001";
    contacts.Add(noteLikeBlock);
    std::vector<CContactValue> expected;
    for (const CContactValue& value : values) {
        if (value.kind != K::photo) {
            expected.push_back(value);
        }
    }
    // Where each set's columns hold a value: column, cell.
    const std::map<CsvColumns, std::vector<std::pair<const char*, const char*>>> columns = {
        {CsvColumns::outlook,
         {{"Title", "Dr."}, {"Middle Name", "Q."}, {"Suffix", "Jr."}, {"Department", "Sales; North"},
          {"Home Phone 2", "555 2"}, {"Pager", "3b"}, {"Home Fax", "4"}, {"E-mail 3 Address", "jo3@example.org"},
          {"Birthday", "2/29/1980"}, {"Anniversary", "6/15"}, {"Categories", "Chess, club;Family"},
          {"Spouse", "Al Doe"}, {"Manager's Name", "Mo"}, {"Other Street", "9 Side St"},
          {"Other City", "Sidetown"}, {"User 1", "u1"}}},
        {CsvColumns::google,
         {{"Name Prefix", "Dr."}, {"Additional Name", "Q."}, {"Name Suffix", "Jr."}, {"Birthday", "1980-02-29"},
          {"Group Membership", "* myContacts ::: Chess, club ::: Family ::: A;B"},
          {"Organization 1 - Department", "Sales; North"}, {"Phone 5 - Type", "Mobile"},
          {"Phone 7 - Type", "Pager"}, {"Phone 9 - Type", "Home Fax"}, {"E-mail 4 - Type", "Work"},
          {"E-mail 5 - Type", "Old, unused"}, {"Address 3 - Extended Address", "Floor 2"},
          {"IM 1 - Service", "Skype"}, {"IM 3 - Type", "Phone"}, {"IM 3 - Service", "Signal"},
          {"Event 1 - Type", "Anniversary"}, {"Event 2 - Type", "First met"}, {"Relation 1 - Type", "Spouse"},
          {"Custom Field 1 - Type", "Shoe size"}, {"Website 3 - Type", "Home Page"}}},
        {CsvColumns::thunderbird,
         {{"Pager Number", "3b"}, {"Department", "Sales; North"}, {"Birth Year", "1980"}, {"Birth Month", "02"},
          {"Birth Day", "29"}, {"Screen Name", "jo.aim"}, {"Custom 2", "c2"}}},
    };
    for (const auto& set : columns) {
        SCOPED_TRACE(static_cast<int>(set.first));
        const std::string strFile = BuildCsv(contacts, set.first);
        const std::map<std::string, std::string> cells = FirstRow(strFile);
        for (const auto& column : set.second) {
            auto found = cells.find(column.first);
            ASSERT_TRUE(found != cells.end()) << column.first;
            EXPECT_EQ(column.second, found->second) << column.first;
        }
        CContactArray back;
        CImportReport report;
        CString strError;
        ASSERT_TRUE(ReadCsv(strFile, "file", back, report, strError)) << strError.GetString();
        ASSERT_EQ(contacts.GetSize(), back.GetSize());
        EXPECT_EQ(0, report.nMovedToNote);
        for (int n = 0; n < contacts.GetSize(); ++n) {
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                EXPECT_EQ(contacts[n].FieldAt(f), back[n].FieldAt(f)) << n << " " << CContact::FieldTag(f);
            }
            CContact want = contacts[n];
            want.values = n == 0 ? expected : want.values;
            CContact got = back[n];
            got.values = Sorted(got.values);
            want.values = Sorted(want.values);
            EXPECT_EQ(DescribeValues(want), DescribeValues(got)) << "contact " << n << "\n" << strFile;
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
