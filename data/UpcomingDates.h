// The birthdays and anniversaries coming up: each contact's date values of those types, on their
// next day from a given day on, in the order they come. A date of 29 February comes on
// 28 February in a year without it; a date without a year comes each year, and counts no age.
// Portable: the window's list, the tray's reminder and tbkutil birthdays give the same.
#pragma once

#include "ContactArray.h"
#include "ValueDate.h"

#include <string>
#include <vector>

struct CUpcomingDate {
    int nContact = -1;       // its index in the list given
    bool bBirthday = true;   // else an anniversary
    CValueDate when;         // the day it comes, year included
    int nDaysAway = 0;       // 0 today, 1 tomorrow
    int nYears = -1;         // the age it brings, or the years since; -1 when the year is unknown
};

// The years a date brings as people write them beside it: the age ("41") for a birthday, "11
// years" for an anniversary; empty when the year is not known.
std::string YearsText(const CUpcomingDate& date);

// The day the date next comes from today on (today itself included), year and all; 29 February in
// a year without it comes on 28 February.
CValueDate NextComing(const CValueDate& date, const CValueDate& today);
// The days from one day to a later one (negative for an earlier one).
long DaysBetween(const CValueDate& from, const CValueDate& to);

// The contact's birthday: its first date of that type that reads as a date. False when it has none.
bool FindBirthday(const CContact& contact, CValueDate& date);

// The dates of the nDays days from today on (today is day 0; nDays 1 gives today alone), in
// the order they come, a day's in the list's order of the contacts.
std::vector<CUpcomingDate> UpcomingDates(const CContactArray& contacts, const CValueDate& today, int nDays);
