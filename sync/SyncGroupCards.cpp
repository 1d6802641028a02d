// Group cards: reading them from a card's text and changing their members (SyncGroupCards.h),
// and the sync's steps around them (CSyncRun, SyncRun.h).
//
// How the sync keeps them. A group card is never a contact: it is kept in the state beside the
// entries (CSyncState::groupCards), as the server last sent or took it. Its members get the group
// as a group value, as though their own cards had it in CATEGORIES (once, when they have both).
// Each entry remembers which of these groups the two sides last agreed the contact was in
// (CSyncEntry::memberOf), so that a membership takes part in the three-way merge like any value:
// the agreed contact is the agreed card with those groups, the server's the card with the groups
// whose cards name it now. A contact whose card did not change but whose membership did is looked
// at as changed there.
//
// Where a membership is written. A group that exists as a group card on the server is written
// only there: a member added here gets its line in the group card (in the card's form, with
// If-Match, the other lines untouched), one removed here loses it; the contact's own card does
// not gain a CATEGORIES entry for it, but keeps one it has already (another client's choice),
// which a removal here takes out as well. Every other group goes on the contact's CATEGORIES line
// as before: the sync never makes a group card. So no membership is lost either way, and a group
// whose card is deleted on the server is taken from its members here, who keep the group only
// where their own card names it.
#include "SyncGroupCards.h"

#include "SyncCard.h"
#include "SyncRun.h"

#include "data/ContactGroups.h"
#include "framework/core/Unicode.h"
#include "interchange/VCardEscape.h"

#include <algorithm>
#include <set>

namespace {

const char kUrnUuid[] = "urn:uuid:";
const char kMember[] = "MEMBER";
const char kOlderMember[] = "X-ADDRESSBOOKSERVER-MEMBER";
const char kOlderKind[] = "X-ADDRESSBOOKSERVER-KIND";

bool IsNamed(const std::string& strValue, const char* pszLower) {
    std::string strLower = LowerUtf8(strValue);
    const size_t nFirst = strLower.find_first_not_of(" \t");
    const size_t nLast = strLower.find_last_not_of(" \t");
    return nFirst != std::string::npos && strLower.compare(nFirst, nLast + 1 - nFirst, pszLower) == 0;
}

bool IsMemberLine(const CVCardProperty& prop) { return prop.strName == kMember || prop.strName == kOlderMember; }

// The UID a member line names by "urn:uuid:", or "" for a member named otherwise.
std::string MemberUid(const CVCardProperty& prop) {
    const size_t nFirst = prop.strRaw.find_first_not_of(" \t");
    if (nFirst == std::string::npos || LowerUtf8(prop.strRaw.substr(nFirst, sizeof(kUrnUuid) - 1)) != kUrnUuid) {
        return std::string();
    }
    std::string strUid = prop.strRaw.substr(nFirst + sizeof(kUrnUuid) - 1);
    strUid.erase(strUid.find_last_not_of(" \t") + 1);
    return strUid;
}

// A line folded at 75 octets, never inside a UTF-8 character.
std::string Folded(const std::string& strLine, const char* pszBreak) {
    std::string strOut;
    size_t nOnLine = 0, nMax = 75; // a continuation's blank counts
    for (size_t i = 0; i < strLine.size(); ++i) {
        const bool bFollower = (static_cast<unsigned char>(strLine[i]) & 0xC0) == 0x80;
        if (nOnLine >= nMax && !bFollower) {
            strOut += pszBreak;
            strOut += ' ';
            nOnLine = 0;
            nMax = 74;
        }
        strOut += strLine[i];
        ++nOnLine;
    }
    return strOut + pszBreak;
}

} // namespace

std::string MemberKey(const std::string& strUid) {
    std::string strKey = LowerUtf8(strUid);
    return strKey.compare(0, sizeof(kUrnUuid) - 1, kUrnUuid) == 0 ? strKey.substr(sizeof(kUrnUuid) - 1) : strKey;
}

