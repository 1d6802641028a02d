// Books in every script: what the file holds, books of the old code page, damaged UTF-8, and the
// search and the sort over names of many scripts.
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "data/ContactSort.h"
#include "framework/core/CodePage.h"
#include "support/TestFiles.h"
#include "support/UnicodeNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

CContactArray UnicodeContacts() {
    CContactArray contacts;
    for (const CUnicodeName& name : kUnicodeNames) {
        CContact contact;
        contact.firstname = name.pszFirst;
        contact.lastname = name.pszLast;
        contact.note = (std::string(name.pszScript) + "\r\n" + name.pszFirst).c_str();
        contact.EncodeStoredText();
        contacts.Add(contact);
    }
    return contacts;
}

std::vector<uint32_t> Find(CContactBook& book, const std::string& strText) {
    CDWordArray hits;
    book.FindContacts(strText.c_str(), hits);
    return std::vector<uint32_t>(hits.GetData(), hits.GetData() + hits.GetSize());
}

} // namespace

// Every name is written as its UTF-8 bytes and comes back the same; a plain ASCII book is byte
// for byte what it always was.
TEST(UnicodeBookTest, NamesOfEveryScriptRoundTripThroughTheFile) {
    CTempFolder folder;
    std::string strPath = folder.Path("tbk.xml");
    CContactArray contacts = UnicodeContacts();
    ASSERT_TRUE(SaveAddressBook(contacts, strPath.c_str(), nullptr));
    std::string strFile = ReadBytes(strPath);
    EXPECT_NE(std::string::npos, strFile.find(std::string("<lastname value=\"") + kUnicodeNames[0].pszLast + "\"/>"));
    CContactBook book(strPath.c_str());
    CLoadResult result = book.LoadAddressBook();
    EXPECT_EQ(LoadStatus::complete, result.status);
    EXPECT_EQ(0u, result.nLegacyCodePage);
    EXPECT_EQ(strFile, BuildAddressBookDocument(book.Contacts()).GetStdString());

    const char kAscii[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\t<addressbook name=\"Tovano Address Book\" "
                          "value=\"0\">\r\n\t</addressbook>\r\n";
    EXPECT_EQ(kAscii, BuildAddressBookDocument(CContactArray()).GetStdString());
}

// A book an earlier version wrote in its code page is read in it, every field as typed; it is kept
// as a backup and converted by the first save, and left alone while nothing changes. Invalid
// bytes in a UTF-8 book are damage, reported by contact and field.
TEST(UnicodeBookTest, OldBooksAreConvertedAndDamagedOnesReported) {
    const struct {
        const char* pszName;
        std::string strLastName; // as the file holds it
        std::string strRead;     // as the program holds it
        unsigned nLegacyCodePage;
        std::vector<std::string> warnings;
    } cases[] = {
        {"Windows-1252", "\x80 \x8A\x9A \x8C\x9C \x9F \xC9mile", "\xE2\x82\xAC \xC5\xA0\xC5\xA1 \xC5\x92\xC5\x93 \xC5\xB8 \xC3\x89mile",
         kCodePage1252, {}},
        {"damaged UTF-8", "\xC3\x89mile \xC3", "\xC3\x89mile \xC3", 0,
         {"Warning Bytes that are no UTF-8 text in lastname of the contact \"\xC3\x89mile \xC3, X\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempFolder folder;
        std::string strPath = folder.Path("tbk.xml");
        CContact contact;
        contact.lastname = c.strLastName.c_str();
        contact.firstname = "X";
        CContactArray contacts;
        contacts.Add(contact);
        const std::string strOld = BuildAddressBookDocument(contacts).GetStdString();
        WriteBytes(strPath, strOld);

        struct : CXMLWarningSink {
            void OnWarning(const CString& strText, int64_t) override { warnings.push_back(strText.GetStdString()); }
            std::vector<std::string> warnings;
        } sink;
        CContactBook book(strPath.c_str());
        CLoadResult result = book.LoadAddressBook(&sink);
        book.FinishLoad();
        EXPECT_EQ(c.nLegacyCodePage, result.nLegacyCodePage);
        EXPECT_EQ(c.warnings, sink.warnings);
        EXPECT_EQ(c.warnings.empty() ? LoadStatus::complete : LoadStatus::partial, result.status);
        EXPECT_EQ(c.strRead, book.Contacts()[0].lastname.GetStdString());
        EXPECT_FALSE(book.IsWriteOnExitNeeded()); // unchanged: left as it is

        ASSERT_TRUE(book.Commit(book.AddContact(contact), nullptr));
        EXPECT_EQ(strOld, ReadBytes(strPath + ".bak"));
        EXPECT_NE(std::string::npos, ReadBytes(strPath).find("\"" + c.strRead + "\""));
    }
}

// Case is ignored in every script, and the list's order is that of the lower-cased names' code
// points.
TEST(UnicodeBookTest, SearchAndSortCoverEveryScript) {
    CTempFolder folder;
    CContactBook book(folder.Path("tbk.xml").c_str());
    book.LoadAddressBook();
    book.AddContacts(UnicodeContacts());
    for (int i = 0; i < book.Contacts().GetSize(); ++i) {
        const CContact& contact = book.Contacts()[i];
        SCOPED_TRACE(contact.note.GetString());
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(i)}, Find(book, contact.DisplayText(CContact::fieldLastName).MakeUpper().GetStdString()));
    }
    const struct {
        const char* pszSearch;
        const char* pszFound; // last name
    } searches[] = {
        {"\xC5\x82ukasz", "\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87"},                     // łukasz finds Łukasz Żółć
        {"\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1", "\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC"}, // σοφία
        {"\xC3\xA9mile", "Z\xC3\xB6lle &quote;Ch\xC3\xA9ri&quote;"},                // émile
        {"\"ch\xC3\x89RI\"", "Z\xC3\xB6lle &quote;Ch\xC3\xA9ri&quote;"},             // what was typed, quotes and all
        {"\xF0\x9F\x98\x80", "\xF0\xA0\x80\x8B\xF0\x9F\x8E\x89"},                    // an emoji
    };
    for (const auto& search : searches) {
        SCOPED_TRACE(search.pszSearch);
        std::vector<uint32_t> hits = Find(book, search.pszSearch);
        ASSERT_EQ(1u, hits.size());
        EXPECT_EQ(search.pszFound, book.Contacts()[static_cast<int>(hits[0])].lastname.GetStdString());
    }
    std::vector<std::string> keys;
    for (int i = 0; i < book.Contacts().GetSize(); ++i) {
        keys.push_back(CString(book.Contacts()[i].lastname).MakeLower().GetStdString());
    }
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}
