#include "SyncEngine.h"

#include "DavClient.h"
#include "DavUrl.h"
#include "SyncCard.h"
#include "ThreeWayMerge.h"
#include "data/ContactIdentity.h"
#include "data/ContactMerger.h"
#include "interchange/ContactBuilder.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

const size_t kMultigetBatch = 100;
const size_t kMassDeletion = 10; // server deletions that need no second look, whatever the share
const char kCardType[] = "text/vcard; charset=utf-8";

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
}

// One spelling of a card's address for lookups: its path, percent-escapes undone. Every card
// of one address book is on one server, so the path alone tells them apart.
std::string ResourceKey(const std::string& strBookUrl, const std::string& strHref) {
    std::string strPath = UrlPath(ResolveHref(strBookUrl, strHref));
    std::string strKey;
    for (size_t i = 0; i < strPath.size(); ++i) {
        if (strPath[i] == '%' && i + 2 < strPath.size() && HexValue(strPath[i + 1]) >= 0 &&
            HexValue(strPath[i + 2]) >= 0) {
            strKey += static_cast<char>(HexValue(strPath[i + 1]) * 16 + HexValue(strPath[i + 2]));
            i += 2;
        } else {
            strKey += strPath[i];
        }
    }
    return strKey;
}

std::string FieldsKey(const CContact& contact) {
    std::string strKey;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        strKey += contact.FieldAt(f).GetStdString();
        strKey += '\x1f';
    }
    return strKey;
}

bool HasAnyField(const CContact& contact) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (!contact.FieldAt(f).IsEmpty()) {
            return true;
        }
    }
    return false;
}

// How many non-empty fields two contacts share, for finding an edited contact's entry again.
int SharedFields(const CContact& a, const CContact& b) {
    int nShared = 0;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        nShared += !a.FieldAt(f).IsEmpty() && a.FieldAt(f) == b.FieldAt(f) ? 1 : 0;
    }
    return nShared;
}

// A card as the server keeps it, with CR LF line ends: XML turns the CR LF of a card inside an
// answer into LF, and one XML reader even turns an escaped CR into a blank, so every line ends
// in " \n" there.
std::string CardLines(const std::string& strData) {
    bool bBlankBeforeEveryBreak = strData.find('\r') == std::string::npos && strData.find('\n') != std::string::npos;
    for (size_t n = strData.find('\n'); n != std::string::npos && bBlankBeforeEveryBreak; n = strData.find('\n', n + 1)) {
        bBlankBeforeEveryBreak = n > 0 && strData[n - 1] == ' ';
    }
    std::string strCard;
    strCard.reserve(strData.size() + strData.size() / 40);
    for (size_t i = 0; i < strData.size(); ++i) {
        if (strData[i] == '\n' && (i == 0 || strData[i - 1] != '\r')) {
            if (bBlankBeforeEveryBreak) {
                strCard.pop_back();
            }
            strCard += '\r';
        }
        strCard += strData[i];
    }
    return strCard;
}

// A card on the server that this sync looks at: new, changed, or fetched after a conflict.
struct CServerCard {
    std::string strHref; // absolute
    std::string strEtag;
    std::string strCard;
    bool bFetched = false;
};

class CSyncRun {
public:
    CSyncRun(const CContactArray& contacts, IHttpTransport& http, size_t nConfirmedDeletions,
             bool bKeepToStateBook, CSyncOutcome& out)
        : m_contacts(contacts), m_dav(http), m_out(out), m_nConfirmedDeletions(nConfirmedDeletions),
          m_bKeepToStateBook(bKeepToStateBook), m_localEntry(static_cast<size_t>(contacts.GetSize()), -1) {}

    bool Run(const CSyncState& state, const std::string& strUrl, const std::string& strUser);
    const std::string& Error() const { return m_dav.Error(); }
    const std::string& CertificateSha256() const { return m_dav.CertificateSha256(); }
    bool LoginRefused() const { return m_bLoginRefused || m_dav.FailedStatus() == 401; }

private:
    bool FindBook(const CSyncState& state, const std::string& strUrl, const std::string& strUser);
    bool ListServer();
    bool ListEverything();
    bool FetchCards();
    void LinkContacts();
    bool ReconcileEntries();
    bool ReconcileNewCards();
    bool UploadNewContacts();
    // The token to keep: the one from the start when this sync wrote nothing there.
    std::string TokenAfterWrites();