bool IsGroupCard(const std::string& strCard) {
    // Every card of the state is asked at each sync: one without the word is passed over unread.
    const char* pszKind = "kind";
    auto found = std::search(strCard.begin(), strCard.end(), pszKind, pszKind + 4,
                             [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
    if (found == strCard.end()) {
        return false;
    }
    for (const CVCardProperty& prop : ReadCard(strCard).props) {
        if ((prop.strName == "KIND" || prop.strName == kOlderKind) && IsNamed(prop.strRaw, "group")) {
            return true;
        }
    }
    return false;
}

CString GroupCardName(const std::string& strCard) {
    for (const CVCardProperty& prop : ReadCard(strCard).props) {
        if (prop.strName == "FN") {
            std::string strName = UnescapeValue(prop.strRaw, VCardVersion::v30);
            strName.erase(0, strName.find_first_not_of(" \t"));
            strName.erase(strName.find_last_not_of(" \t") + 1);
            return StoredTextOf(strName);
        }
    }
    return CString();
}

std::vector<std::string> GroupCardMemberUids(const std::string& strCard) {
    std::vector<std::string> uids;
    for (const CVCardProperty& prop : ReadCard(strCard).props) {
        std::string strUid = IsMemberLine(prop) ? MemberUid(prop) : std::string();
        if (!strUid.empty()) {
            uids.push_back(std::move(strUid));
        }
    }
    return uids;
}

std::string ChangeGroupCardMembers(const std::string& strCard, const std::vector<std::string>& strAdd,
                                   const std::vector<std::string>& strRemove) {
    const CCardLines card = ReadCard(strCard);
    if (card.nEndCard == std::string::npos) {
        return strCard;
    }
    std::set<std::string> removed, named;
    for (const std::string& strUid : strRemove) {
        removed.insert(MemberKey(strUid));
    }
    std::vector<std::pair<size_t, size_t>> cut; // the lines that go, in order
    size_t nInsert = card.nEndCard;
    std::string strForm;
    bool bOlderKind = false, bKind = false;
    for (size_t p = 0; p < card.props.size(); ++p) {
        const CVCardProperty& prop = card.props[p];
        bKind = bKind || prop.strName == "KIND";
        bOlderKind = bOlderKind || prop.strName == kOlderKind;
        if (!IsMemberLine(prop)) {
            continue;
        }
        strForm = prop.strName;
        nInsert = card.lines[p].nEnd;
        const std::string strUid = MemberUid(prop);
        if (strUid.empty()) {
            continue;
        }
        if (removed.count(MemberKey(strUid))) {
            cut.emplace_back(card.lines[p].nStart, card.lines[p].nEnd);
        } else {
            named.insert(MemberKey(strUid));
        }
    }
    if (strForm.empty()) {
        strForm = bOlderKind && !bKind ? kOlderMember : kMember;
    }
    std::string strNew;
    for (const std::string& strUid : strAdd) {
        const std::string strKey = MemberKey(strUid);
        if (!strKey.empty() && removed.count(strKey) == 0 && named.insert(strKey).second) {
            const bool bUrn = LowerUtf8(strUid.substr(0, sizeof(kUrnUuid) - 1)) == kUrnUuid;
            strNew += Folded(strForm + ":" + (bUrn ? "" : kUrnUuid) + strUid, card.pszBreak);
        }
    }
    if (cut.empty() && strNew.empty()) {
        return strCard;
    }
    std::string strOut;
    size_t nPos = 0;
    bool bInserted = strNew.empty();
    auto copyTo = [&](size_t nTo) {
        if (!bInserted && nInsert >= nPos && nInsert <= nTo) {
            strOut.append(strCard, nPos, nInsert - nPos);
            strOut += strNew;
            nPos = nInsert;
            bInserted = true;
        }
        strOut.append(strCard, nPos, nTo - nPos);
    };
    for (const auto& range : cut) {
        copyTo(range.first);
        nPos = range.second;
    }
    copyTo(strCard.size());
    return strOut;
}

// The sync's steps.

std::unordered_map<std::string, const CSyncEntry*> CSyncRun::KnownCards() const {
    std::unordered_map<std::string, const CSyncEntry*> known;
    for (const CSyncEntry& entry : m_state.entries) {
        known[Key(entry.strHref)] = &entry;
    }
    for (const CSyncEntry& card : m_state.groupCards) {
        known[Key(card.strHref)] = &card;
    }
    return known;
}

void CSyncRun::IndexMemberships() {
    m_memberships.clear();
    m_groupNames.clear();
    for (const auto& it : m_groupCards) {
        const CString strName = GroupCardName(it.second.strCard);
        if (strName.IsEmpty()) {
            continue; // a group of no name is no group here; its card stays as it is
        }
        m_groupNames[it.first] = strName;
        for (const std::string& strUid : GroupCardMemberUids(it.second.strCard)) {
            std::vector<std::string>& keys = m_memberships[MemberKey(strUid)];
            if (std::find(keys.begin(), keys.end(), it.first) == keys.end()) {
                keys.push_back(it.first);
            }
        }
    }
}

std::vector<CString> CSyncRun::ServerGroupsOf(const std::string& strUid) const {
    std::vector<CString> names;
    auto it = strUid.empty() ? m_memberships.end() : m_memberships.find(MemberKey(strUid));
    if (it != m_memberships.end()) {
        for (const std::string& strKey : it->second) {
            names.push_back(m_groupNames.at(strKey));
        }
    }
    return names;
}

namespace {

// The contact with the groups it is not in yet (case aside).
CContact WithGroups(CContact contact, const std::vector<CString>& names) {
    for (const CString& strName : names) {
        if (!IsInGroup(contact, strName)) {
            contact.values.push_back({EValueKind::group, "", "", strName});
        }
    }
    return contact;
}

std::set<std::string> GroupKeys(const std::vector<CString>& names) {
    std::set<std::string> keys;
    for (const CString& strName : names) {
        keys.insert(GroupKey(strName));
    }
    return keys;
}

std::vector<CString> NamesOf(const std::vector<std::string>& names) {
    return std::vector<CString>(names.begin(), names.end());
}

} // namespace

CContact CSyncRun::ServerContact(const std::string& strCard) const {
    return WithGroups(ContactFromCard(strCard), ServerGroupsOf(CardUid(strCard)));
}

CContact CSyncRun::AgreedContact(const CSyncEntry& agreed) const {
    return WithGroups(ContactFromCard(agreed.strCard), NamesOf(agreed.memberOf));
}

CContact CSyncRun::ForCard(const std::string& strCard, const CContact& contact) const {
    if (m_groupNames.empty()) {
        return contact;
    }
    std::set<std::string> kept; // the groups the card itself names, which stay on it
    for (const CContactValue& value : ContactFromCard(strCard).values) {
        if (value.kind == EValueKind::group) {
            kept.insert(GroupKey(value.text));
        }
    }
    std::set<std::string> groupCards;
    for (const auto& it : m_groupNames) {
        groupCards.insert(GroupKey(it.second));
    }
    CContact forCard = contact;
    auto inGroupCard = [&](const CContactValue& value) {
        const std::string strKey = GroupKey(value.text);
        return value.kind == EValueKind::group && groupCards.count(strKey) && !kept.count(strKey);
    };
    forCard.values.erase(std::remove_if(forCard.values.begin(), forCard.values.end(), inGroupCard),
                         forCard.values.end());
    return forCard;
}

void CSyncRun::SetGroupCardsApart() {
    std::vector<CSyncEntry> contacts;
    for (CSyncEntry& entry : m_state.entries) {
        if (!IsGroupCard(entry.strCard)) {
            contacts.push_back(std::move(entry));
            continue;
        }
        m_groupContacts.insert(FieldsKey(entry.contact));
        const std::string strKey = Key(entry.strHref);
        if (std::none_of(m_state.groupCards.begin(), m_state.groupCards.end(),
                         [&](const CSyncEntry& card) { return Key(card.strHref) == strKey; })) {
            m_state.groupCards.push_back({entry.strHref, entry.strEtag, entry.strUid, entry.strCard, CContact()});
        }
        m_groupEntries.push_back(std::move(entry));
    }
    m_state.entries = std::move(contacts);
}

bool CSyncRun::ReadGroupCards() {
    for (int i = 0; i < Contacts().GetSize() && !m_groupContacts.empty(); ++i) {
        if (m_localEntry[static_cast<size_t>(i)] < 0 && m_groupContacts.count(FieldsKey(Contacts()[i]))) {
            RemoveLocal(i);
            m_localUsed[static_cast<size_t>(i)] = true;
        }
    }
    m_groupCards.clear();
    for (const CSyncEntry& card : m_state.groupCards) {
        m_groupCards[Key(card.strHref)] = card;
    }
    for (const std::string& strKey : m_removed) {
        m_groupCards.erase(strKey);
    }
    for (const std::string& strKey : m_changedOrder) {
        const CServerCard& server = m_changed[strKey];
        if (!server.bFetched || m_removed.count(strKey)) {
            continue; // unread: as it was
        }
        if (IsGroupCard(server.strCard)) {
            m_groupCards[strKey] = {server.strHref, server.strEtag, CardUid(server.strCard), server.strCard, CContact()};
        } else {
            m_groupCards.erase(strKey);
        }
    }
    IndexMemberships();
    m_bGroupCardsRead = true;
    // A contact whose card is as agreed, but whose groups there are not: looked at as changed
    // there. (One deleted here is deleted there, whatever its groups.)
    for (size_t e = 0; e < m_state.entries.size(); ++e) {
        const CSyncEntry& entry = m_state.entries[e];
        const std::string strKey = Key(entry.strHref);
        if (m_entryLocal[e] < 0 || entry.bUnconfirmed || entry.strCard.empty() || m_removed.count(strKey) ||
            m_changed.count(strKey)) {
            continue;
        }
        if (GroupKeys(ServerGroupsOf(entry.strUid)) != GroupKeys(NamesOf(entry.memberOf))) {
            m_changed[strKey] = {entry.strHref, entry.strEtag, entry.strCard, true};
            m_changedOrder.push_back(strKey);
        }
    }
    return true;
}

bool CSyncRun::WriteGroupCard(const std::string& strKey, const std::vector<std::string>& add,
                              const std::vector<std::string>& remove, bool& bWritten) {
    bWritten = false;
    CServerCard card{m_groupCards[strKey].strHref, m_groupCards[strKey].strEtag, m_groupCards[strKey].strCard, true};
    const std::string strUid = m_groupCards[strKey].strUid;
    // Three tries: a group card changed again between the fetch and the write is fetched once
    // more and the same members added and removed there.
    for (int nTry = 0; nTry < 3; ++nTry) {
        const std::string strNew = ChangeGroupCardMembers(card.strCard, add, remove);
        if (strNew == card.strCard) {
            bWritten = true; // as wanted already
            return true;
        }
        CSyncEntry written = m_groupCards[strKey];
        int nStatus = 0;
        if (!Put(card.strHref, strNew, card.strEtag, written, nStatus)) {
            return false;
        }
        if (nStatus == kNotWritten) {
            return true;
        }
        if (nStatus != 412) {
            --m_out.summary.nSent; // the members' changes were counted
            m_groupCards[strKey] = written;
            IndexMemberships();
            bWritten = true;
            return true;
        }
        if (!Get(card.strHref, strUid, card, nStatus)) {
            return false;
        }
        if (nStatus == 404 || nStatus == 410 || !IsGroupCard(card.strCard)) {
            m_groupCards.erase(strKey); // gone meanwhile: the next sync takes the group from its members
            IndexMemberships();
            return true;
        }
        m_groupCards[strKey] = {card.strHref, card.strEtag, strUid, card.strCard, CContact()};
        IndexMemberships();
    }
    return true;
}

bool CSyncRun::WriteGroupCards() {
    // What each group card is to gain and lose: a member linked here whose groups differ from
    // those the cards give it. A contact kept as last agreed (its card unread, or not written)
    // keeps its memberships as they are too.
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> changes;
    std::vector<std::set<std::string>> wanted(m_entries.size());
    for (size_t e = 0; e < m_entries.size(); ++e) {
        const CSyncEntry& entry = m_entries[e];
        if (entry.strUid.empty() || m_keptMemberships.count(Key(entry.strHref))) {
            continue;
        }
        for (const auto& it : m_groupNames) {
            if (IsInGroup(entry.contact, it.second)) {
                wanted[e].insert(it.first);
            }
        }
        const std::vector<std::string> none;
        auto held = m_memberships.find(MemberKey(entry.strUid));
        const std::vector<std::string>& has = held == m_memberships.end() ? none : held->second;
        for (const std::string& strKey : wanted[e]) {
            if (std::find(has.begin(), has.end(), strKey) == has.end()) {
                changes[strKey].first.push_back(entry.strUid);
            }
        }
        for (const std::string& strKey : has) {
            if (m_groupNames.count(strKey) && wanted[e].count(strKey) == 0) {
                changes[strKey].second.push_back(entry.strUid);
            }
        }
    }
    std::set<std::pair<std::string, std::string>> failed; // group card and member left as they were
    for (const auto& change : changes) {
        bool bWritten = false;
        if (!WriteGroupCard(change.first, change.second.first, change.second.second, bWritten)) {
            return false;
        }
        for (const auto* pUids : {&change.second.first, &change.second.second}) {
            for (const std::string& strUid : *pUids) {
                if (!bWritten) {
                    failed.emplace(change.first, MemberKey(strUid));
                }
            }
        }
    }
    // What the two sides now agree each contact is in: the groups it has here, but where a change
    // could not be written, the group card as it is (the change is then made at the next sync).
    for (size_t e = 0; e < m_entries.size(); ++e) {
        CSyncEntry& entry = m_entries[e];
        if (entry.strUid.empty() || m_keptMemberships.count(Key(entry.strHref))) {
            continue;
        }
        const std::vector<std::string> none;
        auto held = m_memberships.find(MemberKey(entry.strUid));
        const std::vector<std::string>& has = held == m_memberships.end() ? none : held->second;
        entry.memberOf.clear();
        for (const auto& it : m_groupNames) {
            const bool bThere = std::find(has.begin(), has.end(), it.first) != has.end();
            const bool bAgreed =
                failed.count({it.first, MemberKey(entry.strUid)}) ? bThere : wanted[e].count(it.first) != 0;
            if (bAgreed) {
                entry.memberOf.push_back(it.second.GetStdString());
            }
        }
    }
    m_state.groupCards = GroupCardsKept();
    return true;
}

std::vector<CSyncEntry> CSyncRun::GroupCardsKept() const {
    std::vector<CSyncEntry> cards;
    for (const auto& it : m_groupCards) {
        cards.push_back(it.second);
    }
    return cards;
}

void CSyncRun::SettleGroupCards(CSyncState& settled) const {
    // The book keeps the contacts an earlier version made of group cards until an outcome is
    // applied: so does the state, or the next sync would send them as new contacts.
    settled.entries.insert(settled.entries.end(), m_groupEntries.begin(), m_groupEntries.end());
    if (!m_bGroupCardsRead) {
        return;
    }
    settled.groupCards = GroupCardsKept();
    // A contact settled agrees with the group cards as they are now: a change here that was not
    // written to them yet is then still a change at the next sync.
    for (CSyncEntry& entry : settled.entries) {
        if (m_settled.count(Key(entry.strHref))) {
            entry.memberOf.clear();
            for (const CString& strName : ServerGroupsOf(entry.strUid)) {
                entry.memberOf.push_back(strName.GetStdString());
            }
        }
    }
}
