#include "FolderWatcher.h"

#include "framework/core/WideText.h"

namespace {

// A name made, removed or renamed (an atomic save), a size or a time written (a save in place).
const DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

} // namespace

bool CFolderWatcher::Start(HWND hTarget, UINT nMessage, const CString& strFolder) {
    Stop();
    m_hChange = ::FindFirstChangeNotificationW(ToWide(strFolder).c_str(), FALSE, kChanges);
    m_hStopEvent.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (m_hChange == INVALID_HANDLE_VALUE || !m_hStopEvent) {
        CloseChange();
        return false;
    }
    m_hTarget = hTarget;
    m_nMessage = nMessage;
    m_bPosted = false;
    CWinThread* pThread =
        AfxBeginThread(&CFolderWatcher::ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED, nullptr);
    if (!pThread) {
        CloseChange();
        return false;
    }
    // Owned here, so that Stop can wait on the handle after the thread has ended.
    pThread->m_bAutoDelete = FALSE;
    m_pThread.reset(pThread);
    m_pThread->ResumeThread();
    return true;
}

void CFolderWatcher::Stop() {
    if (m_pThread) {
        ::SetEvent(m_hStopEvent);
        ::WaitForSingleObject(m_pThread->m_hThread, INFINITE);
        m_pThread.reset();
    }
    CloseChange();
}

void CFolderWatcher::CloseChange() {
    if (m_hChange != INVALID_HANDLE_VALUE) {
        ::FindCloseChangeNotification(m_hChange);
        m_hChange = INVALID_HANDLE_VALUE;
    }
    m_hStopEvent.Close();
}

UINT CFolderWatcher::ThreadProc(LPVOID pParam) {
    static_cast<CFolderWatcher*>(pParam)->Watch();
    return 0;
}

void CFolderWatcher::Watch() {
    HANDLE handles[2] = {m_hStopEvent, m_hChange};
    for (;;) {
        DWORD dwResult = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (dwResult != WAIT_OBJECT_0 + 1) {
            return; // stopped, or the system gave up on the wait: the window simply hears no more
        }
        if (!m_bPosted.exchange(true) && !::PostMessageW(m_hTarget, m_nMessage, 0, 0)) {
            m_bPosted = false;
        }
        if (!::FindNextChangeNotification(m_hChange)) {
            return;
        }
    }
}
