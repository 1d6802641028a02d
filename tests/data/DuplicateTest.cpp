// Duplicates: which contacts are one person (a table of pairs), how a group is merged without
// losing a value, and a merge taken back by Undo.
#include "data/ContactIdentity.h"
#include "data/ContactMerger.h"
#include "data/DuplicateFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// "first|last|company|home phone|mobile|office phone|home e-mail|office e-mail"
CContact Parse(const char* pszSpec) {
    static const int kFields[] = {CContact::fieldFirstName, CContact::fieldLastName,
                                  CContact::fieldCompany,   CContact::fieldHomePhone,
                                  CContact::fieldMobile,    CContact::fieldOfficePhone,
                                  CContact::fieldHomeEMail, CContact::fieldOfficeEMail};
    CContact contact;
    std::string strSpec = pszSpec;
    size_t nStart = 0;
    for (int nField : kFields) {
        size_t nEnd = strSpec.find('|', nStart);
        contact.FieldAt(nField) = strSpec.substr(nStart, nEnd - nStart).c_str();
        nStart = nEnd == std::string::npos ? strSpec.size() : nEnd + 1;
    }
    return contact;
}

} // namespace

// A pair of contacts, and whether and why they are grouped.
TEST(DuplicateTest, PairsAreOnePersonByNameAndAnAddressOrNumber) {
    const struct {
        const char* pszA;
        const char* pszB;
        const char* pszReason; // nullptr: not grouped
    } cases[] = {
        {"Anna|Meier||||||anna.meier@example.org", "Meier|Anna||||||ANNA.Meier@Example.org",
         "same name and e-mail"},
        {" anna |  MEIER|||||a@x.org", "Anna Meier||||||Anna <a@x.org>", "same name and e-mail"},
        {"J\xC3\xBCrgen|M\xC3\xBCller|||+49 30 1234567", "Jurgen|Muller||030 1234567", "same name and phone"},
        {"Jo|Lee||0049 30 1234567", "Jo|Lee||||+49 (30) 123-4567", "same name and phone"},
        {"Jo|Lee||(555) 010-1234", "Jo|Lee|||555.010.1234", "same name and phone"},
        {"Jo|Lee||+44 20 7946 0018", "Jo|Lee||020 7946 0018", "same name and phone"},
        {"Jo|Lee||+353 1 234 5678", "Jo|Lee||01 234 5678", "same name and phone"}, // a code of three
        {"Jo|Lee||+33 1 23 45 67 89|||jo@lee.fr", "Jo|Lee|||01 23 45 67 89||jo@lee.fr",
         "same name, e-mail and phone"},
        {"Jo|Lee||+1 555 010 1234 ext. 12", "Jo|Lee||15550101234", "same name and phone"},
        {"||Acme GmbH|030 999999", "||ACME  GmbH|+49 30 999999", "same name and phone"},
        // Not one person for certain.
        {"Jo|Lee||+49 30 1234567", "Jo|Lee||+43 30 1234567", nullptr},
        {"Jo|Lee||112", "Jo|Lee||112", "same name"},
        {"Anna|Meier||||||family@example.org", "Bernd|Meier||||||family@example.org",
         "same e-mail, other name"},
        {"Anna|Meier||||||anna@example.org", "Anna|Meier||555 0101", "same name"},
        {"Anna|Meier|Acme|||||anna@example.org", "Anna|Meier|Globex|555 0101", nullptr},
        {"Anna|Meier||555 0101", "Anna|Meier||555 0202", nullptr},
        {"Anna|Meier||555 0101", "Ann|Meier||555 0101", "same phone, other name"},
        {"||||555 0101", "||||555 0101", "same phone, other name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszA) + " / " + c.pszB);
        CContactArray contacts;
        contacts.Add(Parse(c.pszA));
        contacts.Add(Parse(c.pszB));
        std::vector<CDuplicateGroup> groups = FindDuplicates(contacts);
        if (!c.pszReason) {
            EXPECT_TRUE(groups.empty()) << DuplicateReasonText(groups[0].reason);
            continue;
        }
        ASSERT_EQ(1u, groups.size());
        EXPECT_STREQ(c.pszReason, DuplicateReasonText(groups[0].reason));
        EXPECT_EQ((std::vector<int>{0, 1}), groups[0].contacts);
        EXPECT_EQ(groups[0].IsCertain(), IsSamePerson(contacts[0], contacts[1]));
    }
}

// Groups join through any shared value, certain ones come first, and a book where every contact
// has the same name is still grouped in one pass.
TEST(DuplicateTest, GroupsFollowChainsAndStayLinearForOneName) {
    CContactArray contacts;
    for (const char* pszSpec : {"Anna|Meier||555 0101", "Bernd|Roth", "Anna|Meier||555 0101|||a@m.de",
                                "Meier|Anna||||||a@m.de", "Bernd|Roth|||||b@r.de", "Bernd|Roth|Globex"}) {
        contacts.Add(Parse(pszSpec));
    }
    std::vector<CDuplicateGroup> groups = FindDuplicates(contacts);
    ASSERT_EQ(2u, groups.size());
    EXPECT_EQ((std::vector<int>{0, 2, 3}), groups[0].contacts);
    EXPECT_EQ(DuplicateReason::sameNameEmailAndPhone, groups[0].reason);
    EXPECT_EQ((std::vector<int>{1, 4, 5}), groups[1].contacts); // nothing disagrees among the three
    EXPECT_EQ(1u, FindDuplicates(contacts, true).size());

    CContactArray many;
    for (int i = 0; i < 20000; ++i) {
        many.Add(Parse(("Same|Name||555 " + std::to_string(100000 + i)).c_str()));
    }
    many.Add(Parse("Same|Name||555 100007"));
    groups = FindDuplicates(many);
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ((std::vector<int>{7, 20000}), groups[0].contacts);
}

// Every value of every merged contact is found in the merged one: in its field, as a further
// value of its field's kind, in the note, or (a name in other words) as the merged name itself.
TEST(DuplicateTest, MergingKeepsEveryValue) {
    typedef CContact C;
    const struct {
        std::vector<const char*> specs;
        std::vector<const char*> notes;
        CMergeChoices choices;
        const char* pszMobile;
        const char* pszNote;
        std::vector<CContactValue> values;
    } cases[] = {
        {{"Anna|Meier|||0171 555", "Meier|Anna|Acme||0171 5550"},
         {"", ""},
         {},
         "0171 5550",
         "",
         {FieldValueOf(C::fieldMobile, "0171 555")}},
        {{"Anna|Meier|||0171 555", "Anna|Meier|Acme||0171 5550"},
         {"met in Rome", "met in Rome\\r\\nlikes tea"},
         {-1, -1, -1, -1, -1, -1, 0},
         "0171 555",
         "met in Rome\\r\\nlikes tea",
         {FieldValueOf(C::fieldMobile, "0171 5550")}},
        {{"Anna|Meier||1|||a@x.org", "Anna|Meier||2|||b@x.org", "Anna|Meier||1"},
         {"Home phone: 2", "", ""},
         {},
         "",
         "Home phone: 2",
         {FieldValueOf(C::fieldHomeEMail, "b@x.org")}},
    };
    for (const auto& c : cases) {
        std::vector<CContact> contacts;
        for (size_t i = 0; i < c.specs.size(); ++i) {
            contacts.push_back(Parse(c.specs[i]));
            contacts.back().note = c.notes[i];
        }
        CContact merged = MergeContacts(contacts, c.choices);
        SCOPED_TRACE(merged.note.GetStdString());
        EXPECT_STREQ(c.pszMobile, merged.mobile.GetString());
        EXPECT_STREQ(c.pszNote, merged.note.GetString());
        EXPECT_TRUE(c.values == merged.values);
        for (const CContact& contact : contacts) {
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                const CString& strValue = contact.FieldAt(f);
                const std::vector<CContactValue>& held = merged.values;
                bool bKept = strValue.IsEmpty() || merged.FieldAt(f) == strValue ||
                             merged.note.Find(strValue) >= 0 ||
                             std::find(held.begin(), held.end(), FieldValueOf(f, strValue)) != held.end() ||
                             ((f == CContact::fieldFirstName || f == CContact::fieldLastName) &&
                              (merged.firstname == strValue || merged.lastname == strValue));
                EXPECT_TRUE(bKept) << CContact::FieldTag(f) << " " << strValue.GetString();
            }
        }
    }
    // A merged contact changed afterwards (another number typed, the note emptied) gets back
    // what it no longer holds, and nothing twice.
    std::vector<CContact> contacts = {Parse("Anna|Meier|||0171 555"), Parse("Anna|Meier|||0171 5550")};
    contacts[1].note = "likes tea";
    CContact changed = MergeContacts(contacts);
    changed.mobile = "0171 9";
    changed.note = "Mobile: 0171 5550";
    for (int nTimes = 0; nTimes < 2; ++nTimes) {
        KeepEveryValue(changed, contacts);
        EXPECT_STREQ("Mobile: 0171 5550\\r\\nlikes tea", changed.note.GetString());
        EXPECT_TRUE(changed.values == std::vector<CContactValue>{FieldValueOf(C::fieldMobile, "0171 555")});
    }
}

