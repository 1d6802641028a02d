// tbkutil tidy-notes: the "Label: value" lines earlier imports wrote into notes, lifted back into
// the contacts' values.
#pragma once

// argv without the program name and the command word: FILE [--dry-run]. As import: 0 done, 1
// done with warnings (the book was read only in part), 2 nothing written.
int RunTidyNotes(int argc, char** argv, unsigned nLegacyCodePage);
