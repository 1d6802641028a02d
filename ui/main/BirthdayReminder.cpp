#include "BirthdayReminder.h"

#include <string>

bool BirthdayReminder(const CContactArray& contacts, const CValueDate& today, CString& strTitle, CString& strText,
                      size_t nMaxText) {
    const std::vector<CUpcomingDate> dates = UpcomingDates(contacts, today, 2);
    if (dates.empty()) {
        return false;
    }
    bool bBirthdays = false;
    bool bAnniversaries = false;
    std::string strLines;
    for (size_t i = 0; i < dates.size(); ++i) {
        const CUpcomingDate& date = dates[i];
        bBirthdays = bBirthdays || date.bBirthday;
        bAnniversaries = bAnniversaries || !date.bBirthday;
        std::string strLine = std::string(date.nDaysAway == 0 ? "Today: " : "Tomorrow: ") +
                              ListNameOf(contacts[date.nContact]).GetStdString() +
                              (date.bBirthday ? ", birthday" : ", anniversary");
        if (date.nYears >= 0) {
            strLine += " (" + YearsText(date) + ")";
        }
        // Room is kept for the line that counts the ones after this.
        const std::string strMore = "\r\nand " + std::to_string(dates.size() - i) + " more";
        const bool bLast = i + 1 == dates.size();
        if (strLines.size() + 2 + strLine.size() + (bLast ? 0 : strMore.size()) > nMaxText) {
            strLines += strLines.empty() ? strMore.substr(2) : strMore;
            break;
        }
        strLines += (strLines.empty() ? "" : "\r\n") + strLine;
    }
    strTitle = bBirthdays && bAnniversaries ? "Birthdays and anniversaries"
               : bBirthdays                 ? (dates.size() == 1 ? "Birthday" : "Birthdays")
                                            : (dates.size() == 1 ? "Anniversary" : "Anniversaries");
    strText = CString(strLines);
    return true;
}

unsigned MillisecondsToMidnight(int nHour, int nMinute, int nSecond, int nMillisecond) {
    const long nLeft = ((23L - nHour) * 3600 + (59L - nMinute) * 60 + (60L - nSecond)) * 1000 - nMillisecond;
    return static_cast<unsigned>(nLeft + 1000);
}
