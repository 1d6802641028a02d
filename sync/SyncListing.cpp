// Listing the address book and fetching the cards that changed there (CSyncRun, SyncRun.h).
#include "DavUrl.h"
#include "SyncCard.h"
#include "SyncRun.h"

#include <algorithm>

namespace {

const size_t kMultigetBatch = 100;
// A server that cuts its list of changes short is asked for the rest this often at most; what
// is still missing then comes at the next sync.
const int kMaxListingRounds = 100;

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
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

std::string Megabytes(size_t nBytes) { return std::to_string(nBytes / (1024 * 1024)) + " MB"; }

} // namespace

// One spelling of a card's address for lookups: its path, percent-escapes undone. Every card of
// the address book is on its server (CardUrl refuses the others), so the path tells them apart.
std::string CSyncRun::Key(const std::string& strHref) const {
    std::string strPath = UrlPath(ResolveHref(m_state.strBookUrl, strHref));
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

bool CSyncRun::IsBook(const std::string& strHref) const {
    return IsSameResource(ResolveHref(m_state.strBookUrl, strHref), m_state.strBookUrl);
}

bool CSyncRun::CardUrl(const std::string& strHref, std::string& strUrl) {
    strUrl = ResolveHref(m_state.strBookUrl, strHref);
    if (IsSameOrigin(strUrl, m_state.strBookUrl)) {
        return true;
    }
    // Cards and the password go only to the server the user set up.
    return Fail("The server " + UrlOrigin(m_state.strBookUrl) + " named a card on another server, " +
                DisplayUrl(strUrl) + "; nothing was synchronised.");
}

void CSyncRun::NoteChanged(const std::string& strKey, const std::string& strUrl, const std::string& strEtag) {
    auto it = m_changed.find(strKey);
    if (it == m_changed.end()) {
        m_changed[strKey] = {strUrl, strEtag, "", false};
        m_changedOrder.push_back(strKey);
    } else {
        it->second.strEtag = strEtag;
    }
}

bool CSyncRun::ReadBookProperties(std::string& strToken) {
    CMultiStatus top;
    bool bFound = m_dav.Propfind(m_state.strBookUrl, 0, PropfindDiscoveryBody(), top);
    if (!bFound && m_dav.FailedStatus() != 404 && m_dav.FailedStatus() != 410) {
        return false;
    }
    const CDavResource* pBook = top.resources.size() == 1 ? &top.resources[0] : nullptr;
    for (const CDavResource& resource : top.resources) {
        pBook = IsBook(resource.strHref) ? &resource : pBook;
    }
    if (!bFound || !pBook || !pBook->bAddressBook) {
        return Fail("There is no address book at " + m_state.strBookUrl + " any more.");
    }
    strToken = pBook->bSupportsSyncCollection ? pBook->strSyncToken : std::string();
    m_bVCard4 = pBook->bTakesVCard4;
    return true;
}

bool CSyncRun::ListServer() {
    if (m_state.strSyncToken.empty()) {
        return ListEverything();
    }
    if (m_state.strCardVersion.empty()) {
        // The state of an earlier version does not say which cards the server takes: asked once.
        std::string strUnused;
        if (!ReadBookProperties(strUnused)) {
            return false;
        }
    } else {
        m_bVCard4 = m_state.strCardVersion == "4.0";
    }
    bool bTokenRefused = false;
    if (!ListChanges(m_state.strSyncToken, bTokenRefused)) {
        return false;
    }
    if (bTokenRefused) {
        // A token the server no longer takes (said properly, or as any other refusal: some
        // servers answer 500) means comparing every card, never a failed sync.
        m_strStartToken.clear();
        return ListEverything();
    }
    // A card whose answer was lost is among the changes if it arrived; if not, it is looked for.
    std::vector<std::string> unconfirmed;
    for (const CSyncEntry& entry : m_state.entries) {
        const std::string strKey = Key(entry.strHref);
        if (entry.bUnconfirmed && m_changed.count(strKey) == 0 && m_removed.insert(strKey).second) {
            unconfirmed.push_back(strKey);
        }
    }
    return ConfirmRemovals(unconfirmed, false);
}

bool CSyncRun::ListChanges(const std::string& strStartToken, bool& bTokenRefused) {
    const std::unordered_map<std::string, const CSyncEntry*> known = KnownCards();
    std::string strToken = strStartToken;
    for (int nRound = 0; nRound < kMaxListingRounds; ++nRound) {
        CHttpResponse response = m_dav.Report(m_state.strBookUrl, 0, SyncCollectionBody(strToken));
        if (response.failure != HttpFailure::none) {
            return false;
        }
        if (response.nStatus == 401) {
            m_dav.Fail("REPORT", m_state.strBookUrl, response);
            return false;
        }
        if (response.nStatus != 207) {
            // Refused at once: the token is no longer good. Refused later: what came so far
            // stands, and the rest comes next time from the token the sync began with.
            bTokenRefused = nRound == 0;
            m_bIncomplete = !bTokenRefused;
            return true;
        }
        CMultiStatus changes;
        std::string strError;
        if (!ParseMultiStatus(response.strBody, changes, strError)) {
            return Fail("The server " + UrlOrigin(m_state.strBookUrl) +
                        " sent an answer that is not a valid WebDAV answer (" + strError + ").");
        }
        for (const CDavResource& resource : changes.resources) {
            std::string strUrl;
            if (IsBook(resource.strHref)) {
                continue; // a status of its own says only whether the answer was cut short
            }
            if (!CardUrl(resource.strHref, strUrl)) {
                return false;
            }
            const std::string strKey = Key(resource.strHref);
            if (resource.nStatus == 404) {
                m_removed.insert(strKey);
                m_reportedGone.insert(strKey);
                continue;
            }
            if (resource.bCollection) {
                continue;
            }
            if (resource.nStatus != 0 && !IsSuccess(resource.nStatus)) {
                m_bIncomplete = true; // a member the server could not report on: asked again next time
                continue;
            }
            m_removed.erase(strKey); // made again after it was removed
            m_reportedGone.erase(strKey);
            auto it = known.find(strKey);
            if (it == known.end() || it->second->strEtag != resource.strEtag || m_changed.count(strKey)) {
                NoteChanged(strKey, strUrl, resource.strEtag);
            }
        }
        m_strToken = changes.strSyncToken;
        if (!changes.bTruncated) {
            return true;
        }
        if (changes.strSyncToken.empty() || changes.strSyncToken == strToken) {
            m_bIncomplete = true; // cut short without a way on
            return true;
        }
        strToken = changes.strSyncToken; // the rest of the changes follow from here
    }
    m_bIncomplete = true;
    return true;
}

bool CSyncRun::ListEverything() {
    // The token first: a change made while the cards are listed then comes again next time
    // rather than never.
    if (!ReadBookProperties(m_strToken)) {
        return false;
    }
    CMultiStatus listing;
    if (!m_dav.Propfind(m_state.strBookUrl, 1, PropfindEtagsBody(), listing)) {
        return false;
    }
    std::unordered_set<std::string> listed;
    const std::unordered_map<std::string, const CSyncEntry*> known = KnownCards();
    for (const CDavResource& resource : listing.resources) {
        std::string strUrl;
        if (IsBook(resource.strHref)) {
            continue;
        }
        if (!CardUrl(resource.strHref, strUrl)) {
            return false;
        }
        const std::string strKey = Key(resource.strHref);
        if (resource.bCollection || !listed.insert(strKey).second) {
            continue;
        }
        if (resource.nStatus != 0 && !IsSuccess(resource.nStatus)) {
            m_bIncomplete = true; // there, but not described: neither changed nor gone
            continue;
        }
        auto it = known.find(strKey);
        if (it == known.end() || it->second->strEtag != resource.strEtag || resource.strEtag.empty()) {
            NoteChanged(strKey, strUrl, resource.strEtag);
        }
    }
    if (listing.bTruncated) {
        // What the server left out of an answer it cut short is not known to be gone.
        m_bIncomplete = true;
        return true;
    }
    std::vector<std::string> missing;
    for (const auto& it : known) {
        if (listed.count(it.first) == 0) {
            m_removed.insert(it.first);
            missing.push_back(it.first);
        }
    }
    return ConfirmRemovals(missing, true);
}

bool CSyncRun::ConfirmRemovals(const std::vector<std::string>& keys, bool bListed) {
    const std::unordered_map<std::string, const CSyncEntry*> known = KnownCards();
    for (size_t nStart = 0; nStart < keys.size(); nStart += kMultigetBatch) {
        std::unordered_set<std::string> batch, answered;
        std::vector<std::string> hrefs;
        for (size_t i = nStart; i < keys.size() && i < nStart + kMultigetBatch; ++i) {
            batch.insert(keys[i]);
            hrefs.push_back(UrlPath(known.at(keys[i])->strHref));
        }
        CHttpResponse response = m_dav.Report(m_state.strBookUrl, 1, MultigetBody(hrefs, m_bVCard4));
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
            return Fail("The server " + UrlOrigin(m_state.strBookUrl) +
                        " sent an answer that is not a valid WebDAV answer (" + strError + ").");
        }
        for (const CDavResource& resource : cards.resources) {
            const std::string strKey = Key(resource.strHref);
            if (batch.count(strKey) == 0 || !answered.insert(strKey).second || resource.nStatus == 404) {
                continue; // a 404 confirms the card is gone
            }
            // Still there. When a listing left it out, the token the sync began with stays, since
            // a listing that leaves cards out may leave out changes too.
            m_removed.erase(strKey);
            m_bIncomplete = m_bIncomplete || bListed;
            const CSyncEntry& entry = *known.at(strKey);
            if (!resource.strAddressData.empty() && resource.strEtag != entry.strEtag) {
                NoteChanged(strKey, entry.strHref, resource.strEtag);
                if (!TakeCard(m_changed[strKey], resource.strAddressData, resource.strEtag)) {
                    return false;
                }
            }
        }
        for (const std::string& strKey : batch) {
            if (answered.count(strKey) == 0) {
                m_removed.erase(strKey); // not said to be gone: kept until a listing says it is
                m_bIncomplete = true;
            }
        }
    }
    return true;
}

