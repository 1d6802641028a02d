#include "data/ContactSort.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The list's defining sort, step by step: fresh copies at every comparison, whole records
// exchanged when CompareContacts says so.
void ExchangeSort(CContactArray& contacts) {
    int n = contacts.GetSize();
    for (int i = 0; i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j) {
            CContact p = contacts.GetAt(i);
            CContact q = contacts.GetAt(j);
            if (CompareContacts(p, q)) {
                contacts[i] = q;
                contacts[j] = p;
            }
        }
    }
}

CContact Named(const char* pszLast, const char* pszFirst, int id) {
    CContact c;
    c.lastname = pszLast;
    c.firstname = pszFirst;
    c.id = id;
    return c;
}

std::vector<int> Ids(const CContactArray& contacts) {
    std::vector<int> ids;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        ids.push_back(contacts[i].id);
    }
    return ids;
}

} // namespace

TEST(ContactSortTest, CompareAsksForAnExchangeWhenTheSecondIsNotHigher) {
    EXPECT_EQ(0, CompareContacts(Named("alpha", "", 0), Named("Zeta", "", 0)));
    EXPECT_NE(0, CompareContacts(Named("Zeta", "", 0), Named("alpha", "", 0)));
    EXPECT_NE(0, CompareContacts(Named("Brown", "Anna", 0), Named("brown", "anna", 0)));
    EXPECT_NE(0, CompareContacts(Named("brown", "anna", 0), Named("Brown", "Anna", 0)));
    EXPECT_EQ(0, CompareContacts(Named("Brown", "Anna", 0), Named("brown", "Bob", 0)));
    EXPECT_NE(0, CompareContacts(Named("\xE2\x82\xAC", "", 0), Named("zz", "", 0)));
    EXPECT_NE(0, CompareContacts(Named("\xC3\x89", "", 0), Named("\xC3\xA9", "", 0)));
}

TEST(ContactSortTest, SortsByLastThenFirstNameIgnoringCase) {
    CContactArray contacts;
    contacts.Add(Named("Zeta", "a", 1));
    contacts.Add(Named("alpha", "b", 2));
    contacts.Add(Named("Alpha", "A", 3));
    contacts.Add(Named("\xE2\x82\xACuro", "", 4));
    contacts.Add(Named("", "z", 5));
    SortContacts(contacts);
    EXPECT_EQ((std::vector<int>{5, 3, 2, 1, 4}), Ids(contacts));
}

TEST(ContactSortTest, OrderEqualsTheExchangeSortOnNamesEqualApartFromCase) {
    static const char* const names[] = {"", "a", "A", "ab", "aB", "Ab", "b", "\xC3\xA9", "\xC3\x89",
                                        "\xE2\x82\xAC", "a\xC3\xA9", "A\xC3\x89",
                                        // equal in their first eight bytes, apart from case
                                        "Abcdefgh", "abcdefghi", "ABCDEFGHa", "abcdefgh\xC3\xA9"};
    const int nNames = sizeof names / sizeof names[0];
    std::mt19937 rng(20261207);
    for (int round = 0; round < 400; ++round) {
        // Mostly short lists; some long enough to be more runs than are merged.
        int n = static_cast<int>(round % 8 == 0 ? 100 + rng() % 150 : rng() % 40);
        CContactArray contacts;
        for (int i = 0; i < n; ++i) {
            CContact c = Named(names[rng() % 4 == 0 ? rng() % nNames : rng() % 3],
                               names[rng() % 3 == 0 ? rng() % nNames : rng() % 3], i);
            c.note.Format("note of %d", i);
            contacts.Add(c);
        }
        CContactArray reference(contacts);
        ExchangeSort(reference);
        SortContacts(contacts);
        ASSERT_EQ(Ids(reference), Ids(contacts)) << "round " << round;
        for (int i = 0; i < n; ++i) {
            CString strNote;
            strNote.Format("note of %d", contacts[i].id);
            ASSERT_EQ(strNote, contacts[i].note); // whole records moved together
        }
        // A sorted list sorted again, and with one contact renamed, as after a refill or an edit.
        if (n > 0) {
            contacts[static_cast<int>(rng() % static_cast<unsigned>(n))].lastname = names[rng() % nNames];
        }
        reference = contacts;
        ExchangeSort(reference);
        SortContacts(contacts);
        ASSERT_EQ(Ids(reference), Ids(contacts)) << "round " << round << ", sorted again";
    }
}

TEST(ContactSortTest, EqualNamesTradePlacesOnEverySort) {
    CContactArray contacts;
    contacts.Add(Named("Brown", "Anna", 1));
    contacts.Add(Named("brown", "anna", 2));
    EXPECT_TRUE(SortContacts(contacts));
    EXPECT_EQ((std::vector<int>{2, 1}), Ids(contacts));
    EXPECT_TRUE(SortContacts(contacts));
    EXPECT_EQ((std::vector<int>{1, 2}), Ids(contacts));
}

// Whether anything moved decides whether what was built over the order (the search index) stays.
TEST(ContactSortTest, SaysWhetherAnyContactMoved) {
    CContactArray contacts;
    contacts.Add(Named("Adams", "", 1));
    contacts.Add(Named("Baker", "", 2));
    EXPECT_FALSE(SortContacts(contacts));
    contacts.Add(Named("Aaron", "", 3));
    EXPECT_TRUE(SortContacts(contacts));
    EXPECT_EQ((std::vector<int>{3, 1, 2}), Ids(contacts));
    EXPECT_FALSE(SortContacts(contacts));
}