    // A contact of the book that this sync replaces or removes.
    void ReplaceLocal(int nLocal, const CContact& contact);
    void RemoveLocal(int nLocal) { m_out.removed.push_back(nLocal); }
    void AddLocal(const CContact& contact) { m_out.added.push_back(contact); }
    // Writes a card: with If-Match for a known one, If-None-Match for a new one. True when the
    // request had an answer it can go on from (written, or 412); the entry then holds the card
    // as written.
    bool Put(const std::string& strUrl, const std::string& strCard, const std::string& strEtag, CSyncEntry& entry,
             int& nStatus);
    bool Get(const std::string& strUrl, CServerCard& card, int& nStatus);
    // The contact changed on both sides, merged against the base and written back.
    bool MergeAndSend(const CContact& base, int nLocal, CServerCard server, CSyncEntry& entry);

    std::string Key(const std::string& strHref) const { return ResourceKey(m_state.strBookUrl, strHref); }

    const CContactArray& m_contacts;
    CDavClient m_dav;
    CSyncOutcome& m_out;
    const size_t m_nConfirmedDeletions;
    const bool m_bKeepToStateBook;
    CSyncState m_state;
    std::vector<CSyncEntry> m_entries; // the state's, as the sync leaves them
    std::vector<int> m_entryLocal;      // per entry of m_state, its contact or -1
    std::vector<int> m_localEntry;      // per contact, its entry or -1
    std::vector<bool> m_localUsed;      // per contact, linked to a card found new
    // Per contact changed here whose card was deleted there: that card, sent again with the change.
    std::unordered_map<int, CSyncEntry> m_revived;
    std::unordered_map<std::string, CServerCard> m_changed; // by key: changed or new on the server
    std::vector<std::string> m_changedOrder;               // their keys in the server's order
    std::unordered_set<std::string> m_removed;              // keys gone from the server
    std::string m_strToken;
    int m_nWrites = 0; // cards written or deleted on the server
    bool m_bLoginRefused = false; // while the address book was looked for
};

bool CSyncRun::Run(const CSyncState& state, const std::string& strUrl, const std::string& strUser) {
    if (!FindBook(state, strUrl, strUser)) {
        return false;
    }
    LinkContacts();
    bool bAnyLinked = std::any_of(m_entryLocal.begin(), m_entryLocal.end(), [](int n) { return n >= 0; });
    if (!m_state.entries.empty() && !bAnyLinked) {
        // The book holds none of the contacts last synchronised: another book, or one that was
        // lost. Deleting them all on the server would be the worst guess; this is a first sync.
        m_state.entries.clear();
        m_state.strSyncToken.clear();
        LinkContacts();
    }
    if (!ListServer() || !FetchCards()) {
        return false;
    }
    if (!ReconcileEntries() || !ReconcileNewCards() || !UploadNewContacts()) {
        return false;
    }
    m_out.state = m_state;
    m_out.state.strSyncToken = TokenAfterWrites();
    m_out.state.entries = std::move(m_entries);
    return true;
}

std::string CSyncRun::TokenAfterWrites() {
    if (m_strToken.empty() || m_nWrites == 0) {
        return m_strToken;
    }
    // The start's token would report a card this sync made and another client deleted since
    // as no change at all. The changes since that token, asked for now, give a newer token;
    // when they are all this sync's own, nobody else wrote meanwhile and the newer token misses
    // nothing. Otherwise the next sync compares every card.
    CHttpResponse response = m_dav.Report(m_state.strBookUrl, 0, SyncCollectionBody(m_strToken));
    CMultiStatus changes;
    std::string strError;
    if (response.failure != HttpFailure::none || response.nStatus != 207 ||
        !ParseMultiStatus(response.strBody, changes, strError)) {
        return std::string();
    }
    std::unordered_map<std::string, const CSyncEntry*> ours;
    for (const CSyncEntry& entry : m_entries) {
        ours[Key(entry.strHref)] = &entry;
    }
    for (const CDavResource& resource : changes.resources) {
        auto it = ours.find(Key(resource.strHref));
        bool bOurs = resource.nStatus == 404 ? it == ours.end()
                                             : it != ours.end() && it->second->strEtag == resource.strEtag;
        if (!bOurs && !resource.bCollection) {
            return std::string();
        }
    }
    return changes.strSyncToken;
}

