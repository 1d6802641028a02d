#include "Thread.h"

#include <process.h>

CWinThread::~CWinThread() = default;

unsigned __stdcall CWinThread::Start(void* pThread) {
    CWinThread* pSelf = static_cast<CWinThread*>(pThread);
    unsigned nResult = pSelf->m_pfnThreadProc(pSelf->m_pParam);
    if (pSelf->m_bAutoDelete) {
        delete pSelf;
    }
    return nResult;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES pSecurity) {
    CWinThread* pThread = new CWinThread(pfnThreadProc, pParam);
    // Always created suspended, so the object is complete before the thread can touch it.
    uintptr_t hThread = ::_beginthreadex(pSecurity, nStackSize, &CWinThread::Start, pThread, CREATE_SUSPENDED,
                                         &pThread->m_nThreadID);
    if (!hThread) {
        delete pThread;
        return nullptr;
    }
    pThread->m_hThread.Attach(reinterpret_cast<HANDLE>(hThread));
    ::SetThreadPriority(pThread->m_hThread, nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) {
        pThread->ResumeThread();
    }
    return pThread;
}
