#include "SyncEngine.h"

#include "DavUrl.h"
#include "SyncCard.h"
#include "SyncRun.h"
#include "ThreeWayMerge.h"
#include "data/ContactIdentity.h"
#include "data/PhotoFolder.h"
#include "interchange/ContactBuilder.h"

#include <algorithm>
#include <tuple>

namespace {

const char kCardType[] = "text/vcard; charset=utf-8";

// How many non-empty fields two contacts share, for finding an edited contact's entry again.
int SharedFields(const CContact& a, const CContact& b) {
    int nShared = 0;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        nShared += !a.FieldAt(f).IsEmpty() && a.FieldAt(f) == b.FieldAt(f) ? 1 : 0;
    }
    return nShared;
}

// The keys by which a contact edited since the last sync is found again: its name, its e-mail
// addresses and its numbers.
std::vector<std::string> IdentityKeys(const CContact& contact) {
    std::vector<std::string> keys;
    const std::string strName = NameKey(contact);
    if (!strName.empty()) {
        keys.push_back("n:" + strName);
    }
    for (const std::string& strAddress : EmailAddresses(contact)) {
        keys.push_back("e:" + strAddress);
    }
    for (const CPhoneNumber& number : PhoneNumbers(contact)) {
        keys.push_back("p:" + number.strNational);
    }
    return keys;
}

} // namespace

std::string CardHolderName(const std::string& strCard) {
    CContact contact = ContactFromCard(strCard);
    std::string strName = contact.firstname.GetStdString();
    strName += (strName.empty() || contact.lastname.IsEmpty() ? "" : " ") + contact.lastname.GetStdString();
    return strName.empty() ? std::string("a contact") : strName;
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

bool CSyncRun::Run(const CSyncState& state, const std::string& strUrl, const std::string& strUser) {
    if (!FindBook(state, strUrl, strUser)) {
        return false;
    }
    m_bBookFound = true;
    // Cards on another server than the address book's have no place in its state: they are never
    // asked for, and their contacts go to the address book as new cards.
    auto elsewhere = [this](const CSyncEntry& entry) { return !IsSameOrigin(entry.strHref, m_state.strBookUrl); };
    m_state.entries.erase(std::remove_if(m_state.entries.begin(), m_state.entries.end(), elsewhere),
                          m_state.entries.end());
    m_state.deleted.erase(std::remove_if(m_state.deleted.begin(), m_state.deleted.end(), elsewhere),
                          m_state.deleted.end());
    m_deleted = m_state.deleted;
    SetGroupCardsApart();
    LinkContacts();
    // The book holds none of the contacts last synchronised (cards whose PUT went unanswered
    // aside): another book, or one that was lost. Deleting them all on the server would be the
    // worst guess; this is a first sync.
    bool bAnyConfirmed = false, bAnyLinked = false;
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        bAnyConfirmed = bAnyConfirmed || !m_state.entries[e].bUnconfirmed;
        bAnyLinked = bAnyLinked || (!m_state.entries[e].bUnconfirmed && m_entryLocal[e] >= 0);
    }
    if (bAnyConfirmed && !bAnyLinked) {
        m_state.entries.clear();
        m_state.strSyncToken.clear();
        LinkContacts();
    }
    UpgradeContacts();
    m_strStartToken = m_state.strSyncToken;
    if (!ListServer() || !FetchCards() || !ReadGroupCards()) {
        return false;
    }
    if (!CheckDeletions() || !ReconcileEntries() || !ReconcileNewCards() || !UploadNewContacts() ||
        !WriteGroupCards()) {
        return false;
    }
    ApplyUpgrades();
    m_out.state = m_state;
    m_out.state.nValues = kValuesAll;
    m_out.state.strSyncToken = FinalToken();
    m_out.state.strCardVersion = m_bVCard4 ? "4.0" : "3.0";
    m_out.state.entries = std::move(m_entries);
    if (m_deleted.size() > kMaxDeletedCards) {
        m_deleted.erase(m_deleted.begin(), m_deleted.end() - static_cast<long>(kMaxDeletedCards));
    }
    m_out.state.deleted = std::move(m_deleted);
    return true;
}