bool CSyncRun::FindBook(const CSyncState& state, const std::string& strUrl, const std::string& strUser) {
    if (state.strAccountUrl == strUrl && state.strUser == strUser && !state.strBookUrl.empty()) {
        m_state = state;
        return true;
    }
    std::vector<CAddressBookInfo> books;
    std::string strError, strCertificate;
    if (!FindAddressBooks(m_dav.Transport(), strUrl, books, strError, strCertificate, &m_bLoginRefused)) {
        m_dav.Fail(strError);
        m_out.strCertificateSha256 = strCertificate;
        return false;
    }
    if (books.size() > 1) {
        std::string strList;
        for (const CAddressBookInfo& book : books) {
            strList += "\n" + book.strUrl + (book.strName.empty() ? "" : " (" + book.strName + ")");
        }
        m_dav.Fail(strUrl + " holds several address books; give the address of the one to synchronise:" + strList);
        return false;
    }
    bool bSameBook = !state.strBookUrl.empty() && IsSameResource(state.strBookUrl, books[0].strUrl);
    if (m_bKeepToStateBook && !bSameBook && !state.entries.empty()) {
        m_dav.Fail("This address book is synchronised with " + DisplayUrl(state.strBookUrl) + ", not with " +
                   DisplayUrl(books[0].strUrl) + ".");
        m_out.strStateBook = state.strBookUrl;
        return false;
    }
    // Another address book or account: what was agreed with the old one says nothing here.
    if (bSameBook && state.strUser == strUser) {
        m_state = state;
    }
    m_state.strAccountUrl = strUrl;
    m_state.strUser = strUser;
    m_state.strBookUrl = books[0].strUrl;
    return true;
}

bool CSyncRun::ListServer() {
    if (m_state.strSyncToken.empty()) {
        return ListEverything();
    }
    CHttpResponse response = m_dav.Report(m_state.strBookUrl, 0, SyncCollectionBody(m_state.strSyncToken));
    if (response.failure != HttpFailure::none) {
        return false;
    }
    if (response.nStatus == 401) {
        m_dav.Fail("REPORT", m_state.strBookUrl, response);
        return false;
    }
    if (response.nStatus != 207) {
        // A token the server no longer takes (said properly, or as any other refusal: some
        // servers answer 500) means comparing every card, never a failed sync.
        return ListEverything();
    }
    CMultiStatus changes;
    std::string strError;
    if (!ParseMultiStatus(response.strBody, changes, strError)) {
        m_dav.Fail("The server " + UrlOrigin(m_state.strBookUrl) + " sent an answer that is not a valid WebDAV answer (" +
                   strError + ").");
        return false;
    }
    std::unordered_map<std::string, const CSyncEntry*> known;
    for (const CSyncEntry& entry : m_state.entries) {
        known[Key(entry.strHref)] = &entry;
    }
    for (const CDavResource& resource : changes.resources) {
        std::string strKey = Key(resource.strHref);
        if (resource.nStatus == 404) {
            m_removed.insert(strKey);
            continue;
        }
        auto it = known.find(strKey);
        bool bOurs = it != known.end() && it->second->strEtag == resource.strEtag;
        if (!resource.bCollection && !bOurs && m_changed.count(strKey) == 0) {
            m_changed[strKey] = {ResolveHref(m_state.strBookUrl, resource.strHref), resource.strEtag, "", false};
            m_changedOrder.push_back(strKey);
        }
    }
    m_strToken = changes.strSyncToken;
    return true;
}

