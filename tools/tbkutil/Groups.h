// tbkutil groups and birthdays: what the book's contacts are sorted into, and whose birthday or
// anniversary comes next.
#pragma once

// argv without the program name and the command word: FILE. Prints each group with how many
// contacts it holds. 0 done, 1 done with warnings (the book was read only in part), 2 failed.
int RunGroups(int argc, char** argv, unsigned nLegacyCodePage);
// FILE [--days N] [--from YYYY-MM-DD]: the birthdays and anniversaries of the N days (30) from
// today (or the day given) on, in the order they come.
int RunBirthdays(int argc, char** argv, unsigned nLegacyCodePage);