void CSyncRun::Settle(const std::string& strHref, const CSyncEntry* pEntry) {
    const std::string strKey = Key(strHref);
    if (pEntry) {
        m_settled[strKey] = *pEntry;
        m_settledGone.erase(strKey);
    } else {
        m_settled.erase(strKey);
        m_settledGone.insert(strKey);
    }
}

CSyncState CSyncRun::SettledState(const CSyncState& given) const {
    if (!m_bBookFound) {
        return given;
    }
    CSyncState settled = m_state;
    settled.strSyncToken = m_strStartToken; // the changes it did not apply here come again
    settled.entries.clear();
    std::unordered_set<std::string> written;
    for (const CSyncEntry& entry : m_state.entries) {
        const std::string strKey = Key(entry.strHref);
        auto it = m_settled.find(strKey);
        if (it != m_settled.end()) {
            settled.entries.push_back(it->second);
            written.insert(strKey);
        } else if (m_settledGone.count(strKey) == 0) {
            settled.entries.push_back(entry);
        }
    }
    for (const auto& it : m_settled) {
        if (written.count(it.first) == 0) {
            settled.entries.push_back(it.second);
        }
    }
    settled.deleted = m_deleted;
    SettleGroupCards(settled);
    return settled;
}

std::string CSyncRun::FinalToken() {
    if (m_bIncomplete) {
        // What was left unread comes again from the token the sync began with, or, without one,
        // from comparing every card.
        return m_strStartToken;
    }
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
        !ParseMultiStatus(response.strBody, changes, strError) || changes.bTruncated) {
        return std::string();
    }
    std::unordered_map<std::string, const CSyncEntry*> ours;
    for (const CSyncEntry& entry : m_entries) {
        ours[Key(entry.strHref)] = &entry;
    }
    for (const auto& card : m_groupCards) {
        ours[card.first] = &card.second;
    }
    for (const CDavResource& resource : changes.resources) {
        auto it = ours.find(Key(resource.strHref));
        bool bOurs = resource.nStatus == 404 ? it == ours.end()
                                             : it != ours.end() && it->second->strEtag == resource.strEtag;
        if (!bOurs && !resource.bCollection && !IsBook(resource.strHref)) {
            return std::string();
        }
    }
    return changes.strSyncToken;
}

