// tbkutil export and import: address books to and from vCard and CSV files.
#pragma once

// argv without the program name and the command word; nLegacyCodePage the code page of books
// not yet in UTF-8 (0: the system's). Return the exit code: 0 done, 1 done with warnings, 2
// nothing written.
int RunExport(int argc, char** argv, unsigned nLegacyCodePage);
int RunImport(int argc, char** argv, unsigned nLegacyCodePage);
