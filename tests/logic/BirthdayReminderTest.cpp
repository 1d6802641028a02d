// The notification area's reminder: today's and tomorrow's dates a line each, a title that says
// what they are, nothing at all on a day without any, and a text cut to what a notification holds.
#include "ui/main/BirthdayReminder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CContact Person(const char* pszLast, const char* pszType, const char* pszDate) {
    CContact contact;
    contact.lastname = pszLast;
    contact.firstname = "A";
    contact.values = {{EValueKind::date, pszType, "", pszDate}};
    return contact;
}

} // namespace

TEST(BirthdayReminderTest, TodayAndTomorrowAreNamedAndTheRestCounted) {
    CContactArray contacts;
    contacts.Add(Person("Baker", "anniversary", "2016-05-02"));
    contacts.Add(Person("Adams", "birthday", "1980-05-01"));
    contacts.Add(Person("Clark", "birthday", "--05-03"));
    CString strTitle, strText;
    ASSERT_TRUE(BirthdayReminder(contacts, {2026, 5, 1}, strTitle, strText));
    EXPECT_EQ(CString("Birthdays and anniversaries"), strTitle);
    EXPECT_EQ(CString("Today: Adams, A, birthday (46)\r\nTomorrow: Baker, A, anniversary (10 years)"), strText);
    ASSERT_TRUE(BirthdayReminder(contacts, {2026, 5, 2}, strTitle, strText));
    EXPECT_EQ(CString("Today: Baker, A, anniversary (10 years)\r\nTomorrow: Clark, A, birthday"), strText);
    ASSERT_TRUE(BirthdayReminder(contacts, {2026, 5, 3}, strTitle, strText));
    EXPECT_EQ(CString("Birthday"), strTitle);
    EXPECT_FALSE(BirthdayReminder(contacts, {2026, 5, 4}, strTitle, strText));

    for (int i = 0; i < 20; ++i) {
        contacts.Add(Person(("Person" + std::to_string(i)).c_str(), "birthday", "1990-05-01"));
    }
    ASSERT_TRUE(BirthdayReminder(contacts, {2026, 5, 1}, strTitle, strText, 120));
    EXPECT_LE(strText.GetLength(), 120);
    EXPECT_EQ(std::string::npos, strText.GetStdString().find("Person19")) << strText.GetString();
    EXPECT_NE(std::string::npos, strText.GetStdString().find(" more")) << strText.GetString();
}

TEST(BirthdayReminderTest, TheMidnightTimerFiresOnTheNewDay) {
    EXPECT_EQ(1001u, MillisecondsToMidnight(23, 59, 59, 999));
    EXPECT_EQ(86401000u, MillisecondsToMidnight(0, 0, 0, 0));
    EXPECT_EQ(3600000u + 1000u, MillisecondsToMidnight(23, 0, 0, 0));
}
