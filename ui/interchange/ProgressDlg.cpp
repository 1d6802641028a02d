#include "ProgressDlg.h"

#include "framework/base/Thread.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

const UINT WM_WORK_DONE = WM_APP + 0x120;
const UINT_PTR kTimerId = 1;
const UINT kTickMs = 100;
const int kBarRange = 1000;

} // namespace

const CMessageTable* CProgressDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CProgressDlg::OnWorkDone>(WM_WORK_DONE),
        OnMessage<&CProgressDlg::OnTimer>(WM_TIMER),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CProgressDlg::CProgressDlg(const CString& strText, Work work, UINT nShowDelayMs)
    : CDialog(IDD_PROGRESS), m_strText(strText), m_work(std::move(work)), m_nShowDelayMs(nShowDelayMs) {
    m_bShowLater = true;
}

CProgressDlg::~CProgressDlg() = default;

bool CProgressDlg::Run(const CString& strText, Work work, UINT nShowDelayMs) {
    CProgressDlg dlg(strText, std::move(work), nShowDelayMs);
    if (dlg.DoModal() == -1) {
        // No dialog: the work still has to be done, only without a way to stop it.
        dlg.m_work(dlg.m_progress);
        return true;
    }
    return !dlg.m_progress.IsCancelled();
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_PROGRESS_TEXT, m_strText);
    ::SendDlgItemMessageW(m_hWnd, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
    m_dwStarted = ::GetTickCount();
    // Created suspended, so the object is not deleted at the thread's end: it is waited for.
    m_pThread.reset(AfxBeginThread(WorkThreadProc, this, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED));
    if (!m_pThread) {
        m_work(m_progress);
        EndDialog(IDOK);
        return TRUE;
    }
    m_pThread->m_bAutoDelete = FALSE;
    m_pThread->ResumeThread();
    ::SetTimer(m_hWnd, kTimerId, kTickMs, nullptr);
    return TRUE;
}

UINT CProgressDlg::WorkThreadProc(LPVOID pParam) {
    auto* pDlg = static_cast<CProgressDlg*>(pParam);
    pDlg->m_work(pDlg->m_progress);
    // The dialog stays until this arrives, so the window is still there to receive it.
    ::PostMessageW(pDlg->m_hWnd, WM_WORK_DONE, 0, 0);
    return 0;
}

LRESULT CProgressDlg::OnTimer(WPARAM, LPARAM) {
    if (!IsWindowVisible() && ::GetTickCount() - m_dwStarted >= m_nShowDelayMs) {
        ShowWindow(SW_SHOWNORMAL);
    }
    HWND hBar = GetDlgItem(IDC_PROGRESS_BAR);
    bool bKnown = m_progress.GetTotal() > 0;
    // Work that cannot say how far it has come keeps the bar moving instead.
    LONG_PTR nStyle = ::GetWindowLongPtrW(hBar, GWL_STYLE);
    if (((nStyle & PBS_MARQUEE) != 0) == bKnown) {
        ::SetWindowLongPtrW(hBar, GWL_STYLE, bKnown ? nStyle & ~PBS_MARQUEE : nStyle | PBS_MARQUEE);
        ::SendMessageW(hBar, PBM_SETMARQUEE, !bKnown, 0);
    }
    ::SendMessageW(hBar, PBM_SETPOS, static_cast<WPARAM>(m_progress.PerMille()), 0);
    return 0;
}

LRESULT CProgressDlg::OnWorkDone(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, kTimerId);
    ::WaitForSingleObject(m_pThread->m_hThread, INFINITE);
    EndDialog(m_progress.IsCancelled() ? IDCANCEL : IDOK);
    return 0;
}

void CProgressDlg::OnCancel() {
    // The work ends at its next step; the dialog ends when it has.
    m_progress.Cancel();
    SetDlgItemText(IDC_PROGRESS_TEXT, "Cancelling...");
    ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
}
