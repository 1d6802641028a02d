// Deciding for every card and contact what the sync does (CSyncRun, SyncRun.h): the contacts
// synchronised before, the cards new on the server, the contacts new here.
#include "DavUrl.h"
#include "SyncCard.h"
#include "SyncRun.h"

#include "data/PhotoFolder.h"
#include "ThreeWayMerge.h"
#include "data/ContactIdentity.h"
#include "data/ContactMerger.h"

namespace {

// Whether every value of b is a's too: the card a sync sent before it stopped, and the contact
// with what was added to it since (or the other way round). Two contacts of one name where
// neither holds more may be two people, and stay two.
bool HoldsAllOf(const CContact& a, const CContact& b) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (!b.FieldAt(f).IsEmpty() && !(a.FieldAt(f) == b.FieldAt(f))) {
            return false;
        }
    }
    return true;
}

bool IsMassDeletion(size_t nDeletions, size_t nSynchronised, size_t nConfirmed) {
    return nDeletions > kMassDeletion && nDeletions * 2 > nSynchronised && nDeletions > nConfirmed;
}

} // namespace

bool CSyncRun::CheckDeletions() {
    // Most of the synchronised contacts missing here at once may be a book restored from an old
    // copy or replaced; most missing there, a server being moved or an answer cut short on the
    // way. Nothing is deleted on either side until the user says so.
    size_t nThere = 0, nHere = 0;
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        const std::string strKey = Key(m_state.entries[e].strHref);
        const int nLocal = m_entryLocal[e];
        const bool bRemoved = m_removed.count(strKey) != 0;
        if (nLocal < 0 && !bRemoved && m_changed.count(strKey) == 0) {
            ++nThere;
        } else if (nLocal >= 0 && bRemoved && !m_state.entries[e].bUnconfirmed &&
                   HaveSameContent(Contacts()[nLocal], AgreedContact(m_state.entries[e]))) {
            ++nHere;
        }
    }
    const size_t nSynchronised = m_state.entries.size();
    const bool bThere = IsMassDeletion(nThere, nSynchronised, m_nConfirmedDeletions);
    const bool bHere = IsMassDeletion(nHere, nSynchronised, m_nConfirmedDeletions);
    if (!bThere && !bHere) {
        return true;
    }
    m_out.nDeletionsToConfirm = bThere ? nThere : 0;
    m_out.nLocalDeletionsToConfirm = bHere ? nHere : 0;
    const std::string strOf = " of the " + std::to_string(nSynchronised) + " synchronised contacts ";
    const std::string strServer = UrlOrigin(m_state.strBookUrl);
    std::string strWhat = "This sync would delete ";
    if (bThere) {
        strWhat += std::to_string(nThere) + strOf + "on " + strServer + ", as they are missing here";
    }
    if (bThere && bHere) {
        strWhat += ", and " + std::to_string(nHere) + " of them here, as they are missing there";
    } else if (bHere) {
        strWhat += std::to_string(nHere) + strOf + "here, as they are missing on " + strServer;
    }
    return Fail(strWhat + "; nothing was changed.");
}

bool CSyncRun::ReconcileEntries() {
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        const CSyncEntry& agreed = m_state.entries[e];
        const std::string strKey = Key(agreed.strHref);
        const int nLocal = m_entryLocal[e];
        auto changed = m_changed.find(strKey);
        bool bGoOn = true;
        if (m_removed.count(strKey)) {
            bGoOn = ReconcileRemovedThere(agreed, nLocal);
        } else if (changed != m_changed.end() && changed->second.bFetched) {
            const CServerCard& server = changed->second;
            if (agreed.bUnconfirmed && nLocal < 0 &&
                HaveSameContent(ContactFromCard(server.strCard), ContactFromCard(agreed.strCard))) {
                // The card whose answer was lost did arrive, and its contact was deleted here since.
                CSyncEntry arrived = agreed;
                arrived.strEtag = server.strEtag;
                bGoOn = DeleteThere(arrived);
            } else {
                bGoOn = ReconcileChangedThere(agreed, nLocal, server);
            }
        } else if (changed != m_changed.end()) {
            // Changed there but left unread (too large to read): as it was until it is read.
            CSyncEntry entry = agreed;
            if (nLocal >= 0) {
                entry.contact = Contacts()[nLocal];
            }
            m_entries.push_back(entry);
            KeepMemberships(agreed);
        } else if (nLocal < 0) {
            bGoOn = DeleteThere(agreed);
        } else {
            bGoOn = SendLocalChange(agreed, nLocal);
        }
        if (!bGoOn) {
            return false;
        }
    }
    return true;
}