// An import large enough to be read on several threads finds the holder of each contact as the
// pairwise rule does: the first of the book's contacts and the earlier imported ones that is the
// same person, an imported one standing for what holds it. Names repeat, and so do numbers in
// their two forms. Names shared by thousands of contacts, and names shared by a few (each name's
// contacts are compared another way when they are few).
TEST(DuplicateTest, ALargeImportFindsWhatThePairwiseRuleFinds) {
    const char* const kNames[] = {"Anna|Meier", "Meier|Anna", "Bo|Li", "Jo|Doe", "|", "Only|Once"};
    const char* const kNumbers[] = {"+49 30 1234", "030 1234", "555 0100", "", "555 0199"};
    const char* const kAddresses[] = {"", "x@example.org", "Xa <X@Example.org>", "y@example.org"};
    for (int nNameSuffixes : {1, 700}) {
        auto make = [&](int i) {
            std::string strSpec = std::string(kNames[i % 6]) + "||" + kNumbers[(i / 6) % 5] + "|||";
            strSpec += kAddresses[(i / 7) % 4];
            CContact contact = Parse(strSpec.c_str());
            if (i % 6 == 5) {
                contact.lastname.Format("Once %d", i); // a name no other contact has
            } else if (nNameSuffixes > 1 && !contact.lastname.IsEmpty()) {
                contact.lastname += CString(std::to_string(i % nNameSuffixes).c_str());
            }
            return contact;
        };
        CContactArray book, imported;
        for (int i = 0; i < 3000; ++i) {
            // The book lacks one of the names, whose contacts only the import's then hold.
            if (i * 13 % 6 != 2) {
                book.Add(make(i * 13));
            }
            imported.Add(make(i * 7 + 1));
        }
        const std::vector<int> holders = FindHoldingContacts(book, imported);
        ASSERT_EQ(static_cast<size_t>(imported.GetSize()), holders.size());
        // The names first, so that the rule is asked only of contacts that may be one person.
        struct CKnown {
            std::string strName;
            const CContact* pContact;
            int nHolder;
        };
        std::vector<CKnown> known;
        for (int i = 0; i < book.GetSize(); ++i) {
            known.push_back({NameKey(book[i]), &book[i], i});
        }
        int nHeld = 0, nHeldByImported = 0;
        for (int i = 0; i < imported.GetSize(); ++i) {
            const std::string strName = NameKey(imported[i]);
            int nHolder = -1;
            for (const CKnown& other : known) {
                if (other.strName == strName && IsSamePerson(*other.pContact, imported[i]) &&
                    (nHolder < 0 || other.nHolder < nHolder)) {
                    nHolder = other.nHolder;
                }
            }
            ASSERT_EQ(nHolder, holders[static_cast<size_t>(i)])
                << i << " with " << nNameSuffixes << " suffixes";
            nHeld += nHolder >= 0;
            nHeldByImported += nHolder >= book.GetSize();
            known.push_back({strName, &imported[i], nHolder >= 0 ? nHolder : book.GetSize() + i});
        }
        EXPECT_GT(nHeld, 0);
        EXPECT_GT(nHeldByImported, 0);
        EXPECT_LT(nHeld, imported.GetSize());
    }
}

