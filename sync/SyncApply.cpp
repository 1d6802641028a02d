#include "SyncApply.h"

namespace {

// Lets go of a lock taken here, whichever way the apply ends.
class CLockForApply {
public:
    CLockForApply(CContactBook& book, bool bHeld) : m_book(book), m_bTaken(false), m_bHeld(bHeld) {}
    ~CLockForApply() {
        if (m_bTaken) {
            m_book.Unlock();
        }
    }
    CLockForApply(const CLockForApply&) = delete;
    CLockForApply& operator=(const CLockForApply&) = delete;
    [[nodiscard]] bool Take(CFileException* pError) {
        m_bTaken = !m_bHeld && m_book.Lock(pError);
        return m_bHeld || m_bTaken;
    }

private:
    CContactBook& m_book;
    bool m_bTaken;
    bool m_bHeld;
};

// Whether the state file still holds what the sync was given: another sync (tbkutil beside the
// window) may have finished meanwhile, and its state must not be written over.
bool IsStateAsGiven(const std::string& strPath, const CSyncState& given) {
    CSyncState current;
    CFileException error;
    return ReadSyncState(strPath.c_str(), current, error) && FormatSyncState(current) == FormatSyncState(given);
}

} // namespace

CSyncApplied ApplySyncOutcome(CContactBook& book, const CSyncOutcome& outcome, const CSyncState& given,
                              const std::string& strStatePath, bool bBookAsRead, bool bLockHeld) {
    CSyncApplied applied;
    CLockForApply lock(book, bLockHeld);
    if (!lock.Take(&applied.error)) {
        applied.result = CSyncApplied::Result::failed;
        return applied;
    }
    if (!IsStateAsGiven(strStatePath, given)) {
        return applied;
    }
    CFileException unknown;
    const bool bApply = outcome.bOk && bBookAsRead && book.IsFileAsLastSeen(&unknown);
    if (bApply) {
        if (!outcome.removed.empty() || !outcome.added.empty()) {
            applied.change = book.ApplySynchronisation(outcome.removed, outcome.added);
            if (!book.Commit(applied.change, &applied.error)) {
                applied.result = CSyncApplied::Result::failed;
                return applied;
            }
        }
        applied.bBookSaved = true;
        applied.result = WriteSyncState(strStatePath.c_str(), outcome.state, applied.error)
                             ? CSyncApplied::Result::applied
                             : CSyncApplied::Result::failed;
        return applied;
    }
    if (outcome.bSettled) {
        applied.result = WriteSyncState(strStatePath.c_str(), outcome.settledState, applied.error)
                             ? CSyncApplied::Result::settled
                             : CSyncApplied::Result::failed;
    }
    return applied;
}