bool CSyncRun::ReconcileRemovedThere(const CSyncEntry& agreed, int nLocal) {
    if (nLocal < 0) {
        return true; // gone on both sides
    }
    if (agreed.bUnconfirmed && m_reportedGone.count(Key(agreed.strHref)) == 0) {
        // The card whose answer was lost is not there, and no change since says it was deleted:
        // taken as never arrived, and sent again. (Deleting the contact here instead could lose a
        // contact that exists nowhere else.)
        Revive(nLocal, agreed);
        return true;
    }
    if (!HaveSameContent(Contacts()[nLocal], AgreedContact(agreed))) {
        // Changed here, deleted there: kept with the change, and sent again below as the card it
        // was, so that what the book does not show comes back with it.
        Revive(nLocal, agreed);
        return true;
    }
    RemoveLocal(nLocal);
    ++m_out.summary.nDeletedHere;
    return true;
}

void CSyncRun::Revive(int nLocal, const CSyncEntry& agreed) {
    m_localEntry[static_cast<size_t>(nLocal)] = -1;
    m_revived[nLocal] = agreed;
}

void CSyncRun::KeepReceived(const CServerCard& server, const CContact& received) {
    m_entries.push_back({server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, received});
}

bool CSyncRun::ReconcileChangedThere(const CSyncEntry& agreed, int nLocal, const CServerCard& server) {
    CContact received = ServerContact(server.strCard);
    if (nLocal < 0) {
        // Deleted here, changed there: kept with the change.
        if (HasAnyField(received)) {
            AddLocal(received);
            ++m_out.summary.nReceived;
            KeepReceived(server, received);
        }
        return true;
    }
    const CContact& local = Contacts()[nLocal];
    if (HaveSameContent(local, received)) {
        KeepReceived(server, received);
        Settle(server.strHref, &m_entries.back());
        return true;
    }
    if (HaveSameContent(local, AgreedContact(agreed))) {
        ReplaceLocal(nLocal, received);
        ++m_out.summary.nReceived;
        KeepReceived(server, received);
        return true;
    }
    return MergeWithServer(agreed, nLocal, server);
}

bool CSyncRun::DeleteThere(const CSyncEntry& agreed) {
    std::vector<std::pair<std::string, std::string>> headers;
    if (!agreed.strEtag.empty()) {
        headers.emplace_back("If-Match", agreed.strEtag);
    }
    CHttpResponse response = m_dav.Send("DELETE", agreed.strHref, "", headers);
    if (response.failure != HttpFailure::none) {
        return false;
    }
    if (response.nStatus == 412) {
        // Changed there since: kept with the change.
        CServerCard server;
        int nStatus = 0;
        if (!Get(agreed.strHref, agreed.strUid, server, nStatus)) {
            return false;
        }
        CContact received = ServerContact(server.strCard);
        if (server.bFetched && HasAnyField(received)) {
            AddLocal(received);
            ++m_out.summary.nReceived;
            KeepReceived(server, received);
        }
        return true;
    }
    if (!IsSuccess(response.nStatus) && response.nStatus != 404 && response.nStatus != 410) {
        m_dav.Fail("DELETE", agreed.strHref, response);
        return false;
    }
    ++m_out.summary.nDeletedOnServer;
    ++m_nWrites;
    m_deleted.push_back(agreed); // for the contact's way back, should it come back
    Settle(agreed.strHref, nullptr);
    return true;
}