bool CSyncRun::ListEverything() {
    // The token first: a change made while the cards are listed then comes again next time
    // rather than never.
    CMultiStatus top;
    bool bFound = m_dav.Propfind(m_state.strBookUrl, 0, PropfindDiscoveryBody(), top);
    if (!bFound && m_dav.FailedStatus() != 404 && m_dav.FailedStatus() != 410) {
        return false;
    }
    const CDavResource* pBook = top.resources.empty() ? nullptr : &top.resources[0];
    if (!bFound || !pBook || !pBook->bAddressBook) {
        m_dav.Fail("There is no address book at " + m_state.strBookUrl + " any more.");
        return false;
    }
    m_strToken = pBook->bSupportsSyncCollection ? pBook->strSyncToken : std::string();
    CMultiStatus listing;
    if (!m_dav.Propfind(m_state.strBookUrl, 1, PropfindEtagsBody(), listing)) {
        return false;
    }
    std::unordered_set<std::string> listed;
    std::unordered_map<std::string, const CSyncEntry*> known;
    for (const CSyncEntry& entry : m_state.entries) {
        known[Key(entry.strHref)] = &entry;
    }
    const std::string strBookKey = Key(m_state.strBookUrl);
    for (const CDavResource& resource : listing.resources) {
        std::string strKey = Key(resource.strHref);
        if (resource.bCollection || strKey == strBookKey || strKey + "/" == strBookKey || listed.count(strKey)) {
            continue;
        }
        listed.insert(strKey);
        auto it = known.find(strKey);
        if (it == known.end() || it->second->strEtag != resource.strEtag || resource.strEtag.empty()) {
            m_changed[strKey] = {ResolveHref(m_state.strBookUrl, resource.strHref), resource.strEtag, "", false};
            m_changedOrder.push_back(strKey);
        }
    }
    for (const auto& it : known) {
        if (listed.count(it.first) == 0) {
            m_removed.insert(it.first);
        }
    }
    return true;
}

bool CSyncRun::FetchCards() {
    for (size_t nStart = 0; nStart < m_changedOrder.size(); nStart += kMultigetBatch) {
        std::vector<std::string> hrefs;
        for (size_t i = nStart; i < m_changedOrder.size() && i < nStart + kMultigetBatch; ++i) {
            hrefs.push_back(UrlPath(m_changed[m_changedOrder[i]].strHref));
        }
        CHttpResponse response = m_dav.Report(m_state.strBookUrl, 1, MultigetBody(hrefs));
        if (response.failure != HttpFailure::none) {
            return false;
        }
        CMultiStatus cards;
        std::string strError;
        if (response.nStatus != 207) {
            m_dav.Fail("REPORT", m_state.strBookUrl, response);
            return false;
        }
        if (!ParseMultiStatus(response.strBody, cards, strError)) {
            m_dav.Fail("The server " + UrlOrigin(m_state.strBookUrl) +
                       " sent an answer that is not a valid WebDAV answer (" + strError + ").");
            return false;
        }
        for (const CDavResource& resource : cards.resources) {
            auto it = m_changed.find(Key(resource.strHref));
            if (it == m_changed.end()) {
                continue;
            }
            if (resource.nStatus == 404) {
                m_removed.insert(it->first); // gone between the listing and now
            } else if (!resource.strAddressData.empty()) {
                it->second.strCard = CardLines(resource.strAddressData);
                it->second.strEtag = resource.strEtag.empty() ? it->second.strEtag : resource.strEtag;
                it->second.bFetched = true;
            }
        }
    }
    return true;
}