// One value written two ways is one value to a merge: no line in the note, and the first
// contact's spelling. Values that only look alike stay two, and so do fields other than phones
// and e-mail addresses in another case.
TEST(DuplicateTest, AValueWrittenTwoWaysIsMergedAsOne) {
    typedef CContact C;
    const struct {
        int nField;
        const char* pszFirst;
        const char* pszSecond;
        bool bSame;
    } cases[] = {
        {C::fieldMobile, "+1 425 555 0199", "+14255550199", true},
        {C::fieldHomePhone, "+1 425 555 0199", "001 (425) 555-0199", true},
        {C::fieldOfficeFax, "(555) 010-1234", "555.010.1234", true},
        {C::fieldOfficePhone, "555 0100 ext. 12", "5550100 EXT 12", true},
        {C::fieldHomeEMail, "Anna.Meier@Example.org", "anna.meier@example.ORG", true},
        {C::fieldOfficeEMail, "Anna <Anna@Example.org>", "anna <anna@example.org>", true},
        {C::fieldMobile, "+49 30 1234567", "030 1234567", false}, // only one says the country
        {C::fieldMobile, "+49 30 1234567", "+43 30 1234567", false},
        {C::fieldMobile, "555 0100 ext. 12", "555 0100 ext. 13", false},
        {C::fieldMobile, "home 555 0100", "office 555 0100", false},
        {C::fieldMobile, "0171 555", "0171 5550", false},
        {C::fieldMobile, "112", "1 12", false}, // too short to be read as a number
        {C::fieldHomeEMail, "anna@example.org", "anna@example.com", false},
        {C::fieldCompany, "Acme", "ACME", false},
        {C::fieldHomeWWW, "Example.org", "example.org", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszFirst) + " / " + c.pszSecond);
        std::vector<CContact> contacts = {Parse("Anna|Meier"), Parse("Anna|Meier")};
        contacts[0].FieldAt(c.nField) = c.pszFirst;
        contacts[1].FieldAt(c.nField) = c.pszSecond;
        EXPECT_EQ(c.bSame, IsSameValue(c.nField, c.pszFirst, c.pszSecond));
        const int nChoice = DefaultMergeChoice(contacts, c.nField);
        EXPECT_EQ(c.bSame, nChoice < 0);
        CContact merged = MergeContacts(contacts);
        const CString& strKept = contacts[static_cast<size_t>(std::max(nChoice, 0))].FieldAt(c.nField);
        const CString& strOther = contacts[nChoice == 1 ? 0 : 1].FieldAt(c.nField);
        EXPECT_EQ(strKept, merged.FieldAt(c.nField));
        EXPECT_TRUE(merged.note.IsEmpty()) << merged.note.GetString();
        const std::vector<CContactValue> other = {FieldValueOf(c.nField, strOther)};
        EXPECT_EQ(c.bSame, merged.values.empty());
        EXPECT_EQ(!c.bSame, merged.values == other);
        // Asked again, as after an edit of the merged contact, it adds nothing.
        const CContact before = merged;
        KeepEveryValue(merged, contacts);
        EXPECT_TRUE(before.note == merged.note && before.values == merged.values);
    }
}