bool CSyncRun::FetchCards() {
    std::vector<std::string> keys;
    for (const std::string& strKey : m_changedOrder) {
        if (m_removed.count(strKey) == 0 && !m_changed[strKey].bFetched) {
            keys.push_back(strKey);
        }
    }
    for (size_t nStart = 0; nStart < keys.size(); nStart += kMultigetBatch) {
        std::vector<std::string> batch(keys.begin() + static_cast<long>(nStart),
                                       keys.begin() + static_cast<long>(std::min(keys.size(), nStart + kMultigetBatch)));
        if (!FetchBatch(batch)) {
            return false;
        }
    }
    // A card listed but left out of the answers is asked for alone: the token must never move
    // past a card that was not read.
    for (const std::string& strKey : keys) {
        const CServerCard& card = m_changed[strKey];
        if (!card.bFetched && !card.bRefused && m_removed.count(strKey) == 0 && !FetchSingly(strKey)) {
            return false;
        }
    }
    return true;
}

bool CSyncRun::FetchBatch(const std::vector<std::string>& keys) {
    std::vector<std::string> hrefs;
    for (const std::string& strKey : keys) {
        hrefs.push_back(UrlPath(m_changed[strKey].strHref));
    }
    CHttpResponse response = m_dav.Report(m_state.strBookUrl, 1, MultigetBody(hrefs, m_bVCard4));
    if (response.failure == HttpFailure::tooLarge) {
        m_dav.ClearError();
        if (keys.size() > 1) {
            // Cards with large photos: asked for in smaller batches.
            std::vector<std::string> first(keys.begin(), keys.begin() + static_cast<long>(keys.size() / 2));
            std::vector<std::string> second(keys.begin() + static_cast<long>(keys.size() / 2), keys.end());
            return FetchBatch(first) && FetchBatch(second);
        }
        CServerCard& card = m_changed[keys[0]];
        card.bRefused = m_bIncomplete = true;
        m_out.warnings.push_back("The card at " + UrlPath(card.strHref) + " is larger than any answer the sync "
                                 "reads; it was left on the server as it is.");
        return true;
    }
    if (response.failure != HttpFailure::none) {
        return false;
    }
    if (response.nStatus != 207) {
        m_dav.Fail("REPORT", m_state.strBookUrl, response);
        return false;
    }
    CMultiStatus cards;
    std::string strError;
    if (!ParseMultiStatus(response.strBody, cards, strError)) {
        return Fail("The server " + UrlOrigin(m_state.strBookUrl) + " sent an answer that is not a valid WebDAV answer (" +
                    strError + ").");
    }
    for (const CDavResource& resource : cards.resources) {
        auto it = m_changed.find(Key(resource.strHref));
        if (it == m_changed.end() || it->second.bFetched) {
            continue;
        }
        if (resource.nStatus == 404) {
            m_removed.insert(it->first); // gone between the listing and now
        } else if (!resource.strAddressData.empty() &&
                   !TakeCard(it->second, resource.strAddressData, resource.strEtag)) {
            return false;
        }
    }
    return true;
}