void CSyncRun::LinkContacts() {
    m_entryLocal.assign(m_state.entries.size(), -1);
    m_localEntry.assign(static_cast<size_t>(m_contacts.GetSize()), -1);
    // A contact as it was last seen is its entry's for certain.
    std::unordered_multimap<std::string, int> bySnapshot;
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        bySnapshot.emplace(FieldsKey(m_state.entries[e].contact), static_cast<int>(e));
    }
    std::vector<int> unlinked;
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        auto it = bySnapshot.find(FieldsKey(m_contacts[i]));
        if (it == bySnapshot.end()) {
            unlinked.push_back(i);
            continue;
        }
        m_localEntry[static_cast<size_t>(i)] = it->second;
        m_entryLocal[static_cast<size_t>(it->second)] = i;
        bySnapshot.erase(it);
    }
    // A contact edited since is found by its name, or else by an address or number it kept,
    // and among several by the most fields in common.
    std::unordered_multimap<std::string, int> byIdentity;
    for (int i : unlinked) {
        const CContact& contact = m_contacts[i];
        if (!NameKey(contact).empty()) {
            byIdentity.emplace("n:" + NameKey(contact), i);
        }
        for (const std::string& strAddress : EmailAddresses(contact)) {
            byIdentity.emplace("e:" + strAddress, i);
        }
        for (const CPhoneNumber& number : PhoneNumbers(contact)) {
            byIdentity.emplace("p:" + number.strNational, i);
        }
    }
    // Every pair an entry and a contact make is weighed first, and the best pairs linked first: a
    // number many contacts share (a switchboard) would otherwise hand an entry whichever of
    // them came first, and leave the contact that is the entry's own to another.
    struct CCandidate {
        bool bSameName;
        int nShared;
        int nEntry;
        int nLocal;
    };
    std::vector<CCandidate> candidates;
    for (const auto& it : bySnapshot) {
        const CContact& seen = m_state.entries[static_cast<size_t>(it.second)].contact;
        const std::string strName = NameKey(seen);
        std::vector<std::string> keys;
        if (!strName.empty()) {
            keys.push_back("n:" + strName);
        }
        for (const std::string& strAddress : EmailAddresses(seen)) {
            keys.push_back("e:" + strAddress);
        }
        for (const CPhoneNumber& number : PhoneNumbers(seen)) {
            keys.push_back("p:" + number.strNational);
        }
        for (const std::string& strKey : keys) {
            auto range = byIdentity.equal_range(strKey);
            for (auto candidate = range.first; candidate != range.second; ++candidate) {
                const CContact& contact = m_contacts[candidate->second];
                candidates.push_back({!strName.empty() && NameKey(contact) == strName,
                                      SharedFields(seen, contact), it.second, candidate->second});
            }
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const CCandidate& a, const CCandidate& b) {
        return std::tie(b.bSameName, b.nShared, a.nEntry, a.nLocal) <
               std::tie(a.bSameName, a.nShared, b.nEntry, b.nLocal);
    });
    for (const CCandidate& candidate : candidates) {
        if (candidate.nShared > 0 && m_entryLocal[static_cast<size_t>(candidate.nEntry)] < 0 &&
            m_localEntry[static_cast<size_t>(candidate.nLocal)] < 0) {
            m_localEntry[static_cast<size_t>(candidate.nLocal)] = candidate.nEntry;
            m_entryLocal[static_cast<size_t>(candidate.nEntry)] = candidate.nLocal;
        }
    }
    m_localUsed.assign(static_cast<size_t>(m_contacts.GetSize()), false);
}

void CSyncRun::ReplaceLocal(int nLocal, const CContact& contact) {
    if (!HaveSameFields(m_contacts[nLocal], contact)) {
        RemoveLocal(nLocal);
        AddLocal(contact);
    }
}

bool CSyncRun::Get(const std::string& strUrl, CServerCard& card, int& nStatus) {
    CHttpResponse response = m_dav.Send("GET", strUrl, "", {});
    if (response.failure != HttpFailure::none) {
        return false;
    }
    nStatus = response.nStatus;
    if (nStatus == 404 || nStatus == 410) {
        return true;
    }
    if (nStatus != 200) {
        m_dav.Fail("GET", strUrl, response);
        return false;
    }
    card = {strUrl, response.Header("ETag"), response.strBody, true};
    return true;
}

bool CSyncRun::Put(const std::string& strUrl, const std::string& strCard, const std::string& strEtag, CSyncEntry& entry,
                   int& nStatus) {
    std::vector<std::pair<std::string, std::string>> headers = {{"Content-Type", kCardType}};
    headers.emplace_back(strEtag.empty() ? "If-None-Match" : "If-Match", strEtag.empty() ? "*" : strEtag);
    CHttpResponse response = m_dav.Send("PUT", strUrl, strCard, headers);
    if (response.failure != HttpFailure::none) {
        return false;
    }
    nStatus = response.nStatus;
    if (nStatus == 412) {
        return true;
    }
    if (!IsSuccess(nStatus)) {
        m_dav.Fail("PUT", strUrl, response);
        return false;
    }
    entry.strHref = strUrl;
    entry.strCard = strCard;
    entry.strEtag = response.Header("ETag");
    if (entry.strEtag.empty()) {
        // The server changed the card as it stored it, or does not say: what it holds is the card.
        CServerCard stored;
        int nGetStatus = 0;
        if (!Get(strUrl, stored, nGetStatus)) {
            return false;
        }
        if (stored.bFetched) {
            entry.strCard = stored.strCard;
            entry.strEtag = stored.strEtag;
        }
    }
    ++m_out.summary.nSent;
    ++m_nWrites;
    return true;
}

