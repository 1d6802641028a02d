// The groups a book's contacts are in, and the birthdays and anniversaries coming up.
#include "data/ContactGroups.h"
#include "data/UpcomingDates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CContact Person(const char* pszLast, std::vector<CContactValue> values) {
    CContact contact;
    contact.lastname = pszLast;
    contact.values = std::move(values);
    return contact;
}

CContactValue Group(const char* pszName) { return {EValueKind::group, "", "", pszName}; }
CContactValue Date(const char* pszType, const char* pszDate) { return {EValueKind::date, pszType, "", pszDate}; }

} // namespace

// Names that differ in case are one group, counted once per contact, listed as a person looks
// them up; a contact without a group counts apart.
TEST(ContactGroupsTest, GroupsAreCountedByNameWhateverTheCase) {
    CContactArray contacts;
    contacts.Add(Person("A", {Group("family"), Group("Chess Club"), Group("Family")}));
    contacts.Add(Person("B", {Group("Family"), Group("Élan")}));
    contacts.Add(Person("C", {Date("birthday", "1980-01-01")}));
    contacts.Add(Person("D", {}));
    std::vector<std::string> listed;
    for (const CGroupCount& group : CountGroups(contacts)) {
        listed.push_back(group.name.GetStdString() + " " + std::to_string(group.nContacts));
    }
    EXPECT_EQ((std::vector<std::string>{"Chess Club 1", "Élan 1", "family 2"}), listed);
    EXPECT_EQ(2, CountUngrouped(contacts));
    EXPECT_TRUE(IsInGroup(contacts[1], "FAMILY"));
    EXPECT_FALSE(IsInGroup(contacts[1], "Chess Club"));
}

// Membership changes go by the group, whatever its spelling: one membership per group, the others'
// places and values kept.
TEST(ContactGroupsTest, MembershipChangesTreatEverySpellingAsOneGroup) {
    auto groups = [](const CContact& contact) {
        std::string strGroups;
        for (const CContactValue& value : contact.values) {
            strGroups += (value.kind == EValueKind::group ? "" : "~") + value.text.GetStdString() + ";";
        }
        return strGroups;
    };
    const CContact start = Person("A", {Group("family"), Date("birthday", "1980-01-01"), Group("Chess"), Group("FAMILY")});
    const struct {
        const char* pszChange;
        const char* pszFrom;
        const char* pszTo;
        bool bChanged;
        const char* pszAfter;
    } cases[] = {
        {"add", "Family", "", false, "family;~1980-01-01;Chess;FAMILY;"},
        {"add", "Work", "", true, "family;~1980-01-01;Chess;FAMILY;Work;"},
        {"remove", "Family", "", true, "~1980-01-01;Chess;"},
        {"remove", "Work", "", false, "family;~1980-01-01;Chess;FAMILY;"},
        {"rename", "FAMILY", "Relatives", true, "Relatives;~1980-01-01;Chess;"},
        {"rename", "family", "chess", true, "chess;~1980-01-01;"}, // into a group it is in: once
        {"rename", "Work", "Job", false, "family;~1980-01-01;Chess;FAMILY;"},
    };
    for (const auto& c : cases) {
        CContact contact = start;
        const std::string strChange = c.pszChange;
        bool bChanged = strChange == "add"      ? AddToGroup(contact, c.pszFrom)
                        : strChange == "remove" ? RemoveFromGroup(contact, c.pszFrom)
                                                : RenameGroup(contact, c.pszFrom, c.pszTo);
        EXPECT_EQ(c.bChanged, bChanged) << strChange << " " << c.pszFrom;
        EXPECT_EQ(c.pszAfter, groups(contact)) << strChange << " " << c.pszFrom;
    }
    EXPECT_EQ("Chess & Co", GroupNameFromInput("  Chess & Co \t").GetStdString());
    EXPECT_TRUE(GroupNameFromInput("   ").IsEmpty());
}

// A choice of contacts shows everyone, those in no group or one group's, and comes back from its
// setting; a setting of no known form shows everyone, and no group name is taken for the others.
TEST(ContactGroupsTest, ChoiceFiltersAndComesBackFromItsSetting) {
    CContactArray contacts;
    contacts.Add(Person("A", {Group("Family")}));
    contacts.Add(Person("B", {}));
    contacts.Add(Person("C", {Group("family"), Group("none")}));
    contacts.Add(Person("D", {Group("all")}));
    const struct {
        CGroupChoice choice;
        std::vector<int> shown;
    } cases[] = {
        {CGroupChoice::All(), {0, 1, 2, 3}},
        {CGroupChoice::Ungrouped(), {1}},
        {CGroupChoice::Named("FAMILY"), {0, 2}},
        {CGroupChoice::Named("none"), {2}},
        {CGroupChoice::Named("all"), {3}},
    };
    for (const auto& c : cases) {
        const CString strSetting = c.choice.ToSetting();
        EXPECT_EQ(c.shown, c.choice.Filter(contacts)) << strSetting.GetStdString();
        EXPECT_TRUE(CGroupChoice::FromSetting(strSetting) == c.choice) << strSetting.GetStdString();
    }
    EXPECT_EQ((std::vector<int>{2}), CGroupChoice::Named("Family").Filter(contacts, {3, 2, 1}));
    for (const char* pszUnknown : {"", "group:", "Family"}) {
        EXPECT_TRUE(CGroupChoice::FromSetting(pszUnknown).IsAll()) << pszUnknown;
    }
}

// Each date on its next day from today on, in order: across the year's end, 29 February on
// 28 February in a common year, no age without a year, nothing beyond the days asked for.
TEST(UpcomingDatesTest, DatesComeInOrderAcrossTheYearsEnd) {
    CContactArray contacts;
    contacts.Add(Person("Today", {Date("birthday", "1985-12-30")}));
    contacts.Add(Person("Leap", {Date("birthday", "1988-02-29")}));
    contacts.Add(Person("NewYear", {Date("anniversary", "2016-01-02"), Date("birthday", "--01-01")}));
    contacts.Add(Person("Past", {Date("birthday", "1990-12-29")}));
    contacts.Add(Person("Other", {Date("", "2000-12-31"), {EValueKind::custom, "birthday", "", "1990-12-31"}}));
    const struct {
        CValueDate today;
        int nDays;
        std::vector<std::string> expected; // contact, day, years
    } cases[] = {
        {{2026, 12, 30}, 4, {"Today 2026-12-30 41", "NewYear 2027-01-01 -1", "NewYear 2027-01-02 11"}},
        {{2026, 12, 30}, 1, {"Today 2026-12-30 41"}},
        {{2027, 2, 1}, 30, {"Leap 2027-02-28 39"}},
        {{2028, 2, 29}, 1, {"Leap 2028-02-29 40"}},
        {{2026, 12, 31}, 365, {"NewYear 2027-01-01 -1", "NewYear 2027-01-02 11", "Leap 2027-02-28 39",
                               "Past 2027-12-29 37", "Today 2027-12-30 42"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> listed;
        for (const CUpcomingDate& date : UpcomingDates(contacts, c.today, c.nDays)) {
            listed.push_back(contacts[date.nContact].lastname.GetStdString() + " " +
                             ValueDateText(date.when).GetStdString() + " " + std::to_string(date.nYears));
        }
        EXPECT_EQ(c.expected, listed) << ValueDateText(c.today).GetString() << " + " << c.nDays;
    }
}