bool CSyncRun::SendLocalChange(const CSyncEntry& agreed, int nLocal) {
    const CContact& local = Contacts()[nLocal];
    if (HaveSameContent(local, AgreedContact(agreed))) {
        CSyncEntry entry = agreed;
        entry.contact = local;
        m_entries.push_back(entry);
        return true;
    }
    int nStatus = 0;
    CSyncEntry sent = agreed;
    sent.contact = local;
    if (!Put(agreed.strHref, CardFor(agreed.strCard, local), agreed.strEtag, sent, nStatus)) {
        return false;
    }
    if (nStatus == kNotWritten) {
        m_entries.push_back(agreed); // the change stays here, to be sent once it can be
        KeepMemberships(agreed);
        return true;
    }
    if (nStatus != 412) {
        m_entries.push_back(sent);
        Settle(sent.strHref, &sent);
        return true;
    }
    // Changed on both sides.
    CServerCard server;
    if (!Get(agreed.strHref, agreed.strUid, server, nStatus)) {
        return false;
    }
    return MergeWithServer(agreed, nLocal, server);
}

bool CSyncRun::MergeWithServer(const CSyncEntry& agreed, int nLocal, const CServerCard& server) {
    CSyncEntry merged;
    if (server.bFetched && !MergeAndSend(agreed, nLocal, server, merged)) {
        return false;
    }
    if (merged.strHref.empty()) {
        Revive(nLocal, agreed); // deleted there meanwhile
    } else {
        m_entries.push_back(merged);
    }
    return true;
}

bool CSyncRun::MergeAndSend(const CSyncEntry& agreed, int nLocal, CServerCard server, CSyncEntry& result) {
    const CContact& local = Contacts()[nLocal];
    const CContact base = AgreedContact(agreed);
    // Two tries: a card changed again between the fetch and the write is fetched once more.
    for (int nTry = 0; nTry < 2; ++nTry) {
        CContact received = ServerContact(server.strCard);
        CThreeWayResult merge = MergeThreeWay(base, local, received);
        CSyncEntry entry{server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, merge.merged};
        if (HaveSameContent(merge.merged, received)) {
            ReplaceLocal(nLocal, merge.merged);
            ++m_out.summary.nReceived;
            result = entry;
            return true;
        }
        int nStatus = 0;
        if (!Put(server.strHref, CardFor(server.strCard, merge.merged), server.strEtag, entry, nStatus)) {
            return false;
        }
        if (nStatus == kNotWritten) {
            break;
        }
        if (nStatus != 412) {
            ReplaceLocal(nLocal, merge.merged);
            // A merged contact is told once, as merged, though its card was sent too.
            const int nMerged = HaveSameContent(merge.merged, local) ? 0 : 1;
            m_out.summary.nMerged += nMerged;
            m_out.summary.nSent -= nMerged;
            m_out.summary.nConflicts += merge.nConflicts;
            result = entry;
            return true;
        }
        if (!Get(server.strHref, agreed.strUid, server, nStatus)) {
            return false;
        }
        if (nStatus == 404 || nStatus == 410) {
            result = CSyncEntry();
            return true;
        }
    }
    // Still changing there, or not to be written: both sides keep what they last agreed on, so
    // that the next sync merges the change here with the server's newest card. Taking the
    // server's card as agreed instead would make the next sync write the stale local values over
    // the other client's change.
    result = agreed;
    KeepMemberships(agreed);
    return true;
}

