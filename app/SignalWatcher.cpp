#include "SignalWatcher.h"

#include "Paths.h"
#include "TBookApp.h"

namespace {

const DWORD kStartHiddenPauseMs = 5000;
const DWORD kPassStepMs = 250;

} // namespace

CSignalWatcher::~CSignalWatcher() {
    Stop();
    CloseEvents();
}

void CSignalWatcher::CreateEvents() {
    if (!m_hShowEvent) {
        m_hShowEvent = ::CreateEventA(nullptr, FALSE, FALSE, kShowEventName);
    }
    if (!m_hQuitEvent) {
        m_hQuitEvent = ::CreateEventA(nullptr, FALSE, FALSE, kQuitEventName);
    }
    if (!m_hStopEvent) {
        m_hStopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
}

void CSignalWatcher::CloseEvents() {
    for (HANDLE* pHandle : {&m_hShowEvent, &m_hQuitEvent, &m_hStopEvent}) {
        if (*pHandle) {
            ::CloseHandle(*pHandle);
            *pHandle = nullptr;
        }
    }
}

bool CSignalWatcher::Start(HWND hTarget) {
    if (m_pWatcherThread || !m_hStopEvent) {
        return false;
    }
    m_hTarget = hTarget;
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

DWORD CSignalWatcher::Wait(HANDLE hEvent, DWORD dwMilliseconds) const {
    HANDLE handles[2] = {m_hStopEvent, hEvent};
    DWORD dwResult = ::WaitForMultipleObjects(hEvent ? 2 : 1, handles, FALSE, dwMilliseconds);
    if (dwResult == WAIT_OBJECT_0) {
        return WAIT_ABANDONED;
    }
    if (dwResult == WAIT_OBJECT_0 + 1) {
        return WAIT_OBJECT_0;
    }
    if (dwResult == WAIT_FAILED) {
        // A missing event: keep the pace of a pass instead of spinning.
        return Wait(nullptr, dwMilliseconds) == WAIT_ABANDONED ? WAIT_ABANDONED : WAIT_TIMEOUT;
    }
    return WAIT_TIMEOUT;
}

void CSignalWatcher::WatchForSignals() {
    if (g_bStartHidden) {
        if (Wait(nullptr, kStartHiddenPauseMs) == WAIT_ABANDONED) {
            return;
        }
        ::PostMessageA(m_hTarget, WM_WATCHER_HIDE, 0, 0);
        g_bStartHidden = 0;
    }
    for (;;) {
        DWORD dwShow = Wait(m_hShowEvent, kPassStepMs);
        if (dwShow == WAIT_ABANDONED) {
            return;
        }
        if (dwShow == WAIT_OBJECT_0) {
            ::PostMessageA(m_hTarget, WM_WATCHER_SHOW, 0, 0);
        }
        DWORD dwQuit = Wait(m_hQuitEvent, kPassStepMs);
        if (dwQuit == WAIT_ABANDONED) {
            return;
        }
        if (dwQuit == WAIT_OBJECT_0) {
            break;
        }
        if (Wait(nullptr, kPassStepMs) == WAIT_ABANDONED) {
            return;
        }
    }
    ::PostMessageA(m_hTarget, WM_COMMAND, IDOK, 0);
}
