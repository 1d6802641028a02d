#include "PendingChanges.h"

#include "PhotoFolder.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// Counts of keys: a key may stand for several contacts alike in every value.
using KeyCounts = std::unordered_map<std::string, int>;

// Takes one of the key from the counts; false when there is none left.
bool TakeOne(KeyCounts& counts, const std::string& strKey) {
    auto it = counts.find(strKey);
    if (it == counts.end() || it->second == 0) {
        return false;
    }
    --it->second;
    return true;
}

// The last names of the contacts the counts hold, to pass over the others in a large book
// without making their keys.
std::unordered_set<std::string> LastNamesOf(const KeyCounts& counts) {
    std::unordered_set<std::string> names;
    for (const auto& [strKey, nCount] : counts) {
        if (nCount > 0) {
            names.insert(strKey.substr(0, strKey.find('\0')));
        }
    }
    return names;
}

} // namespace

std::string ContactValueKey(const CContact& contact) {
    // The last name first, which lets a caller pass over contacts by it.
    size_t nLength = 0;
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        nLength += 1 + static_cast<size_t>(contact.FieldAt(f).GetLength());
    }
    // Written through a pointer into a text made at its length: every added contact of a large
    // import makes one.
    std::string strKey(nLength - 1, '\0');
    char* pOut = &strKey[0];
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        const std::string& strField = contact.FieldAt(f).GetStdString();
        if (f > 0) {
            *pOut++ = '\0';
        }
        std::memcpy(pOut, strField.data(), strField.size());
        pOut += strField.size();
    }
    // The further values follow, each kind and text apart, so that a contact that differs only
    // in them has a key of its own.
    for (const CContactValue& value : contact.values) {
        strKey += '\0';
        strKey += static_cast<char>('A' + static_cast<int>(value.kind));
        // A photo by its picture: the same before and after the book gave it a file.
        const CString strPhoto = value.kind == EValueKind::photo ? PhotoNameOf(value.text) : CString();
        for (const CString* pText : {&value.type, &value.label, value.kind == EValueKind::photo ? &strPhoto : &value.text}) {
            strKey += '\x01';
            strKey += pText->GetStdString();
        }
    }
    return strKey;
}

void CPendingChanges::Clear() {
    m_bWhole = false;
    m_added.clear();
    m_removed.clear();
}

void CPendingChanges::SetWhole() {
    Clear();
    m_bWhole = true;
}

void CPendingChanges::ApplyTo(const CContactArray& current, CContactArray& fresh) {
    if (m_bWhole) {
        fresh = current;
        return;
    }
    KeyCounts added;
    for (const std::string& strKey : m_added) {
        ++added[strKey];
    }
    KeyCounts removed;
    for (const CContact& contact : m_removed) {
        std::string strKey = ContactValueKey(contact);
        if (!TakeOne(added, strKey)) {
            ++removed[std::move(strKey)];
        }
    }
    // This writer's own contacts, as its list holds them.
    std::vector<const CContact*> ours;
    const std::unordered_set<std::string> addedNames = LastNamesOf(added);
    for (int i = current.GetSize() - 1; i >= 0 && !addedNames.empty(); --i) {
        const CContact& contact = current[i];
        if (addedNames.count(contact.lastname.GetStdString()) && TakeOne(added, ContactValueKey(contact))) {
            ours.push_back(&contact);
        }
    }
    // What it removed, out of what the file holds now; removals the other writer made already
    // are done.
    m_removed.clear();
    const std::unordered_set<std::string> removedNames = LastNamesOf(removed);
    int nKept = 0;
    for (int i = 0; i < fresh.GetSize(); ++i) {
        if (removedNames.count(fresh[i].lastname.GetStdString()) && TakeOne(removed, ContactValueKey(fresh[i]))) {
            m_removed.push_back(std::move(fresh[i]));
        } else if (nKept++ != i) {
            fresh[nKept - 1] = std::move(fresh[i]);
        }
    }
    fresh.SetSize(nKept);
    m_added.clear();
    fresh.Reserve(nKept + static_cast<int>(ours.size()));
    for (auto it = ours.rbegin(); it != ours.rend(); ++it) {
        m_added.push_back(ContactValueKey(**it));
        fresh[fresh.Add(**it)].marked = 1;
    }
}
