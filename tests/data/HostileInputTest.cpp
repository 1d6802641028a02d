// Damaged and hostile files: the reader must finish, find what can be found, and never
// overflow the stack or take quadratic time (a quadratic path would not finish here).
#include "XmlTestSupport.h"
#include "data/AddressBookLoader.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const int kDepth = 100000;

struct DeepLoad {
    std::string xml;
    CLoadResult result;
    CContactArray contacts;
    bool bDone = false;
};

void LoadAndDestroy(void* p) {
    DeepLoad& load = *static_cast<DeepLoad*>(p);
    CMemoryFile file(load.xml);
    {
        CXML root;
        load.result = ReadAddressBook(file, root, load.contacts, nullptr);
    }
    load.bDone = true;
}

} // namespace

TEST(HostileInputTest, DeepNestingLoadsEveryEntryOnASmallStack) {
    DeepLoad load;
    load.xml = "<addressbook>";
    for (int i = 0; i < kDepth; ++i) {
        load.xml += "<entry><lastname value=\"" + std::to_string(i) + "\"/>";
    }
    ASSERT_TRUE(RunWithStack(1024 * 1024, LoadAndDestroy, &load));
    ASSERT_TRUE(load.bDone);
    EXPECT_EQ(LoadStatus::partial, load.result.status);
    ASSERT_EQ(kDepth, load.contacts.GetSize());
    EXPECT_EQ(CString(std::to_string(kDepth - 1)), load.contacts[0].lastname); // the innermost ends first
    EXPECT_EQ("0", load.contacts[kDepth - 1].lastname);
}

TEST(HostileInputTest, StrayEndTagsNestWithoutLimit) {
    DeepLoad load;
    load.xml = "<addressbook><entry><lastname value=\"kept\"/></entry>";
    for (int i = 0; i < kDepth; ++i) {
        load.xml += "</entry>";
    }
    ASSERT_TRUE(RunWithStack(1024 * 1024, LoadAndDestroy, &load));
    ASSERT_TRUE(load.bDone);
    EXPECT_EQ(kDepth, load.result.nWarnings);
    ASSERT_EQ(1, load.contacts.GetSize());
    EXPECT_EQ("kept", load.contacts[0].lastname);
}

TEST(HostileInputTest, WideTreesAndLongTagsStayLinear) {
    std::string xml = "<r>";
    for (int i = 0; i < kDepth; ++i) {
        xml += "<c/>";
    }
    xml += "<t";
    for (int i = kDepth; i > 0; --i) { // descending names: the worst order for sorted insertion
        xml += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    }
    xml += " a1=\"again\"/></r>";
    CXML root;
    ASSERT_EQ(1, ParseText(xml, root));
    int nChildren = 0;
    CXML* pLast = nullptr;
    for (CXML* p = root.FirstChild(); p; p = p->NextSibling()) {
        ++nChildren;
        pLast = p;
    }
    EXPECT_EQ(kDepth + 1, nChildren);
    const CAttribute* pFirst = pLast->FirstAttribute();
    EXPECT_EQ("a1", pFirst->GetName());
    EXPECT_EQ("again", pFirst->GetValue());
    int nAttributes = 1;
    CString strPrevious = pFirst->GetName();
    for (const CAttribute* p = pFirst->NextAttribute(); p; p = p->NextAttribute()) {
        EXPECT_LT(strPrevious.Compare(p->GetName()), 0);
        strPrevious = p->GetName();
        ++nAttributes;
    }
    EXPECT_EQ(kDepth, nAttributes);
}

TEST(HostileInputTest, UnclosedQuotesAndLongTextEndAtTheEndOfTheFile) {
    const std::string megabyte(1 << 20, 'x');
    CXML root;

    CContactArray openAttribute;
    CMemoryFile openAttributeFile("<r><entry><lastname value=\"" + megabyte);
    EXPECT_EQ(LoadStatus::partial, ReadAddressBook(openAttributeFile, root, openAttribute, nullptr).status);
    EXPECT_EQ(1, openAttribute.GetSize());

    // A quote in character data hides every "<" up to the end.
    CContactArray openText;
    const std::string rest = "<entry/></r>";
    CMemoryFile openTextFile("<r>\"" + megabyte + rest);
    EXPECT_EQ(LoadStatus::partial, ReadAddressBook(openTextFile, root, openText, nullptr).status);
    EXPECT_EQ(0, openText.GetSize());
    EXPECT_EQ(1 + megabyte.size() + rest.size(), static_cast<size_t>(root.GetText().GetLength()));

    CContactArray openComment;
    CMemoryFile openCommentFile("<!-- \"" + megabyte);
    EXPECT_EQ(0, ReadAddressBook(openCommentFile, root, openComment, nullptr).nParsed);

    CContactArray longName;
    CMemoryFile longNameFile("<" + megabyte + "><entry/></" + megabyte + ">");
    EXPECT_EQ(LoadStatus::complete, ReadAddressBook(longNameFile, root, longName, nullptr).status);
    EXPECT_EQ(1, longName.GetSize());
}

// They pass through unchanged; a zero byte in a value marks the book as damaged, though.
TEST(HostileInputTest, ZeroBytesAndHighBytesPassThrough) {
    const char raw[] = "<r><entry><lastname value=\"a\0b\xC3\xBF\"/></entry></r>";
    CContactArray contacts;
    CMemoryFile file(std::string(raw, sizeof raw - 1));
    CXML root;
    EXPECT_EQ(LoadStatus::partial, ReadAddressBook(file, root, contacts, nullptr).status);
    ASSERT_EQ(1, contacts.GetSize());
    EXPECT_EQ(std::string("a\0b\xC3\xBF", 5), contacts[0].lastname.GetStdString());
}
