// The book here in tests of the sync engine: its contacts and its sync state, changed by an
// outcome as the program changes them (the contacts removed and added in one step, then the
// state), and the cards of a scripted server read back as contacts.
#pragma once

#include "sync/SyncCard.h"
#include "sync/SyncEngine.h"

#include "support/ScriptedDav.h"

#include <algorithm>
#include <limits>

class CBookHere {
public:
    // One sync to the address; the outcome is applied when it succeeded and bApply.
    CSyncOutcome Sync(IHttpTransport& http, const std::string& strUrl, bool bApply = true) {
        CSyncOutcome outcome =
            Synchronise(contacts, state, http, strUrl, "anna", std::numeric_limits<size_t>::max());
        if (outcome.bOk && bApply) {
            ApplyContacts(outcome);
            state = outcome.state;
        }
        return outcome;
    }
    void ApplyContacts(const CSyncOutcome& outcome) {
        std::vector<int> removed = outcome.removed;
        std::sort(removed.rbegin(), removed.rend());
        for (int n : removed) {
            contacts.RemoveAt(n);
        }
        for (const CContact& contact : outcome.added) {
            contacts.Add(contact);
        }
    }
    // The contact of that first name; nullptr when there is none.
    CContact* Find(const std::string& strFirst) {
        for (int i = 0; i < contacts.GetSize(); ++i) {
            if (contacts[i].firstname.GetStdString() == strFirst) {
                return &contacts[i];
            }
        }
        return nullptr;
    }
    int Index(const std::string& strFirst) {
        CContact* pContact = Find(strFirst);
        return pContact ? static_cast<int>(pContact - &contacts[0]) : -1;
    }

    CContactArray contacts;
    CSyncState state;
};

// The URL of the server's card whose contact has that first name; "" for none.
inline std::string CardUrlOf(const CScriptedDav& dav, const std::string& strFirst) {
    for (const auto& card : dav.Cards()) {
        if (ContactFromCard(card.second).firstname.GetStdString() == strFirst) {
            return card.first;
        }
    }
    return std::string();
}

// Whether a sync had nothing to do.
inline bool DidNothing(const CSyncOutcome& outcome) {
    const CSyncSummary& s = outcome.summary;
    return outcome.bOk && outcome.removed.empty() && outcome.added.empty() &&
           s.nSent + s.nReceived + s.nMerged + s.nDeletedOnServer + s.nDeletedHere + s.nConflicts == 0;
}
