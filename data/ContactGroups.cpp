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
