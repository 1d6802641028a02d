// CSyncAccount: the synchronisation account as the program keeps it between runs: in the
// per-user registry the address the user gave, the address book it led to, the user name, when
// to synchronise and the server certificate the user chose to trust; the password only in
// Windows' Credential Manager (sync/Credentials.h), under the address book's URL. Also the small
// rules the dialog and the main window share: which addresses send the password in the clear.
// User-interface thread only.
#pragma once

#include "framework/core/String.h"
#include "sync/DavUrl.h"    // CompleteAddress
#include "ui/shell/Paths.h" // the account's registry key

#include <string>

const int kDefaultSyncMinutes = 15;
const int kMinSyncMinutes = 1;
const int kMaxSyncMinutes = 24 * 60;

struct CSyncAccount {
    std::string strAddress; // as the user gave it: a server, a principal or an address book
    std::string strBookUrl; // the address book chosen there: what is synchronised
    std::string strBookName; // its name on the server, when it has one
    std::string strUser;
    std::string strTrustedSha256; // a certificate the system does not trust, trusted by the user
    bool bAtStart = true;
    bool bAfterChange = true;
    bool bEvery = true;
    int nMinutes = kDefaultSyncMinutes;

    bool IsSetUp() const { return !strBookUrl.empty(); }

    // The stored account; one never set up reads as empty (IsSetUp false), with the defaults.
    static CSyncAccount Load();
    // Writes every value; false with the system's reason.
    [[nodiscard]] bool Save(CString* pError) const;
    // Forgets the account: its values and its password.
    static void Remove(const std::string& strBookUrl);
};

// Whether an address sends the password and the contacts unencrypted to another computer:
// plain http to any host but this one (localhost, 127.0.0.1, ::1).
bool IsUnencryptedToOtherHost(const std::string& strUrl);
// Minutes outside what the dialog allows read as the default.
int SaneSyncMinutes(int nMinutes);
