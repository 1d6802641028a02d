#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/BookFormat.h"
#include "support/MemoryFile.h"

#include <gtest/gtest.h>

namespace {

std::string FieldLines(const char* pszLast, const char* pszFirst, const char* pszMobile) {
    std::string s;
    s += std::string("\t\t\t<lastname value=\"") + pszLast + "\"/>\r\n";
    s += std::string("\t\t\t<firstname value=\"") + pszFirst + "\"/>\r\n";
    s += "\t\t\t<nickname value=\"\"/>\r\n"
         "\t\t\t<company value=\"\"/>\r\n"
         "\t\t\t<jobtitle value=\"\"/>\r\n"
         "\t\t\t<homephone value=\"\"/>\r\n";
    s += std::string("\t\t\t<mobile value=\"") + pszMobile + "\"/>\r\n";
    s += "\t\t\t<homeemail value=\"\"/>\r\n"
         "\t\t\t<homewww value=\"\"/>\r\n"
         "\t\t\t<homeaddress value=\"\"/>\r\n"
         "\t\t\t<officephone value=\"\"/>\r\n"
         "\t\t\t<officefax value=\"\"/>\r\n"
         "\t\t\t<officeemail value=\"\"/>\r\n"
         "\t\t\t<officewww value=\"\"/>\r\n"
         "\t\t\t<officeaddress value=\"\"/>\r\n"
         "\t\t\t<note value=\"\"/>\r\n";
    return s;
}

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";

} // namespace

TEST(WriterTest, EmptyListWritesThreeLines) {
    CContactArray contacts;
    EXPECT_EQ(std::string(kDeclaration) +
                  "\t<addressbook name=\"Tovano Address Book\" value=\"0\">\r\n"
                  "\t</addressbook>\r\n",
              BuildAddressBookDocument(contacts).GetStdString());
}

TEST(WriterTest, WritesEveryFieldLineInRecordOrder) {
    CContactArray contacts;
    CContact c;
    c.lastname = "Doe";
    c.firstname = "Jane";
    c.mobile = "555 0100";
    c.id = 99;
    c.marked = 1;
    contacts.Add(c);
    std::string expected = std::string(kDeclaration) +
                           "\t<addressbook name=\"Tovano Address Book\" value=\"1\">\r\n"
                           "\t\t<entry id=\"0\">\r\n" +
                           FieldLines("Doe", "Jane", "555 0100") +
                           "\t\t</entry>\r\n"
                           "\t</addressbook>\r\n";
    EXPECT_EQ(expected, BuildAddressBookDocument(contacts).GetStdString());
}

TEST(WriterTest, EntryIdsArePositionsAndTextIsWrittenRaw) {
    CContactArray contacts;
    CContact a;
    a.lastname = "O'Brien <&> \t\x80";
    a.id = 17;
    CContact b;
    b.lastname = "Z";
    b.id = -4;
    contacts.Add(a);
    contacts.Add(b);
    std::string doc = BuildAddressBookDocument(contacts).GetStdString();
    EXPECT_NE(std::string::npos, doc.find("value=\"2\">\r\n\t\t<entry id=\"0\">\r\n"));
    EXPECT_NE(std::string::npos, doc.find("</entry>\r\n\t\t<entry id=\"1\">\r\n"));
    EXPECT_NE(std::string::npos, doc.find("<lastname value=\"O'Brien <&> \t\x80\"/>\r\n"));
    EXPECT_EQ(std::string::npos, doc.find("17"));
    EXPECT_EQ(doc, BuildAddressBookDocument(contacts).GetStdString());
}

// Further values follow the sixteen fields, one element each, and come back as they were given
// by either reader; their element names are none a reader of the sixteen fields acts on.
TEST(WriterTest, FurtherValuesFollowTheFieldsAndComeBackAsGiven) {
    CContact contact;
    contact.lastname = "Meier";
    CContactValue home{EValueKind::address, "home", "", ""};
    home.SetAddressPart(addressLocality, "Leeds");
    CContactValue full{EValueKind::address, "work", "Depot", ""};
    const CString parts[kAddressPartCount] = {"PO 1", "Unit 2", "3 Mill Rd", "York", "N Yorks", "YO1", "UK"};
    full.SetAddressParts(parts);
    contact.values = {{EValueKind::phone, "mobile", "Holidays", "+44 7700 900123"},
                      home,
                      full,
                      {EValueKind::date, "birthday", "", "--02-29"},
                      {EValueKind::group, "", "", "Chess club"},
                      {EValueKind::cardProperty, "", "", "X-FOO;TYPE=a:b"},
                      {EValueKind::email, "", "with \"quotes\"", ""}};
    CContactArray contacts;
    contacts.Add(contact);
    const std::string doc = BuildAddressBookDocument(contacts).GetStdString();
    const std::string kExpected = "\t\t\t<note value=\"\"/>\r\n"
                                  "\t\t\t<phone type=\"mobile\" label=\"Holidays\" value=\"+44 7700 900123\"/>\r\n"
                                  "\t\t\t<address type=\"home\" street=\"\" locality=\"Leeds\"/>\r\n"
                                  "\t\t\t<address type=\"work\" label=\"Depot\" pobox=\"PO 1\" extended=\"Unit 2\" "
                                  "street=\"3 Mill Rd\" locality=\"York\" region=\"N Yorks\" postalcode=\"YO1\" "
                                  "country=\"UK\"/>\r\n"
                                  "\t\t\t<date type=\"birthday\" value=\"--02-29\"/>\r\n"
                                  "\t\t\t<group value=\"Chess club\"/>\r\n"
                                  "\t\t\t<cardproperty value=\"X-FOO;TYPE=a:b\"/>\r\n"
                                  "\t\t\t<email label=\"with &quote;quotes&quote;\" value=\"\"/>\r\n"
                                  "\t\t</entry>\r\n";
    EXPECT_NE(std::string::npos, doc.find(kExpected)) << doc;

    contact.values.back().label = "with &quote;quotes&quote;"; // the stored form
    // The writer's layout, and the same bytes with the entry's lines joined, which only the
    // tolerant reader takes.
    std::string joined = doc;
    for (size_t n; (n = joined.find(">\r\n\t\t\t<")) != std::string::npos;) {
        joined.replace(n, 5, ">");
    }
    for (const std::string& bytes : {doc, joined}) {
        CMemoryFile file(bytes);
        CXML root;
        CContactArray read;
        CLoadResult result = ReadAddressBook(file, root, read, nullptr);
        EXPECT_EQ(LoadStatus::complete, result.status);
        ASSERT_EQ(1, read.GetSize());
        EXPECT_TRUE(read[0].values == contact.values);
    }
    for (int nKind = 0; nKind < static_cast<int>(EValueKind::count); ++nKind) {
        std::string_view name = ValueElementName(static_cast<EValueKind>(nKind));
        EXPECT_EQ(kNoField, FieldOfElement(name)) << name;
        EXPECT_NE(kEntryElement, name);
    }
}

TEST(WriterTest, AnAddressPartNeverSplitsTheOthers) {
    CContactValue address{EValueKind::address, "", "", ""};
    address.SetAddressPart(addressCountry, "UK");
    address.SetAddressPart(addressStreet, "a\x1F" "b");
    EXPECT_EQ("a\xEF\xBF\xBD" "b", address.AddressPart(addressStreet).GetStdString());
    EXPECT_EQ("UK", address.AddressPart(addressCountry).GetStdString());
    EXPECT_EQ("", address.AddressPart(addressRegion).GetStdString());
}