bool CSyncRun::MergeAndSend(const CContact& base, int nLocal, CServerCard server, CSyncEntry& entry) {
    const CContact& local = m_contacts[nLocal];
    // Two tries: a card changed again between the fetch and the write is fetched once more.
    for (int nTry = 0; nTry < 2; ++nTry) {
        CContact received = ContactFromCard(server.strCard);
        CThreeWayResult merge = MergeThreeWay(base, local, received);
        entry.strHref = server.strHref;
        entry.strEtag = server.strEtag;
        entry.strCard = server.strCard;
        entry.strUid = CardUid(server.strCard);
        entry.contact = merge.merged;
        if (HaveSameFields(merge.merged, received)) {
            ReplaceLocal(nLocal, merge.merged);
            ++m_out.summary.nReceived;
            return true;
        }
        int nStatus = 0;
        if (!Put(server.strHref, PatchCard(server.strCard, merge.merged), server.strEtag, entry, nStatus)) {
            return false;
        }
        if (nStatus != 412) {
            ReplaceLocal(nLocal, merge.merged);
            // A merged contact is told once, as merged, though its card was sent too.
            const int nMerged = HaveSameFields(merge.merged, local) ? 0 : 1;
            m_out.summary.nMerged += nMerged;
            m_out.summary.nSent -= nMerged;
            m_out.summary.nConflicts += merge.nConflicts;
            return true;
        }
        if (!Get(server.strHref, server, nStatus)) {
            return false;
        }
        if (nStatus == 404 || nStatus == 410) {
            // Deleted there while changed here: sent again as a new card below.
            entry = CSyncEntry();
            return true;
        }
    }
    // Still changing: the local contact stays as it is; the next sync merges again.
    return true;
}

bool CSyncRun::ReconcileEntries() {
    // Most of the synchronised contacts gone here at once may be a book restored from an old copy
    // or replaced as well as deletions: nothing is deleted there until the user says which.
    size_t nToDelete = 0;
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        std::string strKey = Key(m_state.entries[e].strHref);
        nToDelete += m_entryLocal[e] < 0 && !m_removed.count(strKey) && !m_changed.count(strKey) ? 1 : 0;
    }
    if (nToDelete > kMassDeletion && nToDelete * 2 > m_state.entries.size() &&
        nToDelete > m_nConfirmedDeletions) {
        m_out.nDeletionsToConfirm = nToDelete;
        m_dav.Fail("This sync would delete " + std::to_string(nToDelete) + " of the " +
                   std::to_string(m_state.entries.size()) + " synchronised contacts on " +
                   UrlOrigin(m_state.strBookUrl) + ", as they are missing here; nothing was changed.");
        return false;
    }
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        CSyncEntry entry = m_state.entries[e];
        const std::string strKey = Key(entry.strHref);
        const int nLocal = m_entryLocal[e];
        const CContact base = ContactFromCard(entry.strCard);
        auto changed = m_changed.find(strKey);
        if (m_removed.count(strKey)) {
            if (nLocal >= 0 && !HaveSameFields(m_contacts[nLocal], base)) {
                // Changed here, deleted there: kept with the change, and sent again below as the
                // card it was, so that what the book does not show comes back with it.
                m_localEntry[static_cast<size_t>(nLocal)] = -1;
                m_revived[nLocal] = entry;
            } else if (nLocal >= 0) {
                RemoveLocal(nLocal);
                ++m_out.summary.nDeletedHere;
            }
            continue;
        }
        if (changed != m_changed.end() && changed->second.bFetched) {
            const CServerCard& server = changed->second;
            CContact received = ContactFromCard(server.strCard);
            if (nLocal < 0) {
                // Deleted here, changed there: kept with the change.
                if (HasAnyField(received)) {
                    AddLocal(received);
                    ++m_out.summary.nReceived;
                    m_entries.push_back({server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, received});
                }
                continue;
            }
            const CContact& local = m_contacts[nLocal];
            if (HaveSameFields(local, base) || HaveSameFields(local, received)) {
                if (!HaveSameFields(local, received)) {
                    ReplaceLocal(nLocal, received);
                    ++m_out.summary.nReceived;
                }
                m_entries.push_back({server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, received});
                continue;
            }
            CSyncEntry merged;
            if (!MergeAndSend(base, nLocal, server, merged)) {
                return false;
            }
            if (merged.strHref.empty()) {
                m_localEntry[static_cast<size_t>(nLocal)] = -1;
            } else {
                m_entries.push_back(merged);
            }
            continue;
        }
        if (changed != m_changed.end()) {
            // Listed as changed but not sent with the others: left as it was until the next sync.
            if (nLocal >= 0) {
                entry.contact = m_contacts[nLocal];
            }
            m_entries.push_back(entry);
            continue;
        }
        if (nLocal < 0) {
            CHttpResponse response = m_dav.Send("DELETE", entry.strHref, "", {{"If-Match", entry.strEtag}});
            if (response.failure != HttpFailure::none) {
                return false;
            }
            if (response.nStatus == 412) {
                // Changed there since: kept with the change.
                CServerCard server;
                int nStatus = 0;
                if (!Get(entry.strHref, server, nStatus)) {
                    return false;
                }
                CContact received = ContactFromCard(server.strCard);
                if (server.bFetched && HasAnyField(received)) {
                    AddLocal(received);
                    ++m_out.summary.nReceived;
                    m_entries.push_back({server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, received});
                }
            } else if (IsSuccess(response.nStatus) || response.nStatus == 404 || response.nStatus == 410) {
                ++m_out.summary.nDeletedOnServer;
                ++m_nWrites;
            } else {
                m_dav.Fail("DELETE", entry.strHref, response);
                return false;
            }
            continue;
        }
        const CContact& local = m_contacts[nLocal];
        if (HaveSameFields(local, base)) {
            entry.contact = local;
            m_entries.push_back(entry);
            continue;
        }
        int nStatus = 0;
        CSyncEntry sent = entry;
        sent.contact = local;
        if (!Put(entry.strHref, PatchCard(entry.strCard, local), entry.strEtag, sent, nStatus)) {
            return false;
        }
        if (nStatus != 412) {
            m_entries.push_back(sent);
            continue;
        }
        // Changed on both sides.
        CServerCard server;
        if (!Get(entry.strHref, server, nStatus)) {
            return false;
        }
        CSyncEntry merged;
        if (server.bFetched && !MergeAndSend(base, nLocal, server, merged)) {
            return false;
        }
        if (merged.strHref.empty()) {
            m_localEntry[static_cast<size_t>(nLocal)] = -1; // deleted there meanwhile: sent as new
        } else {
            m_entries.push_back(merged);
        }
    }
    return true;
}

