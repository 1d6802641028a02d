// The reminder the notification area shows: today's and tomorrow's birthdays and anniversaries,
// a line each ("Today: Adams, Ann, birthday (41)"), the text cut to what a notification holds.
#pragma once

#include "data/UpcomingDates.h"

// The title and text of the reminder for the day; false when there is nothing to remind of.
// The text holds at most nMaxText bytes: lines that do not fit are counted in a last line.
bool BirthdayReminder(const CContactArray& contacts, const CValueDate& today, CString& strTitle, CString& strText,
                      size_t nMaxText = 255);
// Milliseconds from the time of day to the next midnight, and one second more: a timer set for
// it fires on the new day, never a moment before it.
unsigned MillisecondsToMidnight(int nHour, int nMinute, int nSecond, int nMillisecond);
