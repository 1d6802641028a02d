// CWinThread: a worker thread started by AfxBeginThread. An auto-deleting thread object
// deletes itself when its function returns; an owner that wants to wait for the thread clears
// m_bAutoDelete while the thread is still suspended, and deletes the object after the wait.
#pragma once

#include "Handles.h"

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam) : m_pfnThreadProc(pfnThreadProc), m_pParam(pParam) {}
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    CKernelHandle m_hThread;
    unsigned m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    static unsigned __stdcall Start(void* pThread);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pParam;
};

// Starts pfnThreadProc(pParam) on a new thread; null when the thread could not be created.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES pSecurity = nullptr);