bool CSyncRun::ReconcileNewCards() {
    std::unordered_set<std::string> known;
    for (const CSyncEntry& entry : m_state.entries) {
        known.insert(Key(entry.strHref));
    }
    // The contacts no entry holds, by their fields and by the person they are.
    std::unordered_multimap<std::string, int> byFields, byName;
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        if (m_localEntry[static_cast<size_t>(i)] < 0) {
            byFields.emplace(FieldsKey(m_contacts[i]), i);
            byName.emplace(NameKey(m_contacts[i]), i);
        }
    }
    for (const std::string& strKey : m_changedOrder) {
        const CServerCard& server = m_changed[strKey];
        if (known.count(strKey) || !server.bFetched) {
            continue;
        }
        CContact received = ContactFromCard(server.strCard);
        if (!HasAnyField(received)) {
            continue; // nothing the book can show; it stays on the server as it is
        }
        int nLocal = -1;
        for (auto range = byFields.equal_range(FieldsKey(received)); range.first != range.second; ++range.first) {
            if (!m_localUsed[static_cast<size_t>(range.first->second)]) {
                nLocal = range.first->second;
                break;
            }
        }
        for (auto range = byName.equal_range(NameKey(received)); nLocal < 0 && range.first != range.second;
             ++range.first) {
            int i = range.first->second;
            if (!m_localUsed[static_cast<size_t>(i)] && !NameKey(received).empty() && IsSamePerson(m_contacts[i], received)) {
                nLocal = i;
            }
        }
        CSyncEntry entry{server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, received};
        if (nLocal < 0) {
            AddLocal(received);
            ++m_out.summary.nReceived;
            m_entries.push_back(entry);
            continue;
        }
        m_localUsed[static_cast<size_t>(nLocal)] = true;
        const CContact& local = m_contacts[nLocal];
        if (HaveSameFields(local, received)) {
            m_entries.push_back(entry);
            continue;
        }
        // One person on both sides: linked, and merged so that every value of both is kept.
        CContact merged = MergeContacts({local, received});
        entry.contact = merged;
        ReplaceLocal(nLocal, merged);
        ++m_out.summary.nMerged;
        if (!HaveSameFields(merged, received)) {
            int nStatus = 0;
            CSyncEntry sent = entry;
            if (!Put(server.strHref, PatchCard(server.strCard, merged), server.strEtag, sent, nStatus)) {
                return false;
            }
            // A 412 leaves the server's newer card for the next sync to merge. A card sent is
            // told as merged alone.
            entry = nStatus == 412 ? entry : sent;
            m_out.summary.nSent -= nStatus == 412 ? 0 : 1;
        }
        m_entries.push_back(entry);
    }
    return true;
}

