#include "data/ContactArray.h"
#include "data/ContactSearchIndex.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CContact Named(const char* pszLast, const char* pszFirst) {
    CContact c;
    c.lastname = pszLast;
    c.firstname = pszFirst;
    return c;
}

// The search rule, field by field: the text in any field as the user typed it, both lower-cased.
bool HoldsText(const CContact& contact, const char* pszText) {
    CString strNeedle(pszText);
    strNeedle.MakeLower();
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        CString strField(contact.DisplayText(f));
        if (strField.MakeLower().Find(strNeedle) >= 0) {
            return true;
        }
    }
    return false;
}

// What the search index finds in this one contact.
int Matches(const CContact& contact, const char* pszText) {
    CContactArray contacts;
    contacts.Add(contact);
    CContactSearchIndex index;
    index.Build(contacts);
    CDWordArray hits;
    index.Find(pszText, hits);
    return hits.GetSize();
}

} // namespace

TEST(ContactTest, MatchesFindsTextInAnyFieldIgnoringCase) {
    CContact c;
    EXPECT_EQ(1, Matches(c, "")); // an empty text is in every field, even an empty one
    EXPECT_EQ(0, Matches(c, "a"));
    c.company = "Smithson Ltd";
    EXPECT_EQ(1, Matches(c, "SMITH"));
    EXPECT_EQ(1, Matches(c, "son l"));
    EXPECT_EQ(0, Matches(c, "smithsonltd"));
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        CContact d;
        d.FieldAt(f) = "\xC3\x89lise";
        EXPECT_EQ(1, Matches(d, "\xC3\xA9LISE")) << "field " << f;
    }
}

// The search sees what the user typed, not the stored form.
TEST(ContactTest, MatchesSeesWhatTheUserTyped) {
    CContact c;
    c.note = "say &quote;hi&quote;\\r\\nbye";
    EXPECT_EQ(1, Matches(c, "\"hi\""));
    EXPECT_EQ(1, Matches(c, "hi\"\r\nbye"));
    EXPECT_EQ(0, Matches(c, "quote"));
    EXPECT_EQ(0, Matches(c, "\\r\\n"));
    c.marked = 7;
    c.id = 7;
    c.note.Empty();
    EXPECT_EQ(0, Matches(c, "7")); // the integers are not searched
}

TEST(ContactTest, IsEmptyIgnoresTheNote) {
    CContact c;
    EXPECT_EQ(1, c.IsEmpty());
    c.note = "only a note";
    EXPECT_EQ(1, c.IsEmpty());
    c.officeaddress = "x";
    EXPECT_EQ(0, c.IsEmpty());
    CContact further;
    further.values = {{EValueKind::date, "birthday", "", "--04-15"}};
    EXPECT_EQ(0, further.IsEmpty());
}

TEST(ContactTest, StoredFormEncodesLineBreaksOnlyInMultiLineFields) {
    CContact c;
    c.lastname = "O\"Brien\r\n";
    c.homeaddress = "1 \"Main\" St\r\nTown";
    c.note = "a\r\nb\nc\r\r\n\"d\"\re\r"; // a CR alone stays as it is
    c.EncodeStoredText();
    EXPECT_EQ("O&quote;Brien\r\n", c.lastname);
    EXPECT_EQ("1 &quote;Main&quote; St\\r\\nTown", c.homeaddress);
    EXPECT_EQ("a\\r\\nb\nc\r\\r\\n&quote;d&quote;\re\r", c.note);
    c.DecodeStoredText();
    EXPECT_EQ("O\"Brien\r\n", c.lastname);
    EXPECT_EQ("1 \"Main\" St\r\nTown", c.homeaddress);
    EXPECT_EQ("a\r\nb\nc\r\r\n\"d\"\re\r", c.note);
}

