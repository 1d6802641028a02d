// CBackgroundTask: network work (a synchronisation, finding address books) done beside a window
// so that the window never waits for a server. The work runs on a worker thread that touches no
// window: when it returns, the worker posts the owner's message to the window, whose handler
// reads the results on the user-interface thread. One task at a time.
//
// The work and what it writes are shared between the task and the worker, so a window that goes
// away while a server is slow only stops listening (Abandon): the worker finishes on its own
// later, posts nothing, and frees what it shares. Its transport has a timeout, so it never
// outlives the program by long.
#pragma once

#include "framework/base/Handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

class CBackgroundTask {
public:
    CBackgroundTask() = default;
    CBackgroundTask(const CBackgroundTask&) = delete;
    CBackgroundTask& operator=(const CBackgroundTask&) = delete;
    ~CBackgroundTask() { Abandon(0); }

    // Runs work on a worker thread; when it has returned, nMessage is posted to hTarget with
    // wParam the task's number. False when a task runs already or no thread could be started.
    bool Start(HWND hTarget, UINT nMessage, std::function<void()> work);
    bool IsRunning() const { return m_pShared != nullptr; }
    // The message's task has ended and its results may be read: true for the running task's
    // own message, which ends it; false for a message of a task abandoned before.
    bool Finish(WPARAM wParam);
    // Stops listening to the running task: waits up to dwMilliseconds for it to end, and a later
    // end posts nothing. True when no task was running or it ended in time.
    bool Abandon(DWORD dwMilliseconds);

private:
    struct CShared {
        std::function<void()> work;
        HWND hTarget = nullptr;
        UINT nMessage = 0;
        WPARAM nNumber = 0;
        CKernelHandle hDone; // set once the work has returned
        std::atomic<bool> bAbandoned{false};
    };
    static UINT Run(LPVOID pParam);

    std::shared_ptr<CShared> m_pShared; // of the running task
    WPARAM m_nLastNumber = 0;
};
