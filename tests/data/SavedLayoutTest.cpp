// The quick reader against the tolerant one: whatever the quick reader takes, the element tree
// reads as the same contacts without a warning, so which of the two reads a file never shows.
#include "XmlTestSupport.h"
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/SavedLayoutReader.h"
#include "framework/core/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TreeRead {
    CContactArray contacts;
    int nWarnings = 0;
    bool bClosed = false;
    std::string rest; // what follows the root
};

TreeRead ReadTree(const std::string& bytes) {
    CMemoryFile file(bytes);
    CXML root;
    CRecordingSink sink;
    TreeRead read;
    if (CXMLParser::Load(root, file, CString(), &sink)) {
        CollectEntries(root, read.contacts);
        read.bClosed = root.IsClosed();
        char ch;
        while (file.Read(&ch, 1) == 1) {
            read.rest += ch;
        }
    }
    read.nWarnings = static_cast<int>(sink.m_warnings.size());
    return read;
}

// Empty when the two lists hold the same contacts, ids too; otherwise the first difference.
std::string Difference(const CContactArray& a, const CContactArray& b) {
    if (a.GetSize() != b.GetSize()) {
        return "counts " + std::to_string(a.GetSize()) + " and " + std::to_string(b.GetSize());
    }
    for (int i = 0; i < a.GetSize(); ++i) {
        if (a[i].id != b[i].id) {
            return "id of contact " + std::to_string(i);
        }
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (a[i].FieldAt(f) != b[i].FieldAt(f)) {
                return std::string(CContact::FieldTag(f)) + " of contact " + std::to_string(i);
            }
        }
        if (a[i].values != b[i].values) {
            return "further values of contact " + std::to_string(i);
        }
    }
    return std::string();
}

// Whether a text is UTF-8 without a control character other than tab, CR, LF and, in an
// address, the separator of its parts: a text the loader has nothing to convert or warn about.
bool IsPlainText(const CString& strText, bool bAddress) {
    for (char c : strText.GetStdString()) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n' && !(bAddress && c == kAddressPartSeparator)) {
            return false;
        }
    }
    return IsValidUtf8(strText.GetStdString());
}

bool AllTextsPlain(const CContactArray& contacts) {
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (!IsPlainText(contacts[i].FieldAt(f), false)) {
                return false;
            }
        }
        for (const CContactValue& value : contacts[i].values) {
            if (!IsPlainText(value.type, false) || !IsPlainText(value.label, false) ||
                !IsPlainText(value.text, value.kind == EValueKind::address)) {
                return false;
            }
        }
    }
    return true;
}

// Returns whether the quick reader took the bytes; when it did, the tree must agree, and texts
// the reader calls plain must be so.
bool ExpectAgreement(const std::string& bytes, unsigned nMaxRead = ~0u, bool* pPlain = nullptr) {
    CMemoryFile file(bytes);
    file.LimitReadsTo(nMaxRead);
    CContactArray quick;
    quick.Add(CContact()); // what a caller held before stays, and only that
    quick[0].lastname = "before";
    bool bPlain = false;
    if (!ReadSavedLayout(file, quick, &bPlain)) {
        EXPECT_EQ(1, quick.GetSize());
        return false;
    }
    quick.RemoveAt(0);
    TreeRead tree = ReadTree(bytes);
    EXPECT_EQ(0, tree.nWarnings) << bytes;
    EXPECT_TRUE(tree.bClosed) << bytes;
    EXPECT_EQ(std::string::npos, tree.rest.find_first_not_of("\r\n\t ")) << bytes;
    EXPECT_EQ("", Difference(quick, tree.contacts)) << bytes;
    EXPECT_TRUE(!bPlain || AllTextsPlain(tree.contacts)) << bytes;
    if (pPlain) {
        *pPlain = bPlain;
    }
    return true;
}

CContactArray HostileValues() {
    CContactArray contacts;
    CContact plain;
    plain.lastname = "Meier";
    plain.firstname = "Anna";
    plain.homeemail = "anna@example.org";
    contacts.Add(plain);
    CContact odd;
    // Everything a value may hold between its quotes: markup, an apostrophe, a raw line break,
    // a NUL, bytes that are no UTF-8, a slash just before the closing quote.
    odd.lastname = CString("a<b>c'd\r\ne\0f", 12);
    odd.firstname = "\xC3\x89lise \xFF";
    odd.company = "x/";
    odd.homephone = "&amp;quote; &quote; &amp;amp;quote; & &amp;"; // an ampersand's stored forms
    odd.note = CString('n', 600 * 1024); // longer than the reader's window
    CContactValue address{EValueKind::address, "work", "a\"<b>", ""};
    address.SetAddressPart(addressStreet, "1 Main St\\r\\nBack door");
    address.SetAddressPart(addressCountry, CString("\xFF\0z", 3));
    odd.values = {{EValueKind::phone, "mobile", "", "+44 7700 900123"}, address,
                  {EValueKind::custom, "", "Shoe size", CString('9', 300 * 1024)}};
    contacts.Add(odd);
    contacts.Add(CContact());
    return contacts;
}

} // namespace