TEST(ContactTest, TypedQuoteSequencesComeBackExactlyAndOlderBooksKeepTheirMeaning) {
    const struct {
        const char* pszTyped;
        const char* pszStored;
    } cases[] = {
        {"&quote;", "&amp;quote;"},
        {"&amp;quote;", "&amp;amp;quote;"},
        {"\"&quote;\"", "&quote;&amp;quote;&quote;"},
        {"&&quote;&", "&&amp;quote;&"},
        // As books have always held them: an ampersand before anything else stays.
        {"Smith & Sons \"Q\"", "Smith & Sons &quote;Q&quote;"},
        {"&amp; &lt;", "&amp; &lt;"},
        {"&quote", "&quote"},
    };
    for (const auto& c : cases) {
        CContact contact;
        contact.company = c.pszTyped;
        contact.EncodeStoredText();
        EXPECT_EQ(c.pszStored, contact.company);
        EXPECT_EQ(c.pszTyped, contact.DisplayText(CContact::fieldCompany));
        EXPECT_EQ(c.pszTyped, DisplayTextOf(contact.company));
        contact.DecodeStoredText();
        EXPECT_EQ(c.pszTyped, contact.company);
    }
    // The stored line break has no escape of its own: typed literally, it decodes.
    CContact c;
    c.note = "\\r\\n";
    c.EncodeStoredText();
    c.DecodeStoredText();
    EXPECT_EQ("\r\n", c.note);
}

TEST(ContactTest, CopiesCarryEveryMember) {
    CContact a;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        a.FieldAt(f) = CString(CContact::FieldTag(f));
    }
    a.id = 5;
    a.marked = 1;
    a.values = {{EValueKind::phone, "mobile", "Holidays", "555 1"}};
    CContact b;
    b.CopyFrom(a);
    CContact c(a);
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        EXPECT_EQ(CContact::FieldTag(f), b.FieldAt(f));
        EXPECT_EQ(CContact::FieldTag(f), c.FieldAt(f));
    }
    EXPECT_EQ(5, b.id);
    EXPECT_EQ(1, b.marked);
    EXPECT_TRUE(a.values == b.values && a.values == c.values);
    EXPECT_EQ(&a.lastname, &a.FieldAt(CContact::fieldLastName));
    EXPECT_EQ(&a.note, &a.FieldAt(CContact::fieldNote));
    EXPECT_EQ(&a.officeaddress, &a.FieldAt(CContact::fieldOfficeAddress));
}

TEST(ContactArrayTest, FindMarkedContactReturnsTheFirstMarked) {
    CContactArray contacts;
    EXPECT_EQ(-1, contacts.FindMarkedContact());
    contacts.Add(Named("a", ""));
    contacts.Add(Named("b", ""));
    contacts.Add(Named("c", ""));
    EXPECT_EQ(-1, contacts.FindMarkedContact());
    contacts[2].marked = 1;
    EXPECT_EQ(2, contacts.FindMarkedContact());
    contacts[1].marked = -3;
    EXPECT_EQ(1, contacts.FindMarkedContact());
    contacts.RemoveAt(0);
    EXPECT_EQ("b", contacts[0].lastname);
    EXPECT_EQ("c", contacts[1].lastname);
}

// The index the main window searches through finds exactly what the rule finds, each contact
// once, and never across two fields or two contacts.
TEST(ContactTest, SearchIndexFindsWhatMatchesFinds) {
    CContactArray contacts;
    contacts.Add(Named("Smith", "Anne"));
    contacts.Add(Named("\xC3\x89lise", "Smithson"));  // a hit in two fields counts once
    contacts.Add(Named("Jones", "Bob"));
    contacts.Add(Named("", ""));
    contacts[3].note = "Likes SMITH &quote;jr&quote;";
    contacts.Add(Named("Abab", "Caaab"));
    contacts.Add(Named("Baab", "Xyxy"));
    CContactSearchIndex index;
    index.Build(contacts);
    // Texts looked for by a byte other than their first, near misses and overlaps among them.
    const char* const searches[] = {"smith", "\xC3\xA9LISE", "sjones",  "hbob", "ne",
                                    " ",     "\"j",          "&quote;", "zzz",  "",
                                    "aab",   "bab",          "xyxy",    "yx",   "abc"};
    for (const char* pszSearch : searches) {
        SCOPED_TRACE(pszSearch);
        CDWordArray hits;
        index.Find(pszSearch, hits);
        std::vector<int> found, expected;
        for (int i = 0; i < hits.GetSize(); ++i) {
            found.push_back(static_cast<int>(hits[i]));
        }
        for (int i = 0; i < contacts.GetSize(); ++i) {
            if (HoldsText(contacts[i], pszSearch)) {
                expected.push_back(i);
            }
        }
        EXPECT_EQ(expected, found);
    }
    CDWordArray hits;
    index.Find("smith", hits);
    EXPECT_EQ(3, hits.GetSize());
}

