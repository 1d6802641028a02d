#include "Credentials.h"

// No system store here: a password comes from a file or the environment.
std::string CredentialName(const std::string& strUrl) { return "Tovano Address Book sync: " + strUrl; }

bool StorePassword(const std::string&, const std::string&, const std::string&) { return false; }

bool ReadPassword(const std::string&, const std::string&, std::string&) { return false; }

void DeletePassword(const std::string&) {}
