// CFolderWatcher: hears that something changed among the files of one folder (a file made,
// removed, renamed or written) and tells a window by posting it a message, once for each burst of
// changes until the window has taken the last one (Acknowledge). The window then looks at the
// files itself; the watcher says nothing of which changed, since the system does not say reliably.
// Its thread never touches the window.
#pragma once

#include "framework/core/String.h"
#include "framework/base/Handles.h"
#include "framework/base/Thread.h"

#include <atomic>
#include <memory>

class CFolderWatcher {
public:
    CFolderWatcher() = default;
    CFolderWatcher(const CFolderWatcher&) = delete;
    CFolderWatcher& operator=(const CFolderWatcher&) = delete;
    ~CFolderWatcher() { Stop(); }

    // Watches the folder, posting nMessage to hTarget; false when the folder cannot be watched
    // (it is not there, or the system refuses).
    bool Start(HWND hTarget, UINT nMessage, const CString& strFolder);
    // Stops the thread and waits until it has ended.
    void Stop();
    bool IsRunning() const { return m_pThread != nullptr; }
    // The window has taken the message: the next change posts another.
    void Acknowledge() { m_bPosted = false; }

private:
    static UINT ThreadProc(LPVOID pParam);
    void Watch();
    void CloseChange();

    HANDLE m_hChange = INVALID_HANDLE_VALUE; // closed by FindCloseChangeNotification, not CloseHandle
    CKernelHandle m_hStopEvent;
    std::unique_ptr<CWinThread> m_pThread;
    HWND m_hTarget = nullptr;
    UINT m_nMessage = 0;
    std::atomic<bool> m_bPosted{false};
};
