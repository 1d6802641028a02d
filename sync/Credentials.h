// The password of a synchronisation account, kept by the system: one generic credential of the
// Windows Credential Manager per account (the server's address and the user), never in the
// registry or a file. Systems without such a store keep nothing.
#pragma once

#include <string>

// The credential's name for an account, as Windows' Credential Manager lists it.
std::string CredentialName(const std::string& strUrl);

bool StorePassword(const std::string& strUrl, const std::string& strUser, const std::string& strPassword);
// False when none is stored for the address, or it belongs to another user.
bool ReadPassword(const std::string& strUrl, const std::string& strUser, std::string& strPassword);
void DeletePassword(const std::string& strUrl);