// A search for a number finds it however the number is written, in any phone or fax field; a
// search with anything but digits and phone punctuation finds text only.
TEST(ContactTest, NumbersAreFoundHoweverTheyAreWritten) {
    const struct {
        const char* pszSearch;
        int nField;
        const char* pszValue;
        bool bFound;
    } cases[] = {
        {"555 0101", CContact::fieldHomePhone, "(555) 010-1234", true},
        {"5550101", CContact::fieldOfficeFax, "(555) 010-1234", true},
        {"+49 30 1234", CContact::fieldMobile, "030 1234 567", true},
        {"030/1234", CContact::fieldOfficePhone, "+49 (30) 1234-567", true},
        {"0049 30 1234", CContact::fieldHomePhone, "030-1234567", true},
        {"+49 30 1234", CContact::fieldHomePhone, "+43 30 1234567", false},
        {"555 0101", CContact::fieldNote, "(555) 010-1234", false}, // not a phone field
        {"555-01x", CContact::fieldHomePhone, "(555) 010-1234", false},
        {"10-1", CContact::fieldHomePhone, "(555) 010-1234", true}, // the text itself is there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszSearch) + " in " + c.pszValue);
        CContactArray contacts;
        contacts.Add(Named("Other", "Number"));
        contacts[0].homephone = "+1 212 555 0199";
        contacts.Add(Named("Lee", "Jo"));
        contacts[1].FieldAt(c.nField) = c.pszValue;
        CContactSearchIndex index;
        index.Build(contacts);
        CDWordArray hits;
        index.Find(c.pszSearch, hits);
        EXPECT_EQ(c.bFound ? 1 : 0, hits.GetSize());
    }
}

// A search finds the further values as the user reads them, their own labels too, and a third
// number however it is written.
TEST(ContactTest, SearchFindsEveryFurtherValue) {
    CContactValue address{EValueKind::address, "work", "", ""};
    address.SetAddressPart(addressStreet, "1 Main St");
    address.SetAddressPart(addressLocality, "Leeds");
    const struct {
        CContactValue value;
        const char* pszSearch;
        bool bFound;
    } cases[] = {
        {{EValueKind::phone, "mobile", "", "(555) 010-1234"}, "5550101", true},
        {{EValueKind::phone, "", "Holidays", "1"}, "holiday", true},
        {{EValueKind::email, "", "", "ann@example.org"}, "ANN@", true},
        {{EValueKind::custom, "", "Shoe", "say &quote;hi&quote;"}, "\"hi\"", true},
        {address, "leeds", true},
        {address, "st\x1fleeds", false}, // the parts are not one text
        {{EValueKind::email, "", "", "5550101"}, "555 0101", false}, // not a number
        {{EValueKind::custom, "", "", "LEEDS Office"}, "leeds o", true},
        {{EValueKind::custom, "", "", "\xC3\x89" "COLE Centrale"}, "\xC3\xA9" "cole c", true},
        {{EValueKind::custom, "", "A\x1F" "B", "1"}, "a\x1F" "b", true}, // a label has no parts
        {{EValueKind::custom, "", "", "p0\x1Fp1\x1Fp2\x1Fp3\x1Fp4\x1Fp5\x1FP6"}, "p6", true},
        {{EValueKind::custom, "", "", "p0\x1Fp1\x1Fp2\x1Fp3\x1Fp4\x1Fp5\x1Fp6\x1FP7"}, "p7", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszSearch);
        CContactArray contacts;
        contacts.Add(Named("Other", "Number"));
        contacts.Add(Named("Lee", "Jo"));
        contacts[1].values = {c.value};
        CContactSearchIndex index;
        index.Build(contacts);
        CDWordArray hits;
        index.Find(c.pszSearch, hits);
        ASSERT_EQ(c.bFound ? 1 : 0, hits.GetSize());
        EXPECT_TRUE(!c.bFound || hits[0] == 1);
    }
}