// A contact merged into another gains the values it lacks: in empty fields, else as further
// values, and nothing that it holds anywhere already (a number in another phone field, an address in
// another case, a value in the note, the name in another order).
TEST(DuplicateTest, MergingIntoAContactAddsOnlyWhatItLacks) {
    typedef CContact C;
    const struct {
        const char* pszInto; // as Parse reads it
        const char* pszNote;
        const char* pszOther;
        const char* pszOtherNote;
        std::vector<int> gained;
        const char* pszResult; // nullptr: as it was
        const char* pszResultNote;
    } cases[] = {
        {"Anna|Meier|||+1 425 555 0199",
         "",
         "Anna|Meier|Acme|555 0100|+14255550199",
         "",
         {C::fieldCompany, C::fieldHomePhone},
         "Anna|Meier|Acme|555 0100|+1 425 555 0199",
         ""},
        {"Anna|Meier||555 0100",
         "",
         "Anna|Meier||555 0200|||a@x.org",
         "likes tea",
         {C::fieldHomePhone, C::fieldHomeEMail, C::fieldNote},
         "Anna|Meier||555 0100|||a@x.org",
         "likes tea"},
        {"Anna|Meier||555 0100||||A@X.org",
         "Mobile: 0171 5550100\\r\\nlikes tea",
         "Meier|Anna|||555-0100|0171 5550100|a@x.org",
         "likes tea",
         {},
         nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszOther);
        CContact contact = Parse(c.pszInto);
        contact.note = c.pszNote;
        CContact other = Parse(c.pszOther);
        other.note = c.pszOtherNote;
        CContact expected = contact;
        if (c.pszResult) {
            expected = Parse(c.pszResult);
            expected.note = c.pszResultNote;
        }
        EXPECT_EQ(c.gained, MergeInto(contact, other));
        // A number in conflict is a further value of its field's kind.
        const bool bConflict = std::find(c.gained.begin(), c.gained.end(), C::fieldHomePhone) != c.gained.end() &&
                               !contact.homephone.IsEmpty() && contact.homephone != other.homephone;
        EXPECT_EQ(bConflict, contact.values == std::vector<CContactValue>{FieldValueOf(C::fieldHomePhone, other.homephone)});
        for (int f = 0; f < C::kFieldCount; ++f) {
            EXPECT_STREQ(expected.FieldAt(f).GetString(), contact.FieldAt(f).GetString()) << C::FieldTag(f);
        }
    }
}

