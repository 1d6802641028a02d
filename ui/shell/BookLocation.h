// Which file is the program's address book, and whether the program runs: one answer for the
// program and for tbkutil, below both and without any window. Files are told apart by what the
// system knows them by (IsSameFile), so an 8.3 name, a substituted drive, another case or a path
// through ".." name the book as well as its own path does. The program is found by the named
// events its main window holds, whatever its executable is called.
#pragma once

#include "framework/core/String.h"

// The program's data folder, by the program's rules: the per-user local application-data folder
// as the shell names it (failing that, as LOCALAPPDATA does), on systems without per-user folders
// the Windows folder's "Application Data", and below it "TovanoSoft\Tovano Address Book". Empty
// where the program does not run (systems other than Windows).
CString ProgramDataFolder();
// Makes the data folder and the one above it; an existing folder is fine, and one that cannot be
// made shows up later as a file that cannot be read or written, with its own message.
void MakeProgramDataFolder(const CString& strFolder);
// The program's address book, its folder made where missing. False where the program does not run.
bool ProgramBookPath(CString& strPath);
// Whether strPath names the program's address book, however it is spelled.
bool IsProgramBook(const CString& strPath);

// Whether the program's main window runs.
bool IsProgramRunning();
// Signals the program to quit (it saves and ends, as "-quit" has it) and waits up to nTimeoutMs
// for its window to end. False when it could not be signalled or still runs.
bool QuitRunningProgram(unsigned nTimeoutMs);
