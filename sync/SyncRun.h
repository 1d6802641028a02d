// CSyncRun: one synchronisation from its start to its outcome, the engine behind Synchronise
// (SyncEngine.h). Its steps live in three files: finding the address book, linking the contacts to
// the cards and writing cards (SyncEngine.cpp); listing the server and fetching its cards
// (SyncListing.cpp); deciding for each card and contact what to do (SyncReconcile.cpp).
//
// What it promises whatever the server does: every href it requests is on the address book's
// own server; a card it takes is whole and within kMaxCardBytes; an answer cut short is never
// read as deletions; the token moves only past cards it has read; a write that gave up keeps what
// the two sides last agreed on, so that the next sync merges three ways again. Internal to the
// sync library. One thread.
#pragma once

#include "DavClient.h"
#include "SyncCard.h"
#include "SyncEngine.h"

#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Every field of a contact in one text: equal for contacts whose sixteen fields are equal.
std::string FieldsKey(const CContact& contact);
bool HasAnyField(const CContact& contact);

// A card on the server that this sync looks at: new, changed, or fetched after a conflict.
struct CServerCard {
    std::string strHref; // absolute
    std::string strEtag;
    std::string strCard;
    bool bFetched = false;
    bool bRefused = false; // too large to read: left on the server as it is
};

// The name of the contact a card holds, for messages about the card.
std::string CardHolderName(const std::string& strCard);

// Deletions that need no second look, whatever their share of the synchronised contacts.
const size_t kMassDeletion = 10;

// The status Put gives a card it did not send, since it holds a value the server cut short.
const int kNotWritten = -1;

class CSyncRun {
public:
    CSyncRun(const CContactArray& contacts, const CPhotoFolder* pPhotos, IHttpTransport& http,
             size_t nConfirmedDeletions, bool bKeepToStateBook, CSyncOutcome& out)
        : m_book(contacts), m_pPhotos(pPhotos), m_dav(http), m_out(out), m_nConfirmedDeletions(nConfirmedDeletions),
          m_bKeepToStateBook(bKeepToStateBook) {}

    bool Run(const CSyncState& state, const std::string& strUrl, const std::string& strUser);
    const std::string& Error() const { return m_dav.Error(); }
    const std::string& CertificateSha256() const { return m_dav.CertificateSha256(); }
    bool LoginRefused() const { return m_bLoginRefused || m_dav.FailedStatus() == 401; }
    // The state as the server and the book as it was given agree on it (CSyncOutcome::settledState);
    // given is the caller's state, for a sync that did not get as far as finding its book.
    CSyncState SettledState(const CSyncState& given) const;
    bool HasSettled() const { return !m_settled.empty() || !m_settledGone.empty(); }

private:
    // The book's contacts, as the sync looks at them.
    const CContactArray& Contacts() const { return *m_pContacts; }
    // The card patched to hold the contact (PatchCard), the contact's photo sent with it, and its
    // groups kept as group cards left to those (ForCard).
    std::string CardFor(const std::string& strCard, const CContact& contact) const {
        return PatchCard(strCard, WithInlinePhotos(ForCard(strCard, contact), m_pPhotos));
    }