// Further values are kept as values by both kinds of merge, each once, in the order met.
TEST(DuplicateTest, FurtherValuesAreKeptAsValuesEachOnce) {
    const CContactValue kBirthday{EValueKind::date, "birthday", "", "1980-04-15"};
    const CContactValue kThird{EValueKind::phone, "mobile", "", "555 0300"};
    const CContactValue kGroup{EValueKind::group, "", "", "Chess club"};
    CContact a = Parse("Anna|Meier||555 0100");
    a.values = {kBirthday, kThird};
    CContact b = Parse("Anna|Meier||555 0100");
    b.values = {kThird, kGroup};

    CContact merged = MergeContacts({a, b});
    EXPECT_TRUE((std::vector<CContactValue>{kBirthday, kThird, kGroup}) == merged.values);
    EXPECT_EQ("", merged.note.GetStdString());

    CContact into = a;
    EXPECT_EQ(std::vector<int>{kFurtherValues}, MergeInto(into, b));
    EXPECT_TRUE(merged.values == into.values);
    EXPECT_TRUE(MergeInto(into, b).empty()); // nothing more to gain
}

// Every further number and e-mail address counts as the person's: one shared makes a pair.
TEST(DuplicateTest, FurtherNumbersAndAddressesMakePairs) {
    const struct {
        CContactValue value;
        bool bSame;
    } cases[] = {
        {{EValueKind::phone, "pager", "", "+1 425 555 0199"}, true},
        {{EValueKind::email, "", "", "Anna <ANNA@example.org>"}, true},
        {{EValueKind::web, "", "", "anna@example.org"}, false}, // not an address to write to
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.text.GetString());
        CContact a = Parse("Anna|Meier||555 0100");
        CContact b = Parse("Anna|Meier"); // its number and address are further values only
        a.values = {c.value};
        b.values = {{EValueKind::phone, "", "", "+14255550199"}, {EValueKind::email, "", "", "anna@example.org"}};
        EXPECT_EQ(c.bSame, IsSamePerson(a, b));
    }
}
