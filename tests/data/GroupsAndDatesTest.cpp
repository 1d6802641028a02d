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