    // SyncEngine.cpp
    bool FindBook(const CSyncState& state, const std::string& strUrl, const std::string& strUser);
    void LinkContacts();
    // Contacts as a card can hold them: a value whose field is empty moves into it. And a state
    // an earlier version wrote (kValuesNone) knew the sixteen fields alone: each linked
    // contact is read again from its agreed card, with the fields the user changed since on top,
    // so that the values the card holds are the contact's and no edit is lost. The book gets the
    // contacts so changed with the sync's outcome.
    void UpgradeContacts();
    // A state of kValuesWithoutPhotos: its contacts were read without their cards' photos, which
    // a sync would otherwise take for photos removed here. Each linked contact without a photo
    // takes its agreed card's.
    void TakePhotosFromCards();
    // Whether the book holds no further value at all while the cards of its linked contacts do:
    // a book an earlier version wrote, which dropped them. Read again like a state of that
    // version, the values come back instead of being deleted on the server; a user who deleted
    // every value of every synchronised contact gets them back, which loses nothing.
    bool WrittenWithoutValues() const;
    void Upgrade(int nLocal, const CContact& contact);
    // Hands the contacts read again to the book, where the sync did not replace them anyway.
    void ApplyUpgrades();
    // The token to keep: the one from the start when this sync wrote nothing there, or left a
    // listed card unread.
    std::string FinalToken();
    // The contact of the book that this sync replaces or removes.
    void ReplaceLocal(int nLocal, const CContact& contact);
    void RemoveLocal(int nLocal) { m_out.removed.push_back(nLocal); }
    void AddLocal(const CContact& contact) { m_out.added.push_back(contact); }
    // Writes a card: with If-Match for a known one, If-None-Match for a new one. True when the
    // request had an answer it can go on from: written (the entry then holds the card as
    // written), 412, or refused because the card holds a value the server cut (bRefused).
    bool Put(const std::string& strUrl, const std::string& strCard, const std::string& strEtag, CSyncEntry& entry,
             int& nStatus);
    // Reads a card, following redirects on the same server. True with the card, or with a 404
    // or 410 status; a card of another UID than strUid (when given) fails the sync.
    bool Get(const std::string& strUrl, const std::string& strUid, CServerCard& card, int& nStatus);
    // A card and the contact here agree now without any change here (pEntry), or the card is gone
    // along with its contact (null).
    void Settle(const std::string& strHref, const CSyncEntry* pEntry);
    bool Fail(const std::string& strError) {
        m_dav.Fail(strError);
        return false;
    }

    // SyncListing.cpp
    bool ListServer();
    bool ListChanges(const std::string& strToken, bool& bTokenRefused);
    bool ListEverything();
    // Asks the address book what it is (an address book still, its token, the card versions it
    // takes); false, said, when it is not there or not an address book.
    bool ReadBookProperties(std::string& strToken);
    // The URL of an href the server gave, which must be on the address book's server.
    bool CardUrl(const std::string& strHref, std::string& strUrl);
    // Whether the href names the address book itself.
    bool IsBook(const std::string& strHref) const;
    void NoteChanged(const std::string& strKey, const std::string& strUrl, const std::string& strEtag);
    bool FetchCards();
    bool FetchBatch(const std::vector<std::string>& keys);
    bool FetchSingly(const std::string& strKey);
    // Cards missing from a full listing (bListed), or whose PUT got no answer, are asked for once
    // more: only those the server then says are gone count as gone, so a listing that silently
    // left cards out deletes nothing here.
    // keys: of entries of the state, noted as removed.
    bool ConfirmRemovals(const std::vector<std::string>& keys, bool bListed);
    // Takes a card the server sent for a listed one; false, said, for a card cut short.
    bool TakeCard(CServerCard& card, const std::string& strData, const std::string& strEtag);
    std::string Key(const std::string& strHref) const;

    // SyncGroupCards.cpp
    // The cards of the state by key: the entries' and the group cards.
    std::unordered_map<std::string, const CSyncEntry*> KnownCards() const;
    // An earlier version took group cards for contacts: their entries become group cards, and
    // their contacts go from the book (ReadGroupCards).
    void SetGroupCardsApart();
    // Takes the group cards from the state and the listing, and notes as changed there the
    // contacts whose memberships in them changed there.
    bool ReadGroupCards();
    // Adds and removes the members whose groups changed here in the group cards; sets each
    // entry's memberships as agreed.
    bool WriteGroupCards();
    bool WriteGroupCard(const std::string& strKey, const std::vector<std::string>& add,
                        const std::vector<std::string>& remove, bool& bWritten);
    void IndexMemberships();
    // The names of the group cards that name the card of that UID.
    std::vector<CString> ServerGroupsOf(const std::string& strUid) const;
    // A card as a contact with the groups its group cards give it, now or as last agreed.
    CContact ServerContact(const std::string& strCard) const;
    CContact AgreedContact(const CSyncEntry& agreed) const;
    // The contact as its card holds it: without the groups written to group cards instead,
    // unless the card names them itself.
    CContact ForCard(const std::string& strCard, const CContact& contact) const;
    // An entry kept as last agreed: its memberships too.
    void KeepMemberships(const CSyncEntry& agreed) { m_keptMemberships.insert(Key(agreed.strHref)); }
    std::vector<CSyncEntry> GroupCardsKept() const;
    void SettleGroupCards(CSyncState& settled) const;

