// The running address book program's settings, as tbkutil sees them from outside. Builds
// without the program (Linux) have none. Where the program keeps its book and whether it runs is
// ui/shell/BookLocation.h's to say, for both programs alike.
#pragma once

#include <string>

// The account of the program's Synchronisation window: the address given there, the address
// book it led to and the fingerprint of a certificate the user chose to trust. Empty where the
// program has none.
struct CProgramSyncAccount {
    std::string strAddress;
    std::string strBookUrl;
    std::string strTrustedSha256;
};
CProgramSyncAccount ProgramSyncAccount();
