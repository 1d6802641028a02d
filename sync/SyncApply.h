// Where a synchronisation's outcome meets the book and its state file, the same for the window
// and tbkutil. Under the book's lock, the book first and then the state, so that a stop between
// the two leaves contacts the next sync finds again by their fields; and only when neither file
// changed since the sync read them: an outcome is about the contacts and the state as they were.
// An outcome that cannot be applied (the sync failed midway, or another writer came between)
// still leaves the state both sides settled on, so that the next sync neither doubles a card the
// sync made nor brings back one it deleted. One thread.
#pragma once

#include "SyncEngine.h"
#include "data/ContactBook.h"

#include <string>

struct CSyncApplied {
    enum class Result {
        applied,  // the book and the state hold the outcome
        settled,  // only the settled state was kept
        nothing,  // nothing was written: nothing to keep, or another sync wrote the state meanwhile
        failed,   // a file could not be written; error says why
    };
    Result result = Result::nothing;
    CBookChange change;      // applied: what the book did
    CFileException error;    // failed
    bool bBookSaved = false; // failed: the book holds the outcome, its state could not be written
};

// given: the state the sync was given, as read from strStatePath. bBookAsRead: the caller changed
// no contact since the sync read them. bLockHeld: the caller holds the book's lock (else it is
// taken and let go here).
CSyncApplied ApplySyncOutcome(CContactBook& book, const CSyncOutcome& outcome, const CSyncState& given,
                              const std::string& strStatePath, bool bBookAsRead, bool bLockHeld);