    // SyncReconcile.cpp
    // Mass deletions on either side wait for the user's word.
    bool CheckDeletions();
    bool ReconcileEntries();
    bool ReconcileRemovedThere(const CSyncEntry& agreed, int nLocal);
    bool ReconcileChangedThere(const CSyncEntry& agreed, int nLocal, const CServerCard& server);
    bool DeleteThere(const CSyncEntry& agreed);
    bool SendLocalChange(const CSyncEntry& agreed, int nLocal);
    // The contact changed on both sides, merged against what the two sides last agreed on and
    // written back; result is the entry to keep, empty when the card was deleted there meanwhile.
    bool MergeAndSend(const CSyncEntry& agreed, int nLocal, CServerCard server, CSyncEntry& result);
    // MergeAndSend for a card that may be gone there (not fetched), its entry kept or the
    // contact sent again as the card it was.
    bool MergeWithServer(const CSyncEntry& agreed, int nLocal, const CServerCard& server);
    // A contact changed here whose card is gone there: sent again below as the card it was.
    void Revive(int nLocal, const CSyncEntry& agreed);
    void KeepReceived(const CServerCard& server, const CContact& received);
    bool ReconcileNewCards();
    bool UploadNewContacts();
    // The card a contact without an entry goes to the server as: the card it was when it comes
    // back (changed here while deleted there, or undone after this book deleted it), else new;
    // true for a new card at a new place.
    bool CardForNewContact(int nLocal, std::string& strUrl, std::string& strCard, std::string& strUid);

    const CContactArray& m_book;    // as the sync was given it
    const CPhotoFolder* m_pPhotos;  // where the book's photos are read from to be sent
    CContactArray m_upgradedBook;    // see UpgradeContacts
    std::vector<int> m_upgraded;     // the contacts it read again
    const CContactArray* m_pContacts = &m_book;
    CDavClient m_dav;
    CSyncOutcome& m_out;
    const size_t m_nConfirmedDeletions;
    const bool m_bKeepToStateBook;
    CSyncState m_state;
    std::string m_strStartToken;         // the state's token, as the sync found it
    std::vector<CSyncEntry> m_entries;   // the state's, as the sync leaves them
    std::vector<CSyncEntry> m_deleted;   // the deleted cards, as the sync leaves them
    std::vector<int> m_entryLocal;       // per entry of m_state, its contact or -1
    std::vector<int> m_localEntry;       // per contact, its entry or -1
    std::vector<bool> m_localUsed;       // per contact, linked to a card found new
    std::unordered_map<int, CSyncEntry> m_revived; // per contact, the card it comes back as
    std::unordered_map<std::string, CServerCard> m_changed; // by key: changed or new on the server
    std::vector<std::string> m_changedOrder;               // their keys in the server's order
    std::unordered_set<std::string> m_removed;              // keys gone from the server
    std::unordered_set<std::string> m_reportedGone; // of them, those the server's changes name as deleted
    std::string m_strToken;     // the server's newest token, from its listing
    bool m_bVCard4 = false;     // cards are asked for in vCard 4.0
    bool m_bIncomplete = false; // a listed card was left unread, or the listing was cut short
    int m_nWrites = 0;              // cards written or deleted on the server
    bool m_bBookFound = false;
    std::unordered_map<std::string, CSyncEntry> m_settled; // by key: see Settle
    std::unordered_set<std::string> m_settledGone;
    bool m_bLoginRefused = false;   // while the address book was looked for
    // The group cards by key as the server holds them, as far as this sync knows; their names
    // (those with one); per member UID (MemberKey), the keys of the group cards naming it.
    std::map<std::string, CSyncEntry> m_groupCards;
    std::map<std::string, CString> m_groupNames;
    std::unordered_map<std::string, std::vector<std::string>> m_memberships;
    std::unordered_set<std::string> m_keptMemberships; // keys of entries kept as last agreed
    bool m_bGroupCardsRead = false;
    std::unordered_set<std::string> m_groupContacts; // FieldsKey of contacts that were group cards
    std::vector<CSyncEntry> m_groupEntries;          // their entries
};
