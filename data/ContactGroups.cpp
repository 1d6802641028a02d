#include "ContactGroups.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <unordered_map>

std::string GroupKey(const CString& strGroup) { return LowerUtf8(strGroup.GetStdString()); }

std::vector<CGroupCount> CountGroups(const CContactArray& contacts) {
    std::vector<CGroupCount> groups;
    std::unordered_map<std::string, size_t> index;
    std::vector<std::string> counted; // a contact that names a group twice is in it once
    for (int i = 0; i < contacts.GetSize(); ++i) {
        counted.clear();
        for (const CContactValue& value : contacts[i].values) {
            if (value.kind != EValueKind::group || value.text.IsEmpty()) {
                continue;
            }
            std::string strKey = GroupKey(value.text);
            if (std::find(counted.begin(), counted.end(), strKey) != counted.end()) {
                continue;
            }
            counted.push_back(strKey);
            auto found = index.emplace(strKey, groups.size());
            if (found.second) {
                groups.push_back(CGroupCount{value.text, 0});
            }
            ++groups[found.first->second].nContacts;
        }
    }
    std::sort(groups.begin(), groups.end(), [](const CGroupCount& a, const CGroupCount& b) {
        const std::string strA = FoldForMatching(a.name.GetStdString());
        const std::string strB = FoldForMatching(b.name.GetStdString());
        return strA != strB ? strA < strB : MbsCompare(a.name, b.name) < 0;
    });
    return groups;
}

bool IsInGroup(const CContact& contact, const CString& strGroup) {
    const std::string strKey = GroupKey(strGroup);
    return std::any_of(contact.values.begin(), contact.values.end(), [&](const CContactValue& value) {
        return value.kind == EValueKind::group && GroupKey(value.text) == strKey;
    });
}

int CountUngrouped(const CContactArray& contacts) {
    int nUngrouped = 0;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        const std::vector<CContactValue>& values = contacts[i].values;
        nUngrouped += std::none_of(values.begin(), values.end(), [](const CContactValue& value) {
            return value.kind == EValueKind::group && !value.text.IsEmpty();
        });
    }
    return nUngrouped;
}

namespace {

// Whether the value names the group of that key; scratch spares a string per value when many
// contacts are asked about.
bool NamesGroup(const CContactValue& value, const std::string& strKey, std::string& strScratch) {
    if (value.kind != EValueKind::group) {
        return false;
    }
    strScratch.clear();
    AppendLowerUtf8(strScratch, value.text.GetStdString());
    return strScratch == strKey;
}

bool HasGroup(const CContact& contact) {
    return std::any_of(contact.values.begin(), contact.values.end(), [](const CContactValue& value) {
        return value.kind == EValueKind::group && !value.text.IsEmpty();
    });
}

bool IsInGroupOfKey(const CContact& contact, const std::string& strKey, std::string& strScratch) {
    return std::any_of(contact.values.begin(), contact.values.end(),
                       [&](const CContactValue& value) { return NamesGroup(value, strKey, strScratch); });
}

// The registry's spelling of the two choices that are not a group; a group's name follows its
// own prefix, so no name can be taken for them.
const char kSettingAll[] = "all";
const char kSettingUngrouped[] = "none";
const char kSettingGroupPrefix[] = "group:";

} // namespace

bool AddToGroup(CContact& contact, const CString& strGroup) {
    if (strGroup.IsEmpty() || IsInGroup(contact, strGroup)) {
        return false;
    }
    CContactValue value;
    value.kind = EValueKind::group;
    value.text = strGroup;
    contact.values.push_back(value);
    return true;
}

bool RemoveFromGroup(CContact& contact, const CString& strGroup) {
    const std::string strKey = GroupKey(strGroup);
    std::string strScratch;
    auto gone = std::remove_if(contact.values.begin(), contact.values.end(),
                               [&](const CContactValue& value) { return NamesGroup(value, strKey, strScratch); });
    bool bRemoved = gone != contact.values.end();
    contact.values.erase(gone, contact.values.end());
    return bRemoved;
}

bool RenameGroup(CContact& contact, const CString& strFrom, const CString& strTo) {
    if (strFrom == strTo || strTo.IsEmpty()) {
        return false;
    }
    const std::string strFromKey = GroupKey(strFrom), strToKey = GroupKey(strTo);
    std::string strScratch;
    auto first = std::find_if(contact.values.begin(), contact.values.end(),
                              [&](const CContactValue& value) { return NamesGroup(value, strFromKey, strScratch); });
    if (first == contact.values.end()) {
        return false;
    }
    // The renamed membership keeps the first one's place; the others of either name go.
    first->text = strTo;
    size_t nFirst = static_cast<size_t>(first - contact.values.begin());
    size_t nOut = 0;
    for (size_t i = 0; i < contact.values.size(); ++i) {
        const CContactValue& value = contact.values[i];
        bool bOther = i != nFirst && (NamesGroup(value, strFromKey, strScratch) || NamesGroup(value, strToKey, strScratch));
        if (!bOther) {
            contact.values[nOut++] = contact.values[i];
        }
    }
    contact.values.resize(nOut);
    return true;
}

CString GroupNameFromInput(const CString& strTyped) {
    CString strName = strTyped;
    strName.Trim();
    return StoredTextOf(strName.GetStdString(), false);
}

CString CGroupChoice::ToSetting() const {
    switch (m_kind) {
    case EKind::all: return kSettingAll;
    case EKind::ungrouped: return kSettingUngrouped;
    case EKind::named: break;
    }
    return kSettingGroupPrefix + m_strName;
}

CGroupChoice CGroupChoice::FromSetting(const CString& strSetting) {
    const std::string strStored = strSetting.GetStdString();
    if (strStored == kSettingUngrouped) {
        return Ungrouped();
    }
    const size_t nPrefix = sizeof kSettingGroupPrefix - 1;
    if (strStored.size() > nPrefix && strStored.compare(0, nPrefix, kSettingGroupPrefix) == 0) {
        return Named(strStored.substr(nPrefix).c_str());
    }
    return All();
}

bool CGroupChoice::Shows(const CContact& contact) const {
    std::string strScratch;
    switch (m_kind) {
    case EKind::all: return true;
    case EKind::ungrouped: return !HasGroup(contact);
    case EKind::named: break;
    }
    return IsInGroupOfKey(contact, m_strKey, strScratch);
}

std::vector<int> CGroupChoice::Filter(const CContactArray& contacts, const std::vector<int>& indexes) const {
    if (m_kind == EKind::all) {
        return indexes;
    }
    std::vector<int> shown;
    std::string strScratch;
    for (int nIndex : indexes) {
        const CContact& contact = contacts[nIndex];
        if (m_kind == EKind::ungrouped ? !HasGroup(contact) : IsInGroupOfKey(contact, m_strKey, strScratch)) {
            shown.push_back(nIndex);
        }
    }
    return shown;
}

std::vector<int> CGroupChoice::Filter(const CContactArray& contacts) const {
    std::vector<int> all(static_cast<size_t>(contacts.GetSize()));
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<int>(i);
    }
    return Filter(contacts, all);
}
