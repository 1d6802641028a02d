#include "IncomingFiles.h"

#include "framework/core/WideText.h"

#include <shellapi.h>

namespace {

const UINT_PTR kWaitTimerId = 0x1F11;
const UINT kWaitTickMs = 300;

} // namespace

bool CIncomingFiles::Open() {
    ::DragAcceptFiles(m_window.m_hWnd, TRUE);
    return m_beacon.Publish(m_window.m_hWnd);
}

void CIncomingFiles::Add(const std::vector<CString>& files) {
    m_files.insert(m_files.end(), files.begin(), files.end());
    if (!m_files.empty()) {
        // Never inside the message that brought them: a later start waits for its answer, and a
        // drop's source for the drop's end.
        ::SetTimer(m_window.m_hWnd, kWaitTimerId, kWaitTickMs, nullptr);
    }
}

LRESULT CIncomingFiles::OnCopyData(WPARAM, LPARAM lParam) {
    std::vector<CString> files = ReceiveHandedFiles(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (files.empty()) {
        return FALSE;
    }
    Add(files);
    return TRUE;
}

LRESULT CIncomingFiles::OnDropFiles(WPARAM wParam, LPARAM) {
    auto hDrop = reinterpret_cast<HDROP>(wParam);
    std::vector<CString> files;
    UINT nCount = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nCount; ++i) {
        std::wstring name(::DragQueryFileW(hDrop, i, nullptr, 0) + 1, L'\0');
        UINT nLength = ::DragQueryFileW(hDrop, i, name.data(), static_cast<UINT>(name.size()));
        if (nLength > 0) {
            files.push_back(FromWide(name.c_str(), static_cast<int>(nLength)));
        }
    }
    ::DragFinish(hDrop);
    Add(files);
    return 0;
}

LRESULT CIncomingFiles::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kWaitTimerId) {
        ImportWhenFree();
    }
    return 0;
}

bool CIncomingFiles::IsWindowFree() const {
    return m_book.IsLoadFinished() && !m_exit.IsCommandRunning() && !m_exit.IsEndPending() &&
           !m_window.HasNestedModal();
}

void CIncomingFiles::ImportWhenFree() {
    if (m_files.empty()) {
        ::KillTimer(m_window.m_hWnd, kWaitTimerId);
        return;
    }
    if (!IsWindowFree()) {
        return; // the timer asks again
    }
    ::KillTimer(m_window.m_hWnd, kWaitTimerId);
    std::vector<CString> files;
    files.swap(m_files);
    m_import(files);
}
