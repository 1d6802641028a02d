// The date of a value: "YYYY-MM-DD", or "--MM-DD" when the year is not known.
#pragma once

#include "framework/core/String.h"

// A date of a value: nYear 0 when the year is not known.
struct CValueDate {
    int nYear = 0;
    int nMonth = 1;
    int nDay = 1;
    bool operator==(const CValueDate& other) const {
        return nYear == other.nYear && nMonth == other.nMonth && nDay == other.nDay;
    }
};

// Reads "YYYY-MM-DD" or "--MM-DD", and the same without dashes, a time after them ignored;
// false for anything else or a day the month does not have.
bool ParseValueDate(const CString& strText, CValueDate& date);
// "YYYY-MM-DD", or "--MM-DD" without a year.
CString ValueDateText(const CValueDate& date);
// The days of the month; of February in a year not known, 29.
int DaysInMonth(int nYear, int nMonth);
