// The groups a book's contacts belong to: each contact's group values, by name. A group exists
// while a contact names it; two names that differ only in case are one group, shown as the
// first contact spelled it. Portable: the window's group filter and tbkutil use the same rules.
#pragma once

#include "ContactArray.h"

#include <string>
#include <vector>

struct CGroupCount {
    CString name; // stored form, as the contact holds it
    int nContacts = 0;
};

// The book's groups in the order a person looks them up (case and accents aside), each with how
// many contacts are in it.
std::vector<CGroupCount> CountGroups(const CContactArray& contacts);
// How many contacts are in no group.
int CountUngrouped(const CContactArray& contacts);
// Whether the contact is in the group of that name (case aside).
bool IsInGroup(const CContact& contact, const CString& strGroup);
// The key two group names share when they are one group.
std::string GroupKey(const CString& strGroup);

// Puts the contact in the group; false when it is in it already (in any spelling).
bool AddToGroup(CContact& contact, const CString& strGroup);
// Takes the contact out of the group, every spelling of it; false when it was not in it.
bool RemoveFromGroup(CContact& contact, const CString& strGroup);
// The contact's membership of strFrom becomes one of strTo (once, even when it was in both);
// false when it was not in strFrom or the names are one spelling.
bool RenameGroup(CContact& contact, const CString& strFrom, const CString& strTo);
// A name the user typed for a group, in stored form, blanks around it gone; empty when it names
// no group.
CString GroupNameFromInput(const CString& strTyped);

// Which contacts the list shows: everyone, those in no group, or the members of one group.
class CGroupChoice {
public:
    enum class EKind { all, ungrouped, named };

    static CGroupChoice All() { return CGroupChoice(EKind::all, CString()); }
    static CGroupChoice Ungrouped() { return CGroupChoice(EKind::ungrouped, CString()); }
    static CGroupChoice Named(const CString& strGroup) { return CGroupChoice(EKind::named, strGroup); }
    // As the registry keeps it, and back; a setting of no known form is All.
    CString ToSetting() const;
    static CGroupChoice FromSetting(const CString& strSetting);

    EKind Kind() const { return m_kind; }
    const CString& Name() const { return m_strName; }
    bool IsAll() const { return m_kind == EKind::all; }
    bool operator==(const CGroupChoice& other) const { return m_kind == other.m_kind && m_strKey == other.m_strKey; }
    bool operator!=(const CGroupChoice& other) const { return !(*this == other); }

    bool Shows(const CContact& contact) const;
    // The indexes of the contacts it shows, in the order given.
    std::vector<int> Filter(const CContactArray& contacts, const std::vector<int>& indexes) const;
    // The indexes of every contact of the array it shows, ascending.
    std::vector<int> Filter(const CContactArray& contacts) const;

private:
    CGroupChoice(EKind kind, const CString& strName) : m_kind(kind), m_strName(strName), m_strKey(GroupKey(strName)) {}

    EKind m_kind;
    CString m_strName;
    std::string m_strKey; // of the name, made once for the many contacts a filter asks about
};
