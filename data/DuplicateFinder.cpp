#include "DuplicateFinder.h"

#include "ContactIdentity.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// How many open candidate groups one name keeps while contacts of that name are sorted into
// groups of the same name: a hostile book of one name stays linear.
const size_t kMaxSameNameGroups = 8;

struct CIdentity {
    std::string strName;
    std::vector<std::string> emails;
    std::vector<CPhoneNumber> phones;
};

class CUnion {
public:
    explicit CUnion(size_t nCount) : m_parent(nCount) { std::iota(m_parent.begin(), m_parent.end(), 0); }
    int Find(int n) {
        while (m_parent[static_cast<size_t>(n)] != n) {
            n = m_parent[static_cast<size_t>(n)] =
                m_parent[static_cast<size_t>(m_parent[static_cast<size_t>(n)])];
        }
        return n;
    }
    void Join(int a, int b) {
        a = Find(a);
        b = Find(b);
        if (a != b) {
            m_parent[static_cast<size_t>(std::max(a, b))] = std::min(a, b);
        }
    }

private:
    std::vector<int> m_parent;
};

// 64-bit FNV-1a over the parts of a key. Contacts are compared by these numbers, sorted, rather
// than by their texts in hash maps: a large book is grouped in a fraction of the time. Two of a
// million keys share a number by chance about once in ten million runs.
uint64_t KeyHash(std::string_view strName, char chKind, std::string_view strValue) {
    uint64_t nHash = 0xCBF29CE484222325ull;
    auto add = [&](std::string_view part) {
        for (char ch : part) {
            nHash = (nHash ^ static_cast<unsigned char>(ch)) * 0x100000001B3ull;
        }
    };
    add(strName);
    add(std::string_view(&chKind, 1));
    add(strValue);
    return nHash;
}

struct CKeyEntry {
    uint64_t nKey;
    int nContact;
    bool bProbe; // joins the others of its key, never another probe
};

// Joins the contacts of each key; marks every contact joined.
void JoinEqualKeys(std::vector<CKeyEntry>& entries, CUnion& unite, std::vector<bool>& bJoined) {
    std::sort(entries.begin(), entries.end(),
              [](const CKeyEntry& a, const CKeyEntry& b) { return a.nKey < b.nKey; });
    for (size_t nStart = 0; nStart < entries.size();) {
        size_t nEnd = nStart;
        int nFirst = -1;
        while (nEnd < entries.size() && entries[nEnd].nKey == entries[nStart].nKey) {
            if (!entries[nEnd].bProbe && nFirst < 0) {
                nFirst = entries[nEnd].nContact;
            }
            ++nEnd;
        }
        for (size_t k = nStart; k < nEnd && nFirst >= 0; ++k) {
            if (entries[k].nContact != nFirst) {
                unite.Join(nFirst, entries[k].nContact);
                bJoined[static_cast<size_t>(nFirst)] = bJoined[static_cast<size_t>(entries[k].nContact)] =
                    true;
            }
        }
        nStart = nEnd;
    }
}

// Joins contacts that share an address (when bEmails) or a number (when bPhones): the same digits,
// or an international and a national number of the same national part; with bByName, only
// contacts of one name. bByEmail and bByPhone mark the contacts joined by each.
void JoinByValues(const std::vector<CIdentity>& identities, bool bByName, bool bEmails, bool bPhones,
                  CUnion& unite, std::vector<bool>& bByEmail, std::vector<bool>& bByPhone) {
    std::vector<CKeyEntry> emails, phones;
    for (size_t n = 0; n < identities.size(); ++n) {
        const CIdentity& id = identities[n];
        if (bByName && id.strName.empty()) {
            continue;
        }
        std::string_view strName = bByName ? std::string_view(id.strName) : std::string_view();
        int nContact = static_cast<int>(n);
        for (size_t k = 0; bEmails && k < id.emails.size(); ++k) {
            emails.push_back({KeyHash(strName, 'e', id.emails[k]), nContact, false});
        }
        for (size_t k = 0; bPhones && k < id.phones.size(); ++k) {
            const CPhoneNumber& phone = id.phones[k];
            phones.push_back({KeyHash(strName, 'd', phone.strDigits), nContact, false});
            // International numbers meet national ones only: two of other countries may share
            // their national part.
            if (phone.kind != CPhoneNumber::Kind::plain) {
                bool bInternational = phone.kind == CPhoneNumber::Kind::international;
                phones.push_back({KeyHash(strName, 'n', phone.strNational), nContact, bInternational});
            }
        }
    }
    JoinEqualKeys(emails, unite, bByEmail);
    JoinEqualKeys(phones, unite, bByPhone);
}

