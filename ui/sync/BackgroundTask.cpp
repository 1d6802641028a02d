#include "BackgroundTask.h"

#include "framework/base/Thread.h"

bool CBackgroundTask::Start(HWND hTarget, UINT nMessage, std::function<void()> work) {
    if (m_pShared) {
        return false;
    }
    auto pShared = std::make_shared<CShared>();
    pShared->work = std::move(work);
    pShared->hTarget = hTarget;
    pShared->nMessage = nMessage;
    pShared->nNumber = ++m_nLastNumber;
    pShared->hDone.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pShared->hDone) {
        return false;
    }
    // The worker holds its own reference, released when it ends, whoever still listens.
    auto* pWorkerRef = new std::shared_ptr<CShared>(pShared);
    if (!AfxBeginThread(&CBackgroundTask::Run, pWorkerRef)) {
        delete pWorkerRef;
        return false;
    }
    m_pShared = std::move(pShared);
    return true;
}

UINT CBackgroundTask::Run(LPVOID pParam) {
    std::unique_ptr<std::shared_ptr<CShared>> pRef(static_cast<std::shared_ptr<CShared>*>(pParam));
    CShared& shared = **pRef;
    shared.work();
    shared.work = nullptr; // what the work holds goes with the worker, not with the last listener
    ::SetEvent(shared.hDone);
    if (!shared.bAbandoned) {
        ::PostMessageW(shared.hTarget, shared.nMessage, shared.nNumber, 0);
    }
    return 0;
}

bool CBackgroundTask::Finish(WPARAM wParam) {
    if (!m_pShared || wParam != m_pShared->nNumber) {
        return false;
    }
    // The worker sets the event before it posts: this only orders its writes before our reads.
    ::WaitForSingleObject(m_pShared->hDone, INFINITE);
    m_pShared.reset();
    return true;
}

bool CBackgroundTask::Abandon(DWORD dwMilliseconds) {
    if (!m_pShared) {
        return true;
    }
    m_pShared->bAbandoned = true;
    bool bEnded = ::WaitForSingleObject(m_pShared->hDone, dwMilliseconds) == WAIT_OBJECT_0;
    m_pShared.reset();
    return bEnded;
}
