// CProgressDlg: runs long work (an import's reading, an export's writing) on a worker thread
// while the window goes on answering. Work that ends within a moment shows nothing; after that
// the dialog shows what is being done, how far it has come, and Cancel. Cancel asks the work to
// stop and waits for it, so nothing is left half done. User-interface thread only.
#pragma once

#include "framework/core/WorkProgress.h"
#include "framework/win/Dialog.h"

#include <functional>
#include <memory>

class CWinThread;

class CProgressDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    using Work = std::function<void(CWorkProgress&)>;

    // How long work runs before the dialog shows.
    static const UINT kShowDelayMs = 700;

    // Runs the work to its end, or until the user cancels it; false when cancelled. The work
    // must not touch a window.
    static bool Run(const CString& strText, Work work, UINT nShowDelayMs = kShowDelayMs);

    ~CProgressDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;

private:
    CProgressDlg(const CString& strText, Work work, UINT nShowDelayMs);
    LRESULT OnWorkDone(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    static UINT WorkThreadProc(LPVOID pParam);

    CString m_strText;
    Work m_work;
    UINT m_nShowDelayMs;
    DWORD m_dwStarted = 0;
    CWorkProgress m_progress;
    std::unique_ptr<CWinThread> m_pThread;
};
