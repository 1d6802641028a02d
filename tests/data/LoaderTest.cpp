#include "XmlTestSupport.h"
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\t<addressbook name=\"x\" value=\"1\">\r\n";
const char kTail[] = "\t</addressbook>\r\n";

CLoadResult LoadText(const std::string& xml, CContactArray& contacts, CRecordingSink* pSink = nullptr) {
    CMemoryFile file(xml);
    CXML root;
    return ReadAddressBook(file, root, contacts, pSink);
}

std::string Book(const std::string& body) { return kHead + body + kTail; }

// Texts a user can type, in stored form: quotes, markup characters, tabs, letters of many
// scripts, line breaks in the multi-line fields.
CString RandomText(std::mt19937& rng, bool bMultiLine) {
    static const char* const pieces[] = {"Anna", "brown", "O'Brien", "&quote;", "<b>", "x > y", "A & B",
                                         "\t", "\xC3\x89lise", "\xC3\xBF\xE2\x82\xAC", "\xE9\x99\xB3\xF0\x9F\x98\x80", " ", "555 0100", "&amp;", "\\r\\n",
                                         "&amp;quote;"};
    CString s;
    int n = static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) {
        const char* p = pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        if (!bMultiLine && CString(p) == "\\r\\n") {
            continue;
        }
        s += p;
    }
    return s;
}

CContactArray RandomContacts(int n, unsigned seed) {
    std::mt19937 rng(seed);
    CContactArray contacts;
    for (int i = 0; i < n; ++i) {
        CContact c;
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            c.FieldAt(f) = RandomText(rng, CContact::IsMultiLineField(f));
        }
        contacts.Add(c);
    }
    return contacts;
}

} // namespace

TEST(LoaderTest, WrittenFilesLoadBackExactly) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CContactArray written = RandomContacts(200, 7);
    ASSERT_TRUE(SaveAddressBook(written, strPath.c_str(), nullptr));

    CXML root;
    CContactArray loaded;
    CLoadResult result = ReadAddressBook(strPath.c_str(), root, loaded, nullptr);
    EXPECT_EQ(LoadStatus::complete, result.status);
    EXPECT_EQ(1, result.nParsed);
    ASSERT_EQ(written.GetSize(), loaded.GetSize());
    for (int i = 0; i < written.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            EXPECT_EQ(written[i].FieldAt(f), loaded[i].FieldAt(f)) << i << " " << f;
        }
    }
    EXPECT_EQ(BuildAddressBookDocument(written).GetStdString(), BuildAddressBookDocument(loaded).GetStdString());
}

