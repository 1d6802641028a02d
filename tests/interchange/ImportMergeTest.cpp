// What an import does with contacts the book or the file holds already: the values they bring
// are merged, a contact that brings nothing is skipped, and one undo takes the whole import
// back. Also the import's guards before a file is read: its size, and where it is.
#include "InterchangeTestSupport.h"
#include "interchange/ContactFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

typedef CContact C;

CContact Make(const char* pszLast, const char* pszFirst,
              std::initializer_list<std::pair<int, const char*>> values) {
    CContact contact;
    contact.lastname = pszLast;
    contact.firstname = pszFirst;
    for (const auto& value : values) {
        contact.FieldAt(value.first) = value.second;
    }
    return contact;
}

// "Smith, Anna: home phone=555 0100; note=met in Rome" for each contact, sorted, so that contacts
// alike in name compare whatever order the book gives them.
std::vector<std::string> Describe(const CContactArray& contacts) {
    std::vector<std::string> lines;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        std::string strLine =
            contacts[i].lastname.GetStdString() + ", " + contacts[i].firstname.GetStdString();
        const char* pszSeparator = ": ";
        for (int f = C::fieldNickname; f < C::kFieldCount; ++f) {
            if (!contacts[i].FieldAt(f).IsEmpty()) {
                strLine += pszSeparator + std::string(C::FieldLabel(f)) + "=" +
                           contacts[i].FieldAt(f).GetStdString();
                pszSeparator = "; ";
            }
        }
        if (!contacts[i].values.empty()) {
            strLine += pszSeparator + std::string("values=") + DescribeValues(contacts[i]);
        }
        lines.push_back(strLine);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

// Each case: a book, an import into it, the counts, the lines that say what became of the
// contacts held already, and the book afterwards; one undo then gives back the book as it was.
TEST(ImportMergeTest, HeldContactsGiveTheirNewValuesToTheContactThatHoldsThem) {
    const CContact smith =
        Make("Smith", "Anna", {{C::fieldMobile, "+1 425 555 0199"}, {C::fieldHomePhone, "555 0100"}});
    const CContact smithFromPhone = Make("Smith", "Anna",
                                         {{C::fieldMobile, "+14255550199"},
                                          {C::fieldHomePhone, "555 0200"},
                                          {C::fieldOfficeAddress, "1 Main St"}});
    const CContact baker = Make("Baker", "Bob", {});
    const struct {
        const char* pszWhat;
        std::vector<CContact> book;
        std::vector<CContact> imported;
        bool bKeepDuplicates;
        int nAdded, nMerged, nDuplicates;
        std::vector<std::string> warnings;
        std::vector<std::string> after;
    } cases[] = {
        {"the book's contact gains what it lacks, and a value in conflict becomes a further value",
         {smith, baker},
         {smithFromPhone},
         false,
         0,
         1,
         0,
         {"in.vcf: merged into \"Smith, Anna\": Home phone, Office address"},
         {"Baker, Bob", "Smith, Anna: home phone=555 0100; mobile=+1 425 555 0199; office address=1 Main St; "
                        "values=phone home: 555 0200"}},
        {"one person twice in the file is one new contact with the values of both",
         {baker},
         {Make("Lee", "Bo", {{C::fieldMobile, "0171 5550100"}}), Make("Lee", "Bo",
                                                                      {{C::fieldMobile, "0171 555 0100"},
                                                                       {C::fieldHomePhone, "030 1234"},
                                                                       {C::fieldOfficePhone, "030 5678"}})},
         false,
         1,
         1,
         0,
         {"in.vcf: merged into \"Lee, Bo\", earlier in this import: Home phone, Office phone"},
         {"Baker, Bob", "Lee, Bo: home phone=030 1234; mobile=0171 5550100; office phone=030 5678"}},
        {"a contact whose every value is held is skipped, and said to be held where it is",
         {Make("Smith", "Anna",
               {{C::fieldMobile, "+1 425 555 0199"},
                {C::fieldHomeEMail, "anna@example.org"},
                {C::fieldNote, "met in Rome"}})},
         {Make("Anna", "Smith",
               {{C::fieldMobile, "001 425 555 0199"},
                {C::fieldOfficeEMail, "ANNA@example.org"},
                {C::fieldNote, "met in Rome"}}),
          Make("Roe", "Ray", {{C::fieldHomePhone, "555 0300"}}),
          Make("Roe", "Ray", {{C::fieldHomePhone, "555 0300"}})},
         false,
         1,
         0,
         2,
         {"in.vcf: skipped \"Anna, Smith\": the address book holds this contact already",
          "in.vcf: skipped \"Roe, Ray\": the same contact comes earlier in this import"},
         {"Roe, Ray: home phone=555 0300",
          "Smith, Anna: mobile=+1 425 555 0199; home e-mail=anna@example.org; note=met in Rome"}},
        {"with duplicates kept, every contact is added as it is",
         {smith, baker},
         {smithFromPhone},
         true,
         1,
         0,
         0,
         {},
         {"Baker, Bob", "Smith, Anna: home phone=555 0100; mobile=+1 425 555 0199",
          "Smith, Anna: home phone=555 0200; mobile=+14255550199; office address=1 Main St"}},
        {"a contact that is the book's only through an earlier one of the file goes there too",
         {Make("Smith", "Anna", {{C::fieldHomeEMail, "a@x.org"}})},
         {Make("Smith", "Anna", {{C::fieldHomeEMail, "a@x.org"}, {C::fieldMobile, "0171 5550001"}}),
          Make("Smith", "Anna", {{C::fieldMobile, "0171 5550001"}, {C::fieldHomePhone, "030 9999999"}})},
         false,
         0,
         2,
         0,
         {"in.vcf: merged into \"Smith, Anna\": Mobile", "in.vcf: merged into \"Smith, Anna\": Home phone"},
         {"Smith, Anna: home phone=030 9999999; mobile=0171 5550001; home e-mail=a@x.org"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CContactBook book("unused.xml");
        CContactArray contacts, imported;
        for (const CContact& contact : c.book) {
            contacts.Add(contact);
        }
        for (const CContact& contact : c.imported) {
            imported.Add(contact);
        }
        book.AddContacts(contacts);
        const std::vector<std::string> before = Describe(book.Contacts());
        CImportReport report;
        CBookChange change = AddImportedContacts(book, imported, c.bKeepDuplicates, "in.vcf", report);
        EXPECT_EQ(c.nAdded, report.nAdded);
        EXPECT_EQ(c.nMerged, report.nMerged);
        EXPECT_EQ(c.nDuplicates, report.nDuplicates);
        std::vector<std::string> warnings;
        for (const CString& strWarning : report.warnings) {
            warnings.push_back(strWarning.GetStdString());
        }
        EXPECT_EQ(c.warnings, warnings);
        EXPECT_EQ(c.after, Describe(book.Contacts()));
        // The contacts added and changed are the ones the window selects.
        std::vector<std::string> placed;
        std::set_difference(c.after.begin(), c.after.end(), before.begin(), before.end(),
                            std::back_inserter(placed));
        EXPECT_EQ(placed.size(), change.placed.size());
        EXPECT_EQ(c.nAdded + c.nMerged > 0, change.bChanged);
        if (change.bChanged) {
            book.Undo();
            EXPECT_EQ(before, Describe(book.Contacts()));
            book.Undo(); // the book's own contacts, added in one change before
            EXPECT_EQ(0, book.Contacts().GetSize());
        }
    }
}

// A file above the limit is refused before it is read, with a message that names it, its size
// and the limit and says what to do; one at the limit is read whole.
TEST(ImportFileTest, AFileAboveTheLimitIsRefusedBeforeItIsRead) {
    CTempFolder folder;
    const uint64_t kMB = uint64_t(1) << 20;
    const struct {
        uint64_t nSize;
        uint64_t nLimit;
        const char* pszSize; // as the refusal says it; nullptr: read
        const char* pszLimit;
    } cases[] = {
        {0, 1000, nullptr, nullptr},
        {1000, 1000, nullptr, nullptr},
        {1001, 1000, "1001 bytes", "1000 bytes"},
        {kMB + 1, kMB, "1.1 MB", "1 MB"},
        // The real limit, with a file of holes that takes no room on the disk.
        {kMaxImportFileBytes + 1, kMaxImportFileBytes, "256.1 MB", "256 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nSize);
        const std::string strPath = folder.Path("contacts " + std::to_string(c.nSize) + ".vcf");
        {
            CFile file;
            ASSERT_TRUE(file.Open(strPath.c_str(), CFile::modeCreate | CFile::modeWrite));
            if (c.nSize > 0) {
                ASSERT_EQ(static_cast<int64_t>(c.nSize - 1),
                          file.Seek(static_cast<int64_t>(c.nSize - 1), CFile::begin));
                ASSERT_TRUE(file.Write("x", 1));
            }
            ASSERT_TRUE(file.Close());
        }
        std::string strData = "left from before";
        CString strError;
        bool bRead = c.nLimit == kMaxImportFileBytes
                         ? ReadImportFile(strPath.c_str(), strData, strError)
                         : ReadImportFile(strPath.c_str(), strData, strError, c.nLimit);
        EXPECT_EQ(c.pszSize == nullptr, bRead) << strError.GetString();
        if (bRead) {
            EXPECT_EQ(c.nSize, strData.size());
        } else {
            EXPECT_EQ(0, strError.Find(strPath.c_str())) << strError.GetString();
            EXPECT_LT(
                0, strError.Find((std::string(" is ") + c.pszSize + ", more than the " + c.pszLimit).c_str()))
                << strError.GetString();
            EXPECT_LT(0, strError.Find("Split it into smaller files")) << strError.GetString();
        }
        CFile remover;
        EXPECT_TRUE(remover.Remove(strPath.c_str()));
    }
    std::string strData;
    CString strError;
    EXPECT_FALSE(ReadImportFile(folder.Path("absent.vcf").c_str(), strData, strError));
    EXPECT_LT(0, strError.Find("was not found")) << strError.GetString();
}

// Which paths lead to another computer, and how a question names it.
TEST(ImportFileTest, APathOnAnotherComputerIsToldByItsName) {
    const struct {
        const char* pszPath;
        const char* pszComputer;
    } cases[] = {
        {"\\\\server\\share\\contacts.vcf", "\\\\server"},
        {"//server/share/contacts.vcf", "\\\\server"},
        {"\\/Server.example.org\\share", "\\\\Server.example.org"},
        {"\\\\?\\UNC\\server\\share\\contacts.vcf", "\\\\server"},
        {"\\\\?\\unc/server/share", "\\\\server"},
        {"\\\\dav.example.org@SSL@443\\DavWWWRoot\\contacts.vcf", "\\\\dav.example.org"},
        {"\\\\192.168.1.20\\c$\\contacts.vcf", "\\\\192.168.1.20"},
        {"C:\\Users\\Ann\\contacts.vcf", ""},
        {"\\\\?\\C:\\Users\\Ann\\contacts.vcf", ""},
        {"\\\\.\\C:\\contacts.vcf", ""},
        {"\\Users\\Ann\\contacts.vcf", ""},
        {"contacts.vcf", ""},
        {"/home/ann/contacts.vcf", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.pszComputer, NetworkComputerOf(c.pszPath).GetString()) << c.pszPath;
    }
}

// An import of several files names in each warning the file its contact came from.
TEST(ImportMergeTest, EachWarningNamesTheFileItsContactCameFrom) {
    CTempFolder folder;
    CContactBook book(folder.Path("tbk.xml").c_str());
    CContactArray imported;
    for (const char* pszLast : {"Adams", "Baker", "Adams", "Baker"}) {
        CContact contact;
        contact.lastname = pszLast;
        contact.firstname = "Ann";
        contact.homeemail = CString(pszLast) + "@example.org";
        imported.Add(contact);
    }
    CImportSources sources;
    sources.Add(0, "a.vcf");
    sources.Add(2, "b.csv");
    CImportReport report;
    AddImportedContacts(book, imported, false, sources, report);
    ASSERT_EQ(2u, report.warnings.size());
    for (const CString& strWarning : report.warnings) {
        EXPECT_EQ(0, strWarning.Find("b.csv")) << strWarning.GetString();
    }
    EXPECT_EQ("a.vcf", sources.NameOf(1).GetStdString());
}
