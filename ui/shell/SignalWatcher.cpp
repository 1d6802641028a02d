#include "SignalWatcher.h"

#include "Paths.h"

namespace {

const DWORD kStartHiddenPauseMs = 5000;
const DWORD kPassStepMs = 250;

} // namespace

CSignalWatcher::~CSignalWatcher() {
    Stop();
    CloseEvents();
}

bool CSignalWatcher::CreateEvents() {
    if (!m_hShowEvent) {
        m_hShowEvent.Attach(::CreateEventA(nullptr, FALSE, FALSE, kShowEventName));
    }
    if (!m_hQuitEvent) {
        m_hQuitEvent.Attach(::CreateEventA(nullptr, FALSE, FALSE, kQuitEventName));
    }
    if (!m_hStopEvent) {
        m_hStopEvent.Attach(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    return m_hShowEvent && m_hQuitEvent && m_hStopEvent;
}

void CSignalWatcher::CloseEvents() {
    m_hShowEvent.Close();
    m_hQuitEvent.Close();
    m_hStopEvent.Close();
}

bool CSignalWatcher::Start(HWND hTarget, bool bStartHidden) {
    if (m_pWatcherThread || !m_hStopEvent || !m_hShowEvent || !m_hQuitEvent) {
        return false;
    }
    m_hTarget = hTarget;
    m_bStartHidden = bStartHidden;
    ::ResetEvent(m_hStopEvent);
    CWinThread* pThread = AfxBeginThread(&CSignalWatcher::WatcherThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                                         CREATE_SUSPENDED, nullptr);
    if (!pThread) {
        return false;
    }
    // Owned here, so that Stop can wait on the handle after the thread has ended.
    pThread->m_bAutoDelete = FALSE;
    m_pWatcherThread.reset(pThread);
    m_pWatcherThread->ResumeThread();
    return true;
}

void CSignalWatcher::Stop() {
    if (!m_pWatcherThread) {
        return;
    }
    ::SetEvent(m_hStopEvent);
    ::WaitForSingleObject(m_pWatcherThread->m_hThread, INFINITE);
    m_pWatcherThread.reset();
}

UINT CSignalWatcher::WatcherThreadProc(LPVOID pParam) {
    static_cast<CSignalWatcher*>(pParam)->WatchForSignals();
    return 0;
}

CSignalWatcher::WaitResult CSignalWatcher::Wait(HANDLE hEvent, DWORD dwMilliseconds) const {
    HANDLE handles[2] = {m_hStopEvent, hEvent};
    DWORD dwResult = ::WaitForMultipleObjects(hEvent ? 2 : 1, handles, FALSE, dwMilliseconds);
    if (dwResult == WAIT_OBJECT_0) {
        return WaitResult::stop;
    }
    if (dwResult == WAIT_OBJECT_0 + 1) {
        return WaitResult::signalled;
    }
    if (dwResult == WAIT_FAILED) {
        // The stop event is still heard on its own, so Stop never waits for more than one pass.
        if (::WaitForSingleObject(m_hStopEvent, dwMilliseconds) == WAIT_OBJECT_0) {
            return WaitResult::stop;
        }
    }
    return WaitResult::timedOut;
}

void CSignalWatcher::WatchForSignals() {
    if (m_bStartHidden) {
        if (Wait(nullptr, kStartHiddenPauseMs) == WaitResult::stop) {
            return;
        }
        ::PostMessageW(m_hTarget, WM_WATCHER_HIDE, 0, 0);
    }
    for (;;) {
        WaitResult show = Wait(m_hShowEvent, kPassStepMs);
        if (show == WaitResult::stop) {
            return;
        }
        if (show == WaitResult::signalled) {
            ::PostMessageW(m_hTarget, WM_WATCHER_SHOW, 0, 0);
        }
        WaitResult quit = Wait(m_hQuitEvent, kPassStepMs);
        if (quit == WaitResult::stop) {
            return;
        }
        if (quit == WaitResult::signalled) {
            break;
        }
        if (Wait(nullptr, kPassStepMs) == WaitResult::stop) {
            return;
        }
    }
    ::PostMessageW(m_hTarget, WM_WATCHER_QUIT, 0, 0);
}
