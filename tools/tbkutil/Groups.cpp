#include "Groups.h"

#include "BookAccess.h"
#include "Console.h"
#include "data/ContactGroups.h"
#include "data/ContactSort.h"
#include "data/UpcomingDates.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

const int kDefaultDays = 30;
const int kMostDays = 366;

// Reads the book to look at it only; false after saying why.
bool ReadBook(CBookAccess& access) { return access.Open(CBookAccess::EUse::read, false, "nothing was listed"); }

CValueDate Today() {
    std::time_t now = std::time(nullptr);
    const std::tm* pLocal = std::localtime(&now);
    return CValueDate{pLocal->tm_year + 1900, pLocal->tm_mon + 1, pLocal->tm_mday};
}

} // namespace

int RunGroups(int argc, char** argv, unsigned nLegacyCodePage) {
    if (argc != 1) {
        Print(stderr, "usage: tbkutil groups FILE\n");
        return kExitFailed;
    }
    CBookAccess access(argv[0], nLegacyCodePage);
    if (!ReadBook(access)) {
        return kExitFailed;
    }
    const CContactArray& contacts = access.Book().Contacts();
    for (const CGroupCount& group : CountGroups(contacts)) {
        Print(stdout, "%s\t%d\n", DisplayTextOf(group.name).GetString(), group.nContacts);
    }
    Print(stdout, "(not in a group)\t%d\n", CountUngrouped(contacts));
    return access.IsPartial() ? kExitWarned : kExitClean;
}

int RunBirthdays(int argc, char** argv, unsigned nLegacyCodePage) {
    int nDays = kDefaultDays;
    CValueDate from = Today();
    const char* pszBook = nullptr;
    bool bUsage = false;
    for (int i = 0; i < argc && !bUsage; ++i) {
        if (std::strcmp(argv[i], "--days") == 0 && i + 1 < argc) {
            char* pEnd = nullptr;
            long nGiven = std::strtol(argv[++i], &pEnd, 10);
            bUsage = *pEnd || nGiven < 1 || nGiven > kMostDays;
            nDays = static_cast<int>(nGiven);
        } else if (std::strcmp(argv[i], "--from") == 0 && i + 1 < argc) {
            bUsage = !ParseValueDate(argv[++i], from) || from.nYear == 0;
        } else if (!pszBook && std::strncmp(argv[i], "--", 2) != 0) {
            pszBook = argv[i];
        } else {
            bUsage = true;
        }
    }
    if (bUsage || !pszBook) {
        Print(stderr, "usage: tbkutil birthdays FILE [--days N] [--from YYYY-MM-DD]\n"
                      "       N from 1 to %d, %d unless given; from today unless given\n",
              kMostDays, kDefaultDays);
        return kExitFailed;
    }
    CBookAccess access(pszBook, nLegacyCodePage);
    if (!ReadBook(access)) {
        return kExitFailed;
    }
    CContactArray contacts = access.Book().Contacts();
    SortContacts(contacts); // a day's dates in the list's order
    const std::vector<CUpcomingDate> dates = UpcomingDates(contacts, from, nDays);
    for (const CUpcomingDate& date : dates) {
        const std::string strYears = date.nYears < 0 ? std::string() : " (" + YearsText(date) + ")";
        const char* pszWhen = date.nDaysAway == 0 ? ", today" : date.nDaysAway == 1 ? ", tomorrow" : "";
        Print(stdout, "%s  %s: %s%s%s\n", ValueDateText(date.when).GetString(), ListNameOf(contacts[date.nContact]).GetString(),
              date.bBirthday ? "birthday" : "anniversary", strYears.c_str(), pszWhen);
    }
    if (dates.empty()) {
        Print(stdout, "tbkutil: no birthday or anniversary in the %d days from %s\n", nDays,
              ValueDateText(from).GetString());
    }
    return access.IsPartial() ? kExitWarned : kExitClean;
}