TEST(SavedLayoutTest, TakesWhatTheWriterWritesInReadsOfAnySize) {
    std::string saved = BuildAddressBookDocument(HostileValues()).GetStdString();
    for (unsigned nMaxRead : {~0u, 4096u, 7u}) {
        EXPECT_TRUE(ExpectAgreement(saved, nMaxRead)) << nMaxRead;
    }
    EXPECT_TRUE(ExpectAgreement(BuildAddressBookDocument(CContactArray()).GetStdString()));
    // A hand-made book with an id element and fields in another order.
    EXPECT_TRUE(ExpectAgreement("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n\t<addressbook name=\"x\" value=\"\">\r\n"
                                "\t\t<entry id=\"\">\r\n\t\t\t<note value=\"n\"/>\r\n\t\t\t<id value=\" 42x\"/>\r\n"
                                "\t\t\t<note value=\"m\"/>\r\n\t\t</entry>\r\n\t</addressbook>\r\n"));
}

TEST(SavedLayoutTest, EveryChangedByteEitherLeavesTheLayoutOrReadsAlike) {
    CContactArray contacts;
    contacts.Add(HostileValues()[0]);
    contacts.Add(CContact());
    contacts[1].note = "a'b";
    contacts[1].values = {{EValueKind::date, "birthday", "", "--04-15"}};
    std::string saved = BuildAddressBookDocument(contacts).GetStdString();
    int nTaken = 0;
    int nRefused = 0;
    for (size_t i = 0; i < saved.size(); ++i) {
        std::vector<std::string> variants{saved.substr(0, i), saved.substr(0, i) + saved.substr(i + 1),
                                          saved.substr(0, i + 1) + saved.substr(i)};
        for (char c : std::string("\"<>/ '\n\rx=\t")) {
            variants.push_back(saved.substr(0, i) + c + saved.substr(i + 1));
        }
        for (const std::string& variant : variants) {
            (ExpectAgreement(variant) ? nTaken : nRefused)++;
        }
    }
    for (const char* pszAfter : {"x", "<a/>", "\r\n", "<!-- -->"}) {
        (ExpectAgreement(saved + pszAfter) ? nTaken : nRefused)++;
    }
    // Both ways are taken: a value changes freely, and the markup is checked byte by byte.
    EXPECT_GT(nTaken, 100);
    EXPECT_GT(nRefused, 1000);
}

TEST(SavedLayoutTest, AnUnreadableFileIsRefused) {
    std::string saved = BuildAddressBookDocument(HostileValues()).GetStdString();
    CMemoryFile file(saved);
    file.FailReadsFrom(saved.size() / 2);
    CContactArray contacts;
    EXPECT_FALSE(ReadSavedLayout(file, contacts));
    EXPECT_EQ(0, contacts.GetSize());
}

TEST(SavedLayoutTest, SaysWhetherEveryTextIsPlainUtf8) {
    const struct {
        std::string strText;
        bool bPlain;
    } cases[] = {
        {"Anna", true},
        {"\xC3\x89lise M\xC3\xBCller, 12 rue de la Paix", true},
        {"tab\there\r\nand \x7F", true},
        {"\xFF", false},
        {"caf\xC3", false}, // a character cut short
        {"\xE0\x80\x80 overlong", false},
        {std::string("nul\0", 4), false},
        {"1234567\x01", false},  // the last byte of a word of eight
        {"12345678\x1E", false}, // the byte after one
        {"\x1B[0m escape", false},
    };
    for (const auto& c : cases) {
        CString strText(c.strText.data(), static_cast<int>(c.strText.size()));
        for (int nWhere = 0; nWhere < 5; ++nWhere) {
            CContactArray contacts;
            contacts.Add(CContact());
            CContactValue address{EValueKind::address, "home", "", ""};
            address.SetAddressPart(addressLocality, nWhere == 4 ? strText : CString("Leeds"));
            contacts[0].values = {{EValueKind::phone, nWhere == 1 ? strText : CString("work"),
                                   nWhere == 2 ? strText : CString(), nWhere == 3 ? strText : CString("1")},
                                  address};
            if (nWhere == 0) {
                contacts[0].note = strText;
            }
            bool bPlain = !c.bPlain;
            EXPECT_TRUE(ExpectAgreement(BuildAddressBookDocument(contacts).GetStdString(), ~0u, &bPlain));
            EXPECT_EQ(c.bPlain, bPlain) << c.strText << " in place " << nWhere;
        }
    }
}