// The groups of two or more that the union made, in the order of their first contact.
std::vector<std::vector<int>> Groups(CUnion& unite, size_t nCount) {
    std::map<int, std::vector<int>> byRoot;
    for (size_t n = 0; n < nCount; ++n) {
        byRoot[unite.Find(static_cast<int>(n))].push_back(static_cast<int>(n));
    }
    std::vector<std::vector<int>> groups;
    for (auto& entry : byRoot) {
        if (entry.second.size() > 1) {
            groups.push_back(std::move(entry.second));
        }
    }
    return groups;
}

// The folded values a contact holds, field by field, for telling whether two disagree.
using CFieldValues = std::vector<std::string>;

CFieldValues FoldedFields(const CContact& contact) {
    CFieldValues values(CContact::kFieldCount);
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (f != CContact::fieldNote && f != CContact::fieldFirstName && f != CContact::fieldLastName) {
            values[static_cast<size_t>(f)] = FoldForMatching(contact.DisplayText(f).GetStdString());
        }
    }
    return values;
}

// Takes the contact's values into the group's when no field disagrees; false when one does.
bool TakeIfAgreeing(CFieldValues& group, const CFieldValues& contact) {
    for (size_t f = 0; f < group.size(); ++f) {
        if (!group[f].empty() && !contact[f].empty() && group[f] != contact[f]) {
            return false;
        }
    }
    for (size_t f = 0; f < group.size(); ++f) {
        if (group[f].empty()) {
            group[f] = contact[f];
        }
    }
    return true;
}

// Certain: the same name with a shared address or number. Marks the contacts grouped.
std::vector<CDuplicateGroup> CertainGroups(const std::vector<CIdentity>& identities, std::vector<bool>& bGrouped) {
    const size_t nCount = identities.size();
    CUnion certain(nCount);
    std::vector<bool> bByEmail(nCount), bByPhone(nCount);
    JoinByValues(identities, true, true, true, certain, bByEmail, bByPhone);
    std::vector<CDuplicateGroup> groups;
    for (std::vector<int>& members : Groups(certain, nCount)) {
        bool bEmail = false, bPhone = false;
        for (int n : members) {
            bEmail = bEmail || bByEmail[static_cast<size_t>(n)];
            bPhone = bPhone || bByPhone[static_cast<size_t>(n)];
            bGrouped[static_cast<size_t>(n)] = true;
        }
        groups.push_back({std::move(members), bEmail && bPhone ? DuplicateReason::sameNameEmailAndPhone
                                              : bEmail         ? DuplicateReason::sameNameAndEmail
                                                               : DuplicateReason::sameNameAndPhone});
    }
    return groups;
}

// The same name, nothing shared and nothing that disagrees, among contacts in no certain group.
// Only names that more than one contact bears are looked at field by field.
void AddSameNameGroups(const CContactArray& contacts, const std::vector<CIdentity>& identities,
                       const std::vector<bool>& bGrouped, std::vector<CDuplicateGroup>& suggestions) {
    std::unordered_map<std::string, std::vector<int>> byName;
    for (size_t n = 0; n < identities.size(); ++n) {
        if (!bGrouped[n] && !identities[n].strName.empty()) {
            byName[identities[n].strName].push_back(static_cast<int>(n));
        }
    }
    for (const auto& entry : byName) {
        if (entry.second.size() < 2) {
            continue;
        }
        std::vector<std::pair<CFieldValues, std::vector<int>>> open;
        for (int n : entry.second) {
            CFieldValues values = FoldedFields(contacts[n]);
            auto it = std::find_if(open.begin(), open.end(),
                                   [&](auto& group) { return TakeIfAgreeing(group.first, values); });
            if (it != open.end()) {
                it->second.push_back(n);
            } else if (open.size() < kMaxSameNameGroups) {
                open.push_back({std::move(values), {n}});
            }
        }
        for (auto& group : open) {
            if (group.second.size() > 1) {
                suggestions.push_back({std::move(group.second), DuplicateReason::sameName});
            }
        }
    }
}

