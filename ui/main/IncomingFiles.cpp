#include "IncomingFiles.h"

#include "framework/core/WideText.h"
#include "interchange/ContactFiles.h"
#include "ui/main/CommandLogic.h"
#include "ui/main/CommandScope.h"
#include "ui/shell/Globals.h"

#include <shellapi.h>

#include <algorithm>

namespace {

const UINT_PTR kWaitTimerId = 0x1F11;
const UINT kWaitTickMs = 300;
// Files a question names one by one; the rest are counted.
const size_t kMostFilesNamed = 10;

// Whether the path starts with a drive letter that the system maps to a share of another computer.
bool IsOnNetworkDrive(const CString& strPath) {
    if (strPath.GetLength() < 2 || strPath[1] != ':') {
        return false;
    }
    const wchar_t szRoot[] = {static_cast<wchar_t>(static_cast<unsigned char>(strPath[0])), L':', L'\\', 0};
    return ::GetDriveTypeW(szRoot) == DRIVE_REMOTE;
}

// Where a file is, as a question names it: "friends.vcf in C:\Users\Ann", "friends.vcf on the
// computer \\server", "friends.vcf on the network drive Z:". bNetwork is set for the last two.
CString FilePlace(const CString& strPath, bool& bNetwork) {
    const int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    const CString strName = strPath.Mid(nSlash + 1);
    const CString strComputer = NetworkComputerOf(strPath);
    if (!strComputer.IsEmpty()) {
        bNetwork = true;
        return strName + " on the computer " + strComputer;
    }
    if (IsOnNetworkDrive(strPath)) {
        bNetwork = true;
        return strName + " on the network drive " + strPath.Left(2);
    }
    // The root keeps its backslash: "C:\".
    return nSlash < 0 ? strName : strName + " in " + strPath.Left(nSlash == 2 ? 3 : nSlash);
}

} // namespace

const CMessageTable* CIncomingFiles::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CIncomingFiles::OnCopyData>(WM_COPYDATA),
        OnMessage<&CIncomingFiles::OnDropFiles>(WM_DROPFILES),
        OnMessageUnlessDeclined<&CIncomingFiles::OnTimer>(WM_TIMER),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

bool CIncomingFiles::Open() {
    ::DragAcceptFiles(m_window.m_hWnd, TRUE);
    return m_beacon.Publish(m_window.m_hWnd);
}

void CIncomingFiles::Add(const std::vector<CString>& files) { Add(files, true); }

void CIncomingFiles::Add(const std::vector<CString>& files, bool bAsk) {
    for (const CString& strPath : files) {
        m_files.push_back({strPath, bAsk});
    }
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
    Add(files, false);
    return 0;
}

BOOL CIncomingFiles::OnTimer(WPARAM wParam, LPARAM, LRESULT*) {
    if (wParam != kWaitTimerId) {
        return FALSE;
    }
    ImportWhenFree();
    return TRUE;
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
    std::vector<CIncomingFile> files;
    files.swap(m_files);
    CCommandScope command(m_exit, m_window);
    std::vector<CString> asked;
    for (const CIncomingFile& file : files) {
        if (file.bAsk) {
            asked.push_back(file.strPath);
        }
    }
    const bool bAgreed = asked.empty() || AgreesToOpen(asked);
    if (m_exit.IsEndPending()) {
        return; // asked to end meanwhile: the command's end makes that request again
    }
    std::vector<CString> paths;
    for (const CIncomingFile& file : files) {
        if (bAgreed || !file.bAsk) {
            paths.push_back(file.strPath);
        }
    }
    if (!paths.empty()) {
        m_importer.ImportFiles(paths);
    }
}

bool CIncomingFiles::AgreesToOpen(const std::vector<CString>& files) const {
    bool bNetwork = false;
    CString strText =
        CString("You or another program asked ") + kSystemCaption + " to import the contacts of ";
    if (files.size() == 1) {
        strText += FilePlace(files[0], bNetwork) + ".";
    } else {
        strText += "these files:\n";
        for (size_t i = 0; i < files.size(); ++i) {
            CString strPlace = FilePlace(files[i], bNetwork); // every file, for bNetwork
            if (i < kMostFilesNamed) {
                strText += "\n" + strPlace;
            }
        }
        if (files.size() > kMostFilesNamed) {
            strText += "\n... and " + CountOf(files.size() - kMostFilesNamed, "more file", "more files");
        }
    }
    if (bNetwork) {
        strText += "\n\nOpening a file on another computer connects to that computer with your Windows "
                   "logon. Choose No unless you expected files from there.";
    }
    strText += files.size() == 1 ? "\n\nOpen the file and read its contacts?"
                                 : "\n\nOpen the files and read their contacts?";
    UINT nType = MB_YESNO | MB_DEFBUTTON2 | (bNetwork ? MB_ICONEXCLAMATION : MB_ICONQUESTION);
    return m_window.MessageBox(strText, kSystemCaption, nType) == IDYES;
}
