// tbkutil duplicates and merge-duplicates: the contacts of a book that are one person.
#pragma once

// argv without the program name and the command word; nLegacyCodePage the code page of books
// not yet in UTF-8 (0: the system's). Return the exit code.
//   duplicates FILE: 0 when there are none, 1 when there are (printed), 2 when FILE is unreadable.
//   merge-duplicates FILE [--dry-run]: as import: 0 done, 1 done with warnings, 2 nothing written.
int RunDuplicates(int argc, char** argv, unsigned nLegacyCodePage);
int RunMergeDuplicates(int argc, char** argv, unsigned nLegacyCodePage);
