#include "CommandLogic.h"

#include <utility>

void ReindexRowContacts(std::vector<int>& rowContacts, int nRemovedIndex) {
    for (int& nContact : rowContacts) {
        if (nContact > nRemovedIndex) {
            --nContact;
        }
    }
}

void RemoveContacts(CContactArray& contacts, const std::vector<int>& indexes) {
    // One at a time, each removal would move every contact after it: quadratic for a whole list.
    std::vector<bool> removed(static_cast<size_t>(contacts.GetSize()), false);
    for (int nIndex : indexes) {
        if (nIndex >= 0 && nIndex < contacts.GetSize()) {
            removed[static_cast<size_t>(nIndex)] = true;
        }
    }
    int nKept = 0;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        if (!removed[static_cast<size_t>(i)]) {
            if (nKept != i) {
                contacts[nKept] = std::move(contacts[i]);
            }
            ++nKept;
        }
    }
    contacts.SetSize(nKept);
}
