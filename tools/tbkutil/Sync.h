// tbkutil sync: one two-way synchronisation of an address book with a CardDAV address book,
// from a console or a scheduled task.
#pragma once

// argv without the program name and the command word. Exit code as import: 0 done, 1 done with
// warnings (conflicts, a book read only in part), 2 nothing written.
int RunSync(int argc, char** argv, unsigned nLegacyCodePage);