bool CSyncRun::FetchSingly(const std::string& strKey) {
    CServerCard& card = m_changed[strKey];
    std::string strUid;
    for (const CSyncEntry& entry : m_state.entries) {
        strUid = Key(entry.strHref) == strKey ? entry.strUid : strUid;
    }
    CServerCard fetched;
    int nStatus = 0;
    if (!Get(card.strHref, strUid, fetched, nStatus)) {
        return false;
    }
    if (nStatus == 404 || nStatus == 410) {
        m_removed.insert(strKey);
        return true;
    }
    return TakeCard(card, fetched.strCard, fetched.strEtag);
}

bool CSyncRun::TakeCard(CServerCard& card, const std::string& strData, const std::string& strEtag) {
    std::string strCard = CardLines(strData);
    if (strCard.size() > kMaxCardBytes) {
        card.bRefused = m_bIncomplete = true;
        m_out.warnings.push_back("The card of " + CardHolderName(strCard) + " at " + UrlPath(card.strHref) +
                                 " is larger than " + Megabytes(kMaxCardBytes) +
                                 "; it was left on the server as it is.");
        return true;
    }
    if (!IsWholeCard(strCard)) {
        // A card cut off by a lost connection would be merged, saved and written back as if whole.
        return Fail("The server " + UrlOrigin(card.strHref) + " sent the card at " + UrlPath(card.strHref) +
                    " cut short; nothing was synchronised.");
    }
    card.strCard = std::move(strCard);
    card.strEtag = strEtag.empty() ? card.strEtag : strEtag;
    card.bFetched = true;
    return true;
}
