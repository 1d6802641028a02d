// What the book and one CardDAV address book last agreed on, kept beside the book in a file of
// its own ("tbk.xml.sync" beside "tbk.xml"): the address book's URL and the account, the
// server's sync token, and for each synchronised contact the card's URL, ETag and UID, the card
// as the server last sent or took it (kept whole: it holds what the sixteen fields do not), and
// the contact as the book last held it, by which the contact is found again at the next sync.
//
// The file is a list of records, each a name, a blank, the length of its value in bytes, a line
// break, the value and a line break: any bytes survive, and reading it is one linear pass that a
// damaged file cannot lead astray. Records added since the first version come after the entries,
// where earlier versions pass over names they do not know (the group cards, and the groups
// of an entry kept as group cards, came so).
#pragma once

#include "data/Contact.h"
#include "framework/core/FileException.h"

#include <string>
#include <vector>

struct CSyncEntry {
    std::string strHref; // the card's URL on the server, absolute
    std::string strEtag;
    std::string strUid;
    std::string strCard;  // as last synchronised
    CContact contact;     // the book's contact as last seen, the sixteen fields
    // A new card whose PUT got no answer (the connection broke): it may or may not be on the
    // server. Found there, it is the contact's; not found, it is sent again, and never taken for a
    // card deleted there.
    bool bUnconfirmed = false;
    // The groups kept as group cards on the server (SyncGroupCards.h) that the contact was last
    // agreed to be in, by name.
    std::vector<std::string> memberOf{};
};

struct CSyncState {
    std::string strAccountUrl; // the address the user gave: a server, a principal or the book
    std::string strBookUrl;    // the address book it led to, absolute, ending in "/"
    std::string strUser;
    std::string strSyncToken; // empty: the next sync compares every card
    // "4.0" when the address book takes cards in vCard 4.0, "3.0" when not; empty until asked.
    std::string strCardVersion;
    std::vector<CSyncEntry> entries;
    // Cards this book's syncs deleted on the server, the latest last: a contact that comes back
    // (Undo of a deletion) goes back as the card it was, with its UID and what the book does not
    // show, instead of as a new card.
    std::vector<CSyncEntry> deleted;
    // How much of their cards the contacts were read with: kValuesNone, the sixteen fields alone
    // (a state an earlier version wrote: its contacts are read again from their cards);
    // kValuesWithoutPhotos, the further values but no photo (the photos are taken from the cards);
    // kValuesAll, everything.
    int nValues = 0;
    // The group cards of the address book as the server last sent or took them (href, ETag, UID
    // and card): groups, never contacts.
    std::vector<CSyncEntry> groupCards;
};

enum { kValuesNone = 0, kValuesWithoutPhotos = 1, kValuesAll = 2 };

// How many deleted cards the state keeps.
constexpr size_t kMaxDeletedCards = 100;

// The state file of a book.
std::string SyncStatePath(const char* pszBookPath);

// Reads the state; a missing file is an empty state (true). False with error for a file that
// cannot be read or is damaged, which the sync must not guess past.
[[nodiscard]] bool ReadSyncState(const char* pszPath, CSyncState& state, CFileException& error);
// What a failed ReadSyncState means to the user, and what to do: a damaged file is deleted, and
// the next synchronisation is a first one again.
std::string SyncStateReadError(const char* pszPath, const CFileException& error);
// Writes it atomically: the previous file stays whole until the new one is complete.
[[nodiscard]] bool WriteSyncState(const char* pszPath, const CSyncState& state, CFileException& error);

// The state as the file holds it, and back (for tests and the two functions above).
std::string FormatSyncState(const CSyncState& state);
bool ParseSyncState(const std::string& strData, CSyncState& state);
