// CPendingChanges: what one writer of the book changed since it last read or wrote the file, by
// value: the contacts it removed and those it added. When another program has replaced the file
// meanwhile, the writer does not write its list over that program's work: it reads the file
// again and applies these changes to what it finds (ApplyTo), so both survive. A contact both
// changed may then be there twice, once as each left it; that is better than one of the changes
// lost, and the duplicate check finds the pair. One thread at a time.
#pragma once

#include "ContactArray.h"

#include <string>
#include <vector>

// Every field of a contact in one text: equal for contacts nobody can tell apart. The number a
// file gives each entry is left out, since every save numbers the entries afresh.
std::string ContactValueKey(const CContact& contact);

class CPendingChanges {
public:
    bool IsEmpty() const { return !m_bWhole && m_added.empty() && m_removed.empty(); }
    void Clear();

    // The list is to replace whatever the file holds (a resave): nothing of the file is kept.
    void SetWhole();
    void NoteAdded(std::string strKey) { m_added.push_back(std::move(strKey)); }
    // A contact leaves the list; it is moved in, its key made only when it is needed.
    void NoteRemoved(CContact&& contact) { m_removed.push_back(std::move(contact)); }

    // Applies the changes to fresh, the file's contacts as they are now: the removed contacts
    // that it holds go (one for each removal, by value), and the added ones, copied from
    // current (the list as this writer has it), are appended with their marked flag set. A
    // contact added and removed again since the file was read cancels out. Afterwards the
    // changes are those the file still lacks: every added contact, and the removals fresh held.
    void ApplyTo(const CContactArray& current, CContactArray& fresh);

private:
    bool m_bWhole = false;
    std::vector<std::string> m_added;
    std::vector<CContact> m_removed;
};