// The status, and where the file stops being what the reader understood.
TEST(LoaderTest, ReportsHowCompletelyTheFileWasReadAndWhereItStops) {
    const std::string strHead = kHead;
    const int64_t nBookEnd = static_cast<int64_t>(Book("").size());
    const struct {
        std::string xml;
        LoadStatus status;
        int64_t nProblemOffset;
    } cases[] = {
        {"", LoadStatus::complete, kNoOffset},
        {Book("") + "<!-- saved -->\r\n<?pi?>\r\n", LoadStatus::complete, kNoOffset},
        {"<addressbook/>", LoadStatus::complete, kNoOffset},
        {" \r\n", LoadStatus::partial, 0},
        {"no tags at all", LoadStatus::partial, 0},
        {strHead + "\t\t<entry>", LoadStatus::partial, static_cast<int64_t>(strHead.size()) + 9},
        {strHead + "\t\t<entry><lastname value=\"A", LoadStatus::partial, static_cast<int64_t>(strHead.size()) + 27},
        {Book("\t\t<entry></x></entry>\r\n"), LoadStatus::partial, static_cast<int64_t>(strHead.size()) + 9},
        {Book("") + "<more/>", LoadStatus::partial, nBookEnd},
        {Book("") + "<!-- c --> stray text", LoadStatus::partial, nBookEnd + 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        CContactArray contacts;
        CLoadResult result = LoadText(c.xml, contacts);
        EXPECT_EQ(c.status, result.status);
        EXPECT_EQ(c.nProblemOffset, result.nProblemOffset);
    }

    CContactArray contacts;
    CMemoryFile failing(Book("\t\t<entry/>\r\n"));
    failing.FailReadsFrom(40);
    CXML root;
    CLoadResult result = ReadAddressBook(failing, root, contacts, nullptr);
    EXPECT_EQ(LoadStatus::unreadable, result.status);
    EXPECT_EQ(CFileException::hardIO, result.failure.m_cause);
}

TEST(LoaderTest, MissingAndUnreadableFilesAreToldApart) {
    CTempFolder folder;
    CXML root;
    CContactArray contacts;
    CLoadResult missing = ReadAddressBook(folder.Path("tbk.xml").c_str(), root, contacts, nullptr);
    EXPECT_EQ(LoadStatus::missing, missing.status);
    EXPECT_EQ(0, missing.nParsed);
    CLoadResult folderInstead = ReadAddressBook(folder.Folder().c_str(), root, contacts, nullptr);
    EXPECT_EQ(LoadStatus::unreadable, folderInstead.status);
    EXPECT_EQ(0, contacts.GetSize());
}

TEST(LoaderTest, WarningsReachTheSinkAndMakeTheLoadPartial) {
    CContactArray contacts;
    CRecordingSink sink;
    CLoadResult result = LoadText(Book("\t\t<entry><lastname value=\"A\"/></entry></entry>\r\n"), contacts, &sink);
    EXPECT_EQ(LoadStatus::partial, result.status);
    EXPECT_EQ(2, result.nWarnings); // "/entry", then the root's own end tag inside it
    ASSERT_EQ(2u, sink.m_warnings.size());
    EXPECT_EQ("Warning Element Terminator exists without matching initial Block /entry", sink.m_warnings[0]);
    EXPECT_EQ(static_cast<int64_t>(std::string(kHead).size()) + 38, sink.m_offsets[0]);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_EQ("A", contacts[0].lastname);
}

TEST(LoaderTest, EveryEntryStartsFromAnEmptyRecord) {
    CContactArray contacts;
    LoadText(Book("<lastname value=\"outside\"/>"
                  "<entry><lastname value=\"A\"/><note value=\"private\"/><id value=\"5\"/></entry>"
                  "<entry><lastname value=\"B\"/></entry>"
                  "<entry/>"),
             contacts);
    ASSERT_EQ(3, contacts.GetSize());
    EXPECT_EQ("private", contacts[0].note);
    EXPECT_EQ(5, contacts[0].id);
    EXPECT_EQ("B", contacts[1].lastname);
    EXPECT_EQ("", contacts[1].note);
    EXPECT_EQ(0, contacts[1].id);
    EXPECT_EQ(1, contacts[2].IsEmpty());
}

TEST(LoaderTest, FieldElementsFollowTheFileRules) {
    CContactArray contacts;
    LoadText(Book("<entry id=\"7\"><LastName value=\"case\"/><firstname/>"
                  "<company type=\"a\" value=\"Acme\"/><mobile value=\"1\"/><mobile value=\"2\"/>"
                  "<note value=\"&quot;kept&quot;\"/><id value=\"  -12x\"/></entry>"),
             contacts);
    ASSERT_EQ(1, contacts.GetSize());
    const CContact& c = contacts[0];
    EXPECT_EQ("", c.lastname);
    EXPECT_EQ("", c.firstname);
    EXPECT_EQ("Acme", c.company);
    EXPECT_EQ("2", c.mobile);
    EXPECT_EQ("&quot;kept&quot;", c.note);
    EXPECT_EQ(-12, c.id);
    EXPECT_EQ(0, c.marked);
}

TEST(LoaderTest, EntriesAreFoundAtAnyDepthInTheOrderTheyEnd) {
    CContactArray contacts;
    LoadText("<anything><group><entry><lastname value=\"outer\"/>"
             "<entry><lastname value=\"inner\"/></entry>"
             "<firstname value=\"F\"/></entry></group></anything>",
             contacts);
    ASSERT_EQ(2, contacts.GetSize());
    EXPECT_EQ("inner", contacts[0].lastname);
    EXPECT_EQ("", contacts[0].firstname);
    EXPECT_EQ("outer", contacts[1].lastname);
    EXPECT_EQ("F", contacts[1].firstname);
}

TEST(LoaderTest, AttributeLookupWantsTheExactName) {
    CXML element;
    ParseText("<e type=\"t\" Value=\"V\"/>", element);
    EXPECT_EQ("", GetAttributeValue(&element, "value"));
    ParseText("<e type=\"t\" Value=\"V\" value=\"v\"/>", element);
    EXPECT_EQ("v", GetAttributeValue(&element, "value"));
    CXML bare;
    EXPECT_EQ("", GetAttributeValue(&bare, "value"));
}

TEST(LoaderTest, EveryTruncatedFileLoadsWhatItHolds) {
    CContactArray written = RandomContacts(3, 11);
    const std::string doc = BuildAddressBookDocument(written).GetStdString();
    for (size_t n = 0; n <= doc.size(); ++n) {
        std::string prefix = doc.substr(0, n);
        CContactArray loaded;
        CLoadResult result = LoadText(prefix, loaded);
        bool bWhole = n == 0 || n >= doc.size() - 2; // empty, or only the final line break missing
        EXPECT_EQ(bWhole ? LoadStatus::complete : LoadStatus::partial, result.status) << n;
        EXPECT_EQ(0, result.nWarnings) << n;
        // Entries that ended in the prefix load exactly; one cut-off entry may follow.
        size_t nEnded = 0;
        for (size_t at = prefix.find("</entry>"); at != std::string::npos; at = prefix.find("</entry>", at + 1)) {
            ++nEnded;
        }
        ASSERT_GE(static_cast<size_t>(loaded.GetSize()), nEnded) << n;
        ASSERT_LE(static_cast<size_t>(loaded.GetSize()), std::min<size_t>(nEnded + 1, 3)) << n;
        for (size_t i = 0; i < nEnded; ++i) {
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                EXPECT_EQ(written[static_cast<int>(i)].FieldAt(f), loaded[static_cast<int>(i)].FieldAt(f)) << n;
            }
        }
    }
}

// A control character in a value (tab and line breaks aside) is damage no editor can keep: a
// warning names the field and the contact, and the book counts as read in part.
TEST(LoaderTest, ControlCharactersInAValueAreReportedAsDamage) {
    const struct {
        std::string strMobile;
        std::vector<std::string> warnings;
    } cases[] = {
        {"555\t01\r\n00", {}},
        {std::string("555\0" "0100", 8), {"Warning Control character \\x00 in mobile of the contact \"Adams, Bob\""}},
        {"\x1F" "5\x07", {"Warning Control character \\x1F in mobile of the contact \"Adams, Bob\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strMobile);
        CContactArray contacts;
        CRecordingSink sink;
        CLoadResult result = LoadText(Book("<entry><lastname value=\"Adams\"/><firstname value=\"Bob\"/><mobile value=\"" +
                                           c.strMobile + "\"/></entry>"),
                                      contacts, &sink);
        EXPECT_EQ(c.warnings, sink.m_warnings);
        EXPECT_EQ(c.warnings.empty() ? LoadStatus::complete : LoadStatus::partial, result.status);
        ASSERT_EQ(1, contacts.GetSize());
        EXPECT_EQ(c.strMobile, contacts[0].mobile.GetStdString());
    }
}
