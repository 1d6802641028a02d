// One two-way synchronisation of the contacts with a CardDAV address book. It works on a copy
// of the contacts and the state and says what to do to them, so a caller may run it beside the
// window and apply the outcome afterwards; the server's side is done when it returns.
//
// Order keeps every stop safe: the server is written first, then the caller stores the book,
// then the state. Stopped anywhere, the next sync finds each contact again (a card whose sixteen
// fields equal a contact's, or that is the same person, is that contact), so nothing is doubled,
// and nothing it had not sent or received is lost.
#pragma once

#include "SyncState.h"
#include "HttpTransport.h"
#include "data/ContactArray.h"
#include "data/PhotoFolder.h"

#include <string>
#include <vector>

struct CSyncSummary {
    int nSent = 0;           // cards created or changed on the server
    int nReceived = 0;       // contacts added or changed here from the server
    int nMerged = 0;         // contacts linked with a card of the same person, or changed on both sides
    int nDeletedOnServer = 0;
    int nDeletedHere = 0;
    int nConflicts = 0; // fields changed on both sides: the local value kept, the server's beside it
};

struct CSyncOutcome {
    bool bOk = false;
    std::string strError;            // for the user, naming the server
    std::string strCertificateSha256; // when the server's certificate is not trusted
    bool bLoginRefused = false;       // the server did not accept the user name and password
    // When the sync stopped because it would delete this many contacts on the server at once,
    // or this many here (the server lists far fewer cards than were synchronised): given back as
    // nConfirmedDeletions, the next sync deletes them. Either may be set, or both.
    size_t nDeletionsToConfirm = 0;
    size_t nLocalDeletionsToConfirm = 0;
    // When it stopped because the state belongs to another address book than the address leads
    // to, and the caller asked to keep to that one: the state's address book.
    std::string strStateBook;
    CSyncSummary summary;
    // What a sync that succeeded left undone, each naming the card (one larger than
    // kMaxCardBytes stays on the server as it is, and is looked at again next time).
    std::vector<std::string> warnings;
    // What the book is to do, in one change: remove these (indexes into the contacts given)
    // and add these.
    std::vector<int> removed;
    std::vector<CContact> added;
    CSyncState state; // to be written after the book
    // What the server and the book as the sync found it agree on after this sync's writes there:
    // cards it made for contacts here, changes it sent, cards it deleted, with the old token.
    // Kept when the outcome cannot be applied (the sync failed midway, or the book changed
    // meanwhile), so that the next sync neither doubles a card this one made nor brings back one
    // it deleted. bSettled: it differs from the state the sync was given.
    CSyncState settledState;
    bool bSettled = false;
};

// strUrl: the address the user gave; when it leads to several address books the sync refuses
// and names them. State of another address book or user is set aside: the sync is a first one,
// unless bKeepToStateBook, where an address that leads to another address book than the state's
// stops the sync (a mistyped address would otherwise send the whole book there).
// Deleting more than a few contacts and most of the synchronised ones at once, on the server or
// here, needs nConfirmedDeletions at least as large, which the user gives after being asked. An
// answer the server cut short is never read as deletions. The contacts' photos are read from
// pPhotos to be sent; the server's come inline in the outcome's contacts.
CSyncOutcome Synchronise(const CContactArray& contacts, const CSyncState& state, IHttpTransport& http,
                         const std::string& strUrl, const std::string& strUser,
                         size_t nConfirmedDeletions = 0, bool bKeepToStateBook = false,
                         const CPhotoFolder* pPhotos = nullptr);
