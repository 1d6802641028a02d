// CFriendMailer: "Tell a friend". Prepares the recommendation mail and hands it to the user's
// default mail client through Simple MAPI, with the client's compose window open so that the
// user picks the recipient. The mail library is loaded, used and unloaded within one call;
// faults raised inside it are survived. Callers construct one on the stack for each use.
#pragma once

#include <windows.h>

class CFriendMailer {
public:
    virtual ~CFriendMailer() = default;

    // hOwner owns the error messages only; the mail client gets no window.
    void SendRecommendation(HWND hOwner);

    // Whether the system says Simple MAPI is installed and switched on.
    static bool IsMapiAvailable();
};

// The messages the user sees when the mail cannot be prepared.
inline constexpr char kMapiNotAvailableText[] = "MAPI services are not available on this system.";
inline constexpr char kMapiLogonFailedText[] = "Unable to logon to default mail client.";
