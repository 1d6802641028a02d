#include "data/AddressBookWriter.h"

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
