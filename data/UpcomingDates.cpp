#include "UpcomingDates.h"

#include <algorithm>

namespace {

// Days since 1 March of year 0 (a proleptic Gregorian count), for the distance of two days.
long DayNumber(const CValueDate& date) {
    const long nYear = date.nYear - (date.nMonth <= 2 ? 1 : 0);
    const long nMonth = (date.nMonth + 9) % 12; // March 0 ... February 11
    return 365 * nYear + nYear / 4 - nYear / 100 + nYear / 400 + (153 * nMonth + 2) / 5 + date.nDay - 1;
}

// The day the date comes in the year: 29 February in a year without it is 28 February.
CValueDate InYear(const CValueDate& date, int nYear) {
    CValueDate in{nYear, date.nMonth, std::min(date.nDay, DaysInMonth(nYear, date.nMonth))};
    return in;
}

} // namespace

CValueDate NextComing(const CValueDate& date, const CValueDate& today) {
    CValueDate next = InYear(date, today.nYear);
    return DayNumber(next) < DayNumber(today) ? InYear(date, today.nYear + 1) : next;
}

long DaysBetween(const CValueDate& from, const CValueDate& to) { return DayNumber(to) - DayNumber(from); }

bool FindBirthday(const CContact& contact, CValueDate& date) {
    for (const CContactValue& value : contact.values) {
        if (value.kind == EValueKind::date && value.type == "birthday" && ParseValueDate(value.text, date)) {
            return true;
        }
    }
    return false;
}

std::vector<CUpcomingDate> UpcomingDates(const CContactArray& contacts, const CValueDate& today, int nDays) {
    std::vector<CUpcomingDate> dates;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (const CContactValue& value : contacts[i].values) {
            CValueDate date;
            const bool bBirthday = value.type == "birthday";
            if (value.kind != EValueKind::date || (!bBirthday && value.type != "anniversary") ||
                !ParseValueDate(value.text, date)) {
                continue;
            }
            const CValueDate next = NextComing(date, today);
            const long nAway = DaysBetween(today, next);
            // A date after the day it is asked on (a birthday in the future) counts no years yet.
            if (nAway >= nDays || (date.nYear && date.nYear > next.nYear)) {
                continue;
            }
            CUpcomingDate upcoming;
            upcoming.nContact = i;
            upcoming.bBirthday = bBirthday;
            upcoming.when = next;
            upcoming.nDaysAway = static_cast<int>(nAway);
            upcoming.nYears = date.nYear ? next.nYear - date.nYear : -1;
            dates.push_back(upcoming);
        }
    }
    std::stable_sort(dates.begin(), dates.end(), [](const CUpcomingDate& a, const CUpcomingDate& b) {
        return a.nDaysAway < b.nDaysAway;
    });
    return dates;
}

std::string YearsText(const CUpcomingDate& date) {
    if (date.nYears < 0) {
        return std::string();
    }
    const std::string strYears = std::to_string(date.nYears);
    return date.bBirthday ? strYears : strYears + (date.nYears == 1 ? " year" : " years");
}