bool CSyncRun::UploadNewContacts() {
    for (int i = 0; i < m_contacts.GetSize(); ++i) {
        if (m_localEntry[static_cast<size_t>(i)] >= 0 || m_localUsed[static_cast<size_t>(i)]) {
            continue;
        }
        CSyncEntry entry;
        std::string strUrl, strCard;
        auto revived = m_revived.find(i);
        if (revived != m_revived.end() && !revived->second.strCard.empty()) {
            entry.strUid = revived->second.strUid;
            strUrl = revived->second.strHref;
            strCard = PatchCard(revived->second.strCard, m_contacts[i]);
        } else {
            entry.strUid = MakeCardUid();
            strUrl = m_state.strBookUrl + entry.strUid + ".vcf";
            strCard = NewCard(m_contacts[i], entry.strUid);
        }
        entry.contact = m_contacts[i];
        int nStatus = 0;
        if (!Put(strUrl, strCard, "", entry, nStatus)) {
            return false;
        }
        if (nStatus != 412) {
            m_entries.push_back(entry);
        }
    }
    return true;
}

} // namespace

namespace {

// A multi-line field holding a line break as it came (text pasted into the editor may hold line
// feeds alone) instead of in its stored form.
bool HasRawLineBreak(const CContact& contact) {
    for (int nField = 0; nField < CContact::kFieldCount; ++nField) {
        const CString& str = contact.FieldAt(nField);
        if (CContact::IsMultiLineField(nField) && (str.Find('\n') >= 0 || str.Find('\r') >= 0)) {
            return true;
        }
    }
    return false;
}

// The contacts with every line break in its stored form, as a card brings it back. Compared as
// they are, a note with a line feed alone would differ from the card it was sent as, and be sent
// again at every sync.
CContactArray WithStoredLineBreaks(const CContactArray& contacts) {
    CContactArray result = contacts;
    for (int i = 0; i < result.GetSize(); ++i) {
        for (int nField = 0; nField < CContact::kFieldCount; ++nField) {
            CString& str = result[i].FieldAt(nField);
            if (CContact::IsMultiLineField(nField) && (str.Find('\n') >= 0 || str.Find('\r') >= 0)) {
                str = CString(NormaliseLineBreaks(str.GetStdString()));
                str.Replace("\r\n", kStoredLineBreak);
            }
        }
    }
    return result;
}

} // namespace

CSyncOutcome Synchronise(const CContactArray& contacts, const CSyncState& state, IHttpTransport& http,
                         const std::string& strUrl, const std::string& strUser, size_t nConfirmedDeletions,
                         bool bKeepToStateBook) {
    CSyncOutcome out;
    bool bRaw = false;
    for (int i = 0; i < contacts.GetSize() && !bRaw; ++i) {
        bRaw = HasRawLineBreak(contacts[i]);
    }
    CContactArray stored = bRaw ? WithStoredLineBreaks(contacts) : CContactArray();
    CSyncRun run(bRaw ? stored : contacts, http, nConfirmedDeletions, bKeepToStateBook, out);
    out.bOk = run.Run(state, strUrl, strUser);
    if (!out.bOk) {
        // Nothing of a sync that stopped is applied here; the next one finds what it did there.
        out.strError = run.Error();
        if (out.strCertificateSha256.empty()) {
            out.strCertificateSha256 = run.CertificateSha256();
        }
        out.bLoginRefused = run.LoginRefused();
        out.removed.clear();
        out.added.clear();
        out.state = state;
    }
    return out;
}
