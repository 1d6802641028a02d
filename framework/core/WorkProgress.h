// CWorkProgress: how far long work on a worker thread has come, and the user's wish to stop
// it, shared between the worker and the window that shows the progress. The worker sets the
// total once and counts up; it looks at IsCancelled between steps and, when set, stops without
// leaving anything half done.
#pragma once

#include <atomic>
#include <cstdint>

class CWorkProgress {
public:
    void SetTotal(int64_t nTotal) { m_nTotal = nTotal; }
    void SetDone(int64_t nDone) { m_nDone = nDone; }
    void AddDone(int64_t nDone) { m_nDone += nDone; }
    void Cancel() { m_bCancelled = true; }

    int64_t GetTotal() const { return m_nTotal; }
    int64_t GetDone() const { return m_nDone; }
    bool IsCancelled() const { return m_bCancelled; }
    // Done as a share of the total, 0 to 1000; 0 while the total is unknown.
    int PerMille() const {
        int64_t nTotal = m_nTotal, nDone = m_nDone;
        if (nTotal <= 0) {
            return 0;
        }
        return static_cast<int>((nDone >= nTotal ? nTotal : nDone) * 1000 / nTotal);
    }

private:
    std::atomic<int64_t> m_nTotal{0};
    std::atomic<int64_t> m_nDone{0};
    std::atomic<bool> m_bCancelled{false};
};
