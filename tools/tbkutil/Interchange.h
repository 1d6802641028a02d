// tbkutil export and import: address books to and from vCard and CSV files.
#pragma once

// argv without the program name and the command word. Return the exit code: 0 done, 1 done
// with warnings, 2 nothing written.
int RunExport(int argc, char** argv);
int RunImport(int argc, char** argv);