// A shared address or number under different names: the contacts that share one, directly or
// through others, when not all of them bear one name.
void AddSharedValueGroups(const std::vector<CIdentity>& identities, std::vector<CDuplicateGroup>& suggestions) {
    const size_t nCount = identities.size();
    for (bool bEmail : {true, false}) {
        CUnion shared(nCount);
        std::vector<bool> bSharedEmail(nCount), bSharedPhone(nCount);
        JoinByValues(identities, false, bEmail, !bEmail, shared, bSharedEmail, bSharedPhone);
        for (std::vector<int>& members : Groups(shared, nCount)) {
            // Contacts without a name are no certain group, whatever they share.
            bool bOtherName = std::any_of(members.begin(), members.end(), [&](int n) {
                const std::string& strName = identities[static_cast<size_t>(n)].strName;
                return strName.empty() || strName != identities[static_cast<size_t>(members[0])].strName;
            });
            if (bOtherName) {
                suggestions.push_back({std::move(members), bEmail ? DuplicateReason::sameEmailOtherName
                                                                  : DuplicateReason::samePhoneOtherName});
            }
        }
    }
}

// Each suggestion's contacts in order and once, the suggestions by their first contact, and the
// same contacts suggested twice (by e-mail and by phone) once.
void TidySuggestions(std::vector<CDuplicateGroup>& suggestions) {
    for (CDuplicateGroup& group : suggestions) {
        std::sort(group.contacts.begin(), group.contacts.end());
        group.contacts.erase(std::unique(group.contacts.begin(), group.contacts.end()), group.contacts.end());
    }
    std::sort(suggestions.begin(), suggestions.end(), [](const CDuplicateGroup& a, const CDuplicateGroup& b) {
        return a.contacts.front() != b.contacts.front() ? a.contacts.front() < b.contacts.front()
                                                        : a.reason < b.reason;
    });
    suggestions.erase(std::unique(suggestions.begin(), suggestions.end(),
                                  [](const CDuplicateGroup& a, const CDuplicateGroup& b) {
                                      return a.contacts == b.contacts;
                                  }),
                      suggestions.end());
}

} // namespace

const char* DuplicateReasonText(DuplicateReason reason) {
    switch (reason) {
    case DuplicateReason::sameNameAndEmail: return "same name and e-mail";
    case DuplicateReason::sameNameAndPhone: return "same name and phone";
    case DuplicateReason::sameNameEmailAndPhone: return "same name, e-mail and phone";
    case DuplicateReason::sameName: return "same name";
    case DuplicateReason::sameEmailOtherName: return "same e-mail, other name";
    case DuplicateReason::samePhoneOtherName: return "same phone, other name";
    case DuplicateReason::chosen: return "chosen to merge";
    }
    return "";
}

std::vector<CDuplicateGroup> FindDuplicates(const CContactArray& contacts, bool bCertainOnly) {
    const size_t nCount = static_cast<size_t>(contacts.GetSize());
    std::vector<CIdentity> identities(nCount);
    for (size_t n = 0; n < nCount; ++n) {
        const CContact& contact = contacts[static_cast<int>(n)];
        identities[n] = {NameKey(contact), EmailAddresses(contact), PhoneNumbers(contact)};
    }
    std::vector<bool> bGrouped(nCount);
    std::vector<CDuplicateGroup> groups = CertainGroups(identities, bGrouped);
    if (bCertainOnly) {
        return groups;
    }
    std::vector<CDuplicateGroup> suggestions;
    AddSameNameGroups(contacts, identities, bGrouped, suggestions);
    AddSharedValueGroups(identities, suggestions);
    TidySuggestions(suggestions);
    groups.insert(groups.end(), suggestions.begin(), suggestions.end());
    return groups;
}