bool CSyncRun::FindBook(const CSyncState& state, const std::string& strUrl, const std::string& strUser) {
    if (state.strAccountUrl == strUrl && state.strUser == strUser && !state.strBookUrl.empty() &&
        IsSameOrigin(state.strBookUrl, strUrl)) {
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
        return Fail(strUrl + " holds several address books; give the address of the one to synchronise:" + strList);
    }
    bool bSameBook = !state.strBookUrl.empty() && IsSameResource(state.strBookUrl, books[0].strUrl);
    if (m_bKeepToStateBook && !bSameBook && !state.entries.empty()) {
        m_out.strStateBook = state.strBookUrl;
        return Fail("This address book is synchronised with " + DisplayUrl(state.strBookUrl) + ", not with " +
                    DisplayUrl(books[0].strUrl) + ".");
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

void CSyncRun::LinkContacts() {
    m_entryLocal.assign(m_state.entries.size(), -1);
    m_localEntry.assign(static_cast<size_t>(Contacts().GetSize()), -1);
    // A contact as it was last seen is its entry's for certain.
    std::unordered_multimap<std::string, int> bySnapshot;
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        bySnapshot.emplace(FieldsKey(m_state.entries[e].contact), static_cast<int>(e));
    }
    std::vector<int> unlinked;
    for (int i = 0; i < Contacts().GetSize(); ++i) {
        auto it = bySnapshot.find(FieldsKey(Contacts()[i]));
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
        for (std::string& strKey : IdentityKeys(Contacts()[i])) {
            byIdentity.emplace(std::move(strKey), i);
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
        for (const std::string& strKey : IdentityKeys(seen)) {
            auto range = byIdentity.equal_range(strKey);
            for (auto candidate = range.first; candidate != range.second; ++candidate) {
                const CContact& contact = Contacts()[candidate->second];
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
    m_localUsed.assign(static_cast<size_t>(Contacts().GetSize()), false);
}

void CSyncRun::Upgrade(int nLocal, const CContact& contact) {
    if (m_upgraded.empty()) {
        m_upgradedBook = m_book;
        m_pContacts = &m_upgradedBook;
    }
    if (std::find(m_upgraded.begin(), m_upgraded.end(), nLocal) == m_upgraded.end()) {
        m_upgraded.push_back(nLocal);
    }
    m_upgradedBook[nLocal] = contact;
}

void CSyncRun::UpgradeContacts() {
    // A card cannot hold a value beside its empty field (read back, the value fills the field):
    // such a contact would look changed here at every sync.
    for (int i = 0; i < m_book.GetSize(); ++i) {
        if (!m_book[i].values.empty()) {
            CContact contact = m_book[i];
            if (MoveValuesToEmptyFields(contact)) {
                Upgrade(i, contact);
            }
        }
    }
    if (m_state.nValues != kValuesNone && !WrittenWithoutValues()) {
        if (m_state.nValues == kValuesWithoutPhotos) {
            TakePhotosFromCards();
        }
        return;
    }
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        const int nLocal = m_entryLocal[e];
        if (nLocal < 0 || m_state.entries[e].strCard.empty()) {
            continue;
        }
        const CSyncEntry& entry = m_state.entries[e];
        const CContact& local = Contacts()[nLocal];
        CContact read = ContactFromCard(entry.strCard);
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (local.FieldAt(f) != entry.contact.FieldAt(f)) {
                read.FieldAt(f) = local.FieldAt(f); // changed here since
            }
        }
        // Values the contact has here already (added since, by this version) stay.
        for (const CContactValue& value : local.values) {
            if (std::find(read.values.begin(), read.values.end(), value) == read.values.end()) {
                read.values.push_back(value);
            }
        }
        if (!HaveSameContent(read, local)) {
            read.id = local.id;
            read.marked = local.marked;
            Upgrade(nLocal, read);
        }
    }
}

void CSyncRun::TakePhotosFromCards() {
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        const int nLocal = m_entryLocal[e];
        if (nLocal < 0 || !PhotoOf(Contacts()[nLocal].values).IsEmpty()) {
            continue; // a photo chosen here since stays
        }
        CContact contact = Contacts()[nLocal];
        for (const CContactValue& value : ContactFromCard(m_state.entries[e].strCard).values) {
            if (value.kind == EValueKind::photo) {
                contact.values.push_back(value);
            }
        }
        if (contact.values.size() != Contacts()[nLocal].values.size()) {
            Upgrade(nLocal, contact);
        }
    }
}

bool CSyncRun::WrittenWithoutValues() const {
    for (int i = 0; i < m_book.GetSize(); ++i) {
        if (!m_book[i].values.empty()) {
            return false;
        }
    }
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        if (m_entryLocal[e] >= 0 && !ContactFromCard(m_state.entries[e].strCard).values.empty()) {
            return true;
        }
    }
    return false;
}

void CSyncRun::ApplyUpgrades() {
    for (int nLocal : m_upgraded) {
        if (std::find(m_out.removed.begin(), m_out.removed.end(), nLocal) == m_out.removed.end()) {
            RemoveLocal(nLocal);
            AddLocal(Contacts()[nLocal]);
        }
    }
}

void CSyncRun::ReplaceLocal(int nLocal, const CContact& contact) {
    if (!HaveSameContent(Contacts()[nLocal], contact)) {
        RemoveLocal(nLocal);
        AddLocal(contact);
    }
}

bool CSyncRun::Get(const std::string& strUrl, const std::string& strUid, CServerCard& card, int& nStatus) {
    std::vector<std::pair<std::string, std::string>> headers;
    if (m_bVCard4) {
        headers.emplace_back("Accept", "text/vcard; version=4.0");
    }
    std::string strAt = strUrl;
    CHttpResponse response;
    for (int nRedirect = 0;; ++nRedirect) {
        response = m_dav.Send("GET", strAt, "", headers);
        if (response.failure != HttpFailure::none) {
            return false;
        }
        if (!IsRedirect(response.nStatus) || response.Header("Location").empty() || nRedirect == kMaxRedirects) {
            break;
        }
        std::string strTarget = ResolveHref(strAt, response.Header("Location"));
        if (!IsSameOrigin(strTarget, m_state.strBookUrl)) {
            return Fail("The server " + UrlOrigin(strAt) + " sends the card at " + UrlPath(strAt) +
                        " on to another server, " + DisplayUrl(strTarget) + "; nothing was synchronised.");
        }
        strAt = strTarget;
    }
    nStatus = response.nStatus;
    if (nStatus == 404 || nStatus == 410) {
        return true;
    }
    if (nStatus != 200) {
        m_dav.Fail("GET", strAt, response);
        return false;
    }
    if (!IsWholeCard(response.strBody)) {
        return Fail("The server " + UrlOrigin(strAt) + " sent the card at " + UrlPath(strAt) +
                    " cut short; nothing was synchronised.");
    }
    const std::string strGotUid = CardUid(response.strBody);
    if (!strUid.empty() && !strGotUid.empty() && strGotUid != strUid) {
        return Fail("The server " + UrlOrigin(strAt) + " answered a request for the card at " + UrlPath(strAt) +
                    " with the card of another contact (" + CardHolderName(response.strBody) +
                    "); nothing was synchronised.");
    }
    card = {strUrl, response.Header("ETag"), std::move(response.strBody), true};
    return true;
}

bool CSyncRun::Put(const std::string& strUrl, const std::string& strCard, const std::string& strEtag, CSyncEntry& entry,
                   int& nStatus) {
    if (!strEtag.empty() && strEtag == entry.strEtag && strUrl == entry.strHref && strCard == entry.strCard) {
        // The card holds the change already (a membership kept in a group card): nothing to send.
        nStatus = 204;
        ++m_out.summary.nSent;
        return true;
    }
    if (HasCutDataUri(strCard)) {
        // The server sent the card with a value cut short; written back, that value would be gone
        // there for good. The change stays here, and the card as it is there.
        nStatus = kNotWritten;
        m_out.warnings.push_back("The card of " + CardHolderName(strCard) + " at " + UrlPath(strUrl) +
                                 " was not written: the server sent it with a photo or another value cut "
                                 "short, which writing it back would lose.");
        return true;
    }
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
    entry.bUnconfirmed = false;
    if (entry.strEtag.empty()) {
        // The server changed the card as it stored it, or does not say: what it holds is the card.
        CServerCard stored;
        int nGetStatus = 0;
        if (!Get(strUrl, entry.strUid, stored, nGetStatus)) {
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
                         bool bKeepToStateBook, const CPhotoFolder* pPhotos) {
    CSyncOutcome out;
    bool bRaw = false;
    for (int i = 0; i < contacts.GetSize() && !bRaw; ++i) {
        bRaw = HasRawLineBreak(contacts[i]);
    }
    CContactArray stored = bRaw ? WithStoredLineBreaks(contacts) : CContactArray();
    CSyncRun run(bRaw ? stored : contacts, pPhotos, http, nConfirmedDeletions, bKeepToStateBook, out);
    out.bOk = run.Run(state, strUrl, strUser);
    out.settledState = run.SettledState(state);
    out.bSettled = run.HasSettled();
    if (!out.bOk) {
        // Nothing of a sync that stopped is applied here; the next one finds what it did there.
        out.strError = run.Error();
        if (out.strCertificateSha256.empty()) {
            out.strCertificateSha256 = run.CertificateSha256();
        }
        out.bLoginRefused = run.LoginRefused();
        out.removed.clear();
        out.added.clear();
        out.warnings.clear();
        out.state = state;
    }
    return out;
}
