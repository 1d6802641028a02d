// The running address book program, as tbkutil sees it from outside: whether it runs, how to
// ask it to end, and where it keeps its address book. Builds without the program (Linux) see
// none running and have no address book of their own.
#pragma once

#include "framework/core/String.h"

#include <string>

// True while the program's single-instance token exists.
bool IsProgramRunning();

// Signals the program to quit (it saves and ends) and waits up to nTimeoutMs for it to end.
// False when it could not be signalled or still runs.
bool QuitRunningProgram(unsigned nTimeoutMs);

// The path of the user's address book, creating its folder if needed. False when the system
// has none.
bool DefaultAddressBookPath(CString& strPath);

// True when strPath names the user's address book, the one the running program writes: on
// Windows whatever the case of its letters, relative or not.
bool IsProgramBook(const CString& strPath);

// The account of the program's Synchronisation window: the address given there, the address
// book it led to and the fingerprint of a certificate the user chose to trust. Empty where the
// program has none.
struct CProgramSyncAccount {
    std::string strAddress;
    std::string strBookUrl;
    std::string strTrustedSha256;
};
CProgramSyncAccount ProgramSyncAccount();