bool CSyncRun::ReconcileNewCards() {
    std::unordered_set<std::string> known;
    for (const CSyncEntry& entry : m_state.entries) {
        known.insert(Key(entry.strHref));
    }
    // The contacts no entry holds, by their fields and by the person they are.
    std::unordered_multimap<std::string, int> byFields, byName;
    for (int i = 0; i < Contacts().GetSize(); ++i) {
        if (m_localEntry[static_cast<size_t>(i)] < 0) {
            byFields.emplace(FieldsKey(Contacts()[i]), i);
            byName.emplace(NameKey(Contacts()[i]), i);
        }
    }
    for (const std::string& strKey : m_changedOrder) {
        const CServerCard& server = m_changed[strKey];
        if (known.count(strKey) || !server.bFetched || m_removed.count(strKey) || m_groupCards.count(strKey)) {
            continue;
        }
        CContact received = ServerContact(server.strCard);
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
        const std::string strName = NameKey(received);
        for (auto range = byName.equal_range(strName); nLocal < 0 && range.first != range.second; ++range.first) {
            int i = range.first->second;
            if (!m_localUsed[static_cast<size_t>(i)] && !strName.empty() &&
                (IsSamePerson(Contacts()[i], received) || HoldsAllOf(Contacts()[i], received) ||
                 HoldsAllOf(received, Contacts()[i]))) {
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
        const CContact& local = Contacts()[nLocal];
        if (HaveSameContent(local, received)) {
            m_entries.push_back(entry);
            Settle(entry.strHref, &entry);
            continue;
        }
        // One person on both sides: linked, and merged so that every value of both is kept.
        CContact merged = MergeContacts({local, received});
        entry.contact = merged;
        ReplaceLocal(nLocal, merged);
        ++m_out.summary.nMerged;
        if (!HaveSameContent(merged, received)) {
            int nStatus = 0;
            CSyncEntry sent = entry;
            if (!Put(server.strHref, CardFor(server.strCard, merged), server.strEtag, sent, nStatus)) {
                return false;
            }
            // Not written (412: changed there since), the entry keeps the card as fetched, and
            // the next sync merges the contact with the newer one. A card sent is told as merged
            // alone.
            const bool bSent = nStatus != 412 && nStatus != kNotWritten;
            entry = bSent ? sent : entry;
            m_out.summary.nSent -= bSent ? 1 : 0;
        }
        m_entries.push_back(entry);
    }
    return true;
}

bool CSyncRun::CardForNewContact(int nLocal, std::string& strUrl, std::string& strCard, std::string& strUid) {
    const CContact& contact = Contacts()[nLocal];
    CSyncEntry old;
    auto revived = m_revived.find(nLocal);
    if (revived != m_revived.end()) {
        old = revived->second;
    }
    // A contact this book deleted on the server that came back (Undo): the card it was, the
    // latest such card first.
    for (size_t d = m_deleted.size(); old.strCard.empty() && d-- > 0;) {
        const CContact& gone = m_deleted[d].contact;
        if (FieldsKey(gone) == FieldsKey(contact) || IsSamePerson(gone, contact)) {
            old = m_deleted[d];
            m_deleted.erase(m_deleted.begin() + static_cast<long>(d));
        }
    }
    if (!old.strCard.empty()) {
        strUid = old.strUid;
        strUrl = old.strHref;
        strCard = CardFor(old.strCard, contact);
        return false;
    }
    strUid = MakeCardUid();
    strUrl = m_state.strBookUrl + strUid + ".vcf";
    strCard = NewCard(WithInlinePhotos(ForCard("", contact), m_pPhotos), strUid);
    return true;
}

bool CSyncRun::UploadNewContacts() {
    for (int i = 0; i < Contacts().GetSize(); ++i) {
        if (m_localEntry[static_cast<size_t>(i)] >= 0 || m_localUsed[static_cast<size_t>(i)]) {
            continue;
        }
        CSyncEntry entry;
        std::string strUrl, strCard;
        const bool bNewPlace = CardForNewContact(i, strUrl, strCard, entry.strUid);
        entry.contact = Contacts()[i];
        int nStatus = 0;
        if (!Put(strUrl, strCard, "", entry, nStatus)) {
            // No answer, or none after it: the card may be there, and the next sync looks. Only at
            // a new place: where a card was deleted before, a deletion the server reports next
            // time could be that one, and this card's absence never told apart from it.
            if (bNewPlace && (nStatus == 0 || IsSuccess(nStatus))) {
                entry.strHref = strUrl;
                entry.strCard = strCard;
                entry.strEtag.clear();
                entry.bUnconfirmed = true;
                Settle(strUrl, &entry);
            }
            return false;
        }
        // A card there already (412) is found and linked by the next sync.
        if (nStatus != 412 && nStatus != kNotWritten) {
            m_entries.push_back(entry);
            Settle(entry.strHref, &entry);
        }
    }
    return true;
}
