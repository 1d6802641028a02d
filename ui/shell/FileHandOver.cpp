#include "FileHandOver.h"

#include "Paths.h"
#include "framework/core/WideText.h"

#include <cstdint>
#include <string>

namespace {

// "TBKF": tells a hand-over from any other data another program might send.
const ULONG_PTR kHandOverId = 0x54424B46;
// More than any real list of files; a larger message is not ours.
const DWORD kMaxHandOverBytes = 4u << 20;
const UINT kSendTimeoutMs = 5000;
const DWORD kRetryMs = 100;

// The running program's window, or null while there is none (yet).
HWND FindRunningWindow() {
    CKernelHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, ToWide(kWindowBeaconName).c_str()));
    if (!mapping) {
        return nullptr;
    }
    const void* pView = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(uint64_t));
    if (!pView) {
        return nullptr;
    }
    uint64_t nHandle = *static_cast<const volatile uint64_t*>(pView);
    ::UnmapViewOfFile(pView);
    HWND hWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(nHandle));
    return hWindow && ::IsWindow(hWindow) ? hWindow : nullptr;
}

} // namespace

CWindowBeacon::~CWindowBeacon() {
    if (m_pView) {
        ::UnmapViewOfFile(m_pView);
    }
}

bool CWindowBeacon::Publish(HWND hWindow) {
    if (!m_hMapping) {
        m_hMapping.Attach(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               sizeof(uint64_t), ToWide(kWindowBeaconName).c_str()));
        if (!m_hMapping) {
            return false;
        }
        m_pView = ::MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, sizeof(uint64_t));
    }
    if (!m_pView) {
        return false;
    }
    *static_cast<volatile uint64_t*>(m_pView) = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hWindow));
    return true;
}

bool HandFilesToRunningProgram(const std::vector<CString>& files, DWORD dwWaitMs) {
    std::string strData;
    for (const CString& strFile : files) {
        strData += strFile.GetStdString();
        strData += '\0';
    }
    COPYDATASTRUCT data = {kHandOverId, static_cast<DWORD>(strData.size()), strData.data()};
    DWORD dwStart = ::GetTickCount();
    for (;;) {
        // The running program may itself have been started a moment ago, with no window yet.
        if (HWND hWindow = FindRunningWindow()) {
            DWORD_PTR nResult = 0;
            if (::SendMessageTimeoutW(hWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &nResult) &&
                nResult) {
                return true;
            }
        }
        if (::GetTickCount() - dwStart >= dwWaitMs) {
            return false;
        }
        ::Sleep(kRetryMs);
    }
}

std::vector<CString> ReceiveHandedFiles(const COPYDATASTRUCT* pData) {
    std::vector<CString> files;
    if (!pData || pData->dwData != kHandOverId || !pData->lpData || pData->cbData > kMaxHandOverBytes) {
        return files;
    }
    const char* pBytes = static_cast<const char*>(pData->lpData);
    std::string strData(pBytes, pBytes + pData->cbData);
    for (size_t nStart = 0; nStart < strData.size();) {
        size_t nEnd = strData.find('\0', nStart);
        if (nEnd == std::string::npos) {
            nEnd = strData.size();
        }
        if (nEnd > nStart) {
            files.emplace_back(strData.substr(nStart, nEnd - nStart));
        }
        nStart = nEnd + 1;
    }
    return files;
}
