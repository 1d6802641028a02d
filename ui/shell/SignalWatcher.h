// CSignalWatcher: the first instance's side of the single-instance protocol. It owns the two
// named events that later starts of the program set (show yourself, quit) and the thread that
// waits on them. The thread never touches a window: it posts to the main window, whose
// handlers do the showing and hiding on the user-interface thread.
//
// Timing, as the user sees it: with the start-hidden flag the thread first pauses five seconds
// and then asks for the window to be hidden; after that each pass waits up to 250 ms for Show,
// up to 250 ms for Quit and pauses 250 ms. Quit makes it post WM_WATCHER_QUIT and end. Stop ends it at
// once from any wait.
#pragma once

#include "framework/base/Handles.h"
#include "framework/base/Thread.h"

#include <memory>

// The start-hidden pause is over: hide the window and move it to its saved place.
const UINT WM_WATCHER_HIDE = WM_APP + 0x101;
// Another start of the program asked for the window.
const UINT WM_WATCHER_SHOW = WM_APP + 0x102;
// Another start of the program asked it to end. Unlike the Exit button, nobody may be there to
// answer a question, so the window tells this apart from IDOK.
const UINT WM_WATCHER_QUIT = WM_APP + 0x103;

class CSignalWatcher {
public:
    CSignalWatcher() = default;
    CSignalWatcher(const CSignalWatcher&) = delete;
    CSignalWatcher& operator=(const CSignalWatcher&) = delete;
    ~CSignalWatcher(); // stops the thread and closes the events

    // Creates (or opens) the two named events and the private stop event; called when the main
    // window is created. False when one of them could not be made: the other starts' signals
    // then go unheard.
    bool CreateEvents();
    // Starts the thread that posts to hTarget, after the start-hidden pause when bStartHidden;
    // false when it could not be started (or the events are missing).
    bool Start(HWND hTarget, bool bStartHidden = false);
    // Stops the thread and waits until it has ended.
    void Stop();
    void CloseEvents();

    bool IsRunning() const { return m_pWatcherThread != nullptr; }

    static UINT WatcherThreadProc(LPVOID pParam);

private:
    enum class WaitResult { signalled, timedOut, stop };

    void WatchForSignals();
    // Waits for hEvent (or only the timeout, for null) unless Stop comes first. A wait the
    // system refuses keeps the pace of a pass instead of spinning.
    WaitResult Wait(HANDLE hEvent, DWORD dwMilliseconds) const;

    CKernelHandle m_hShowEvent;
    CKernelHandle m_hQuitEvent;
    CKernelHandle m_hStopEvent;
    std::unique_ptr<CWinThread> m_pWatcherThread;
    HWND m_hTarget = nullptr;
    bool m_bStartHidden = false; // read by the thread, which it starts before

};
