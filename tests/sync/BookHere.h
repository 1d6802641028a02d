// The book here in tests of the sync engine: its contacts and its sync state, changed by an
// outcome as the program changes them (the contacts removed and added in one step, then the
// state), and the cards of a scripted server read back as contacts.
#pragma once

#include "sync/SyncCard.h"
#include "sync/SyncEngine.h"
#include "sync/ThreeWayMerge.h"

#include "support/ScriptedDav.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

class CBookHere {
public:
    // One sync to the address; the outcome is applied when it succeeded and bApply, and the
    // settled state kept when it failed and bApply (the program was not killed). Deletions
    // are confirmed, as the user would, unless nConfirmedDeletions says how many.
    CSyncOutcome Sync(IHttpTransport& http, const std::string& strUrl, bool bApply = true,
                      size_t nConfirmedDeletions = std::numeric_limits<size_t>::max()) {
        CSyncOutcome outcome = Synchronise(contacts, state, http, strUrl, "anna", nConfirmedDeletions);
        if (outcome.bOk && bApply) {
            ApplyContacts(outcome);
            state = outcome.state;
        } else if (bApply && outcome.bSettled) {
            state = outcome.settledState; // what both sides agree on after a sync that failed midway
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
    const CContact* Find(const std::string& strFirst) const {
        return const_cast<CBookHere*>(this)->Find(strFirst);
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

// A contact of the family Meier.
inline CContact Person(const char* pszFirst, const char* pszMobile = "", const char* pszEmail = "") {
    CContact contact;
    contact.lastname = "Meier";
    contact.firstname = pszFirst;
    contact.mobile = pszMobile;
    contact.homeemail = pszEmail;
    return contact;
}

// Every contact here once, the same sixteen fields on the server, and each card once.
inline void ExpectSidesAgree(CBookHere& book, const CScriptedDav& dav) {
    std::map<std::string, int> cardsOf;
    for (const auto& card : dav.Cards()) {
        CContact contact = ContactFromCard(card.second);
        ++cardsOf[contact.firstname.GetStdString()];
        const CContact* pHere = book.Find(contact.firstname.GetStdString());
        EXPECT_TRUE(pHere && HaveSameContent(*pHere, contact)) << "the card differs here:\n" << card.second;
    }
    EXPECT_EQ(static_cast<size_t>(book.contacts.GetSize()), dav.Cards().size());
    for (const auto& count : cardsOf) {
        EXPECT_EQ(1, count.second) << count.first << " is on the server more than once";
    }
}
