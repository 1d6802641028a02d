#include "BenchWin.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

bool StartWindowBench(const char* pszProgram, int argc, char** argv, int* pnRepetitions) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            *pnRepetitions = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--reps N]\n", pszProgram);
            return false;
        }
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return true;
}

double CStopwatch::ElapsedMs() const {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

std::string DescribeError(DWORD dwError) {
    char szText[512] = "";
    DWORD dwLength = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      dwError, 0, szText, sizeof szText, nullptr);
    std::string strText(szText, dwLength);
    while (!strText.empty() && (strText.back() == '\n' || strText.back() == '\r' || strText.back() == ' ')) {
        strText.pop_back();
    }
    return strText + " (error " + std::to_string(dwError) + ")";
}

bool CScratchRegistry::Redirect(const char* pszProgram, std::string* pError) {
    m_strParent = std::string("Software\\TBookBenchScratch");
    std::string strPath = m_strParent + "\\" + pszProgram + "-" + std::to_string(::GetCurrentProcessId());
    HKEY hKey = nullptr;
    LONG nStatus = ::RegCreateKeyExA(HKEY_CURRENT_USER, strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &hKey, nullptr);
    if (nStatus != ERROR_SUCCESS) {
        *pError =
            "cannot create HKEY_CURRENT_USER\\" + strPath + ": " + DescribeError(static_cast<DWORD>(nStatus));
        return false;
    }
    m_hKey = hKey;
    m_strPath = strPath;
    nStatus = ::RegOverridePredefKey(HKEY_CURRENT_USER, m_hKey);
    if (nStatus != ERROR_SUCCESS) {
        *pError = "cannot redirect HKEY_CURRENT_USER: " + DescribeError(static_cast<DWORD>(nStatus));
        return false;
    }
    return true;
}

CScratchRegistry::~CScratchRegistry() {
    if (!m_hKey) {
        return;
    }
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(m_hKey);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
    // The common parent goes too once no other run of a benchmark is using it; while one is,
    // the delete fails because the key still has subkeys, which is what is wanted.
    ::RegDeleteKeyA(HKEY_CURRENT_USER, m_strParent.c_str());
}

bool CScratchFolder::Create(const char* pszPrefix, std::string* pError) {
    char szTemp[MAX_PATH] = "";
    DWORD dwLength = ::GetTempPathA(sizeof szTemp, szTemp);
    if (dwLength == 0 || dwLength >= sizeof szTemp) {
        *pError = "no temporary folder: " + DescribeError(::GetLastError());
        return false;
    }
    std::string strFolder = std::string(szTemp) + pszPrefix + "-" + std::to_string(::GetCurrentProcessId());
    if (!::CreateDirectoryA(strFolder.c_str(), nullptr)) {
        *pError = "cannot create " + strFolder + ": " + DescribeError(::GetLastError());
        return false;
    }
    m_strFolder = strFolder;
    return true;
}

std::string CScratchFolder::File(const char* pszName) {
    std::string strPath = m_strFolder + "\\" + pszName;
    m_files.push_back(strPath);
    return strPath;
}

CScratchFolder::~CScratchFolder() {
    if (m_strFolder.empty()) {
        return;
    }
    for (const std::string& strFile : m_files) {
        ::DeleteFileA(strFile.c_str());
    }
    ::RemoveDirectoryA(m_strFolder.c_str());
}

bool WriteWholeFile(const std::string& strPath, const std::string& strBytes, std::string* pError) {
    struct CHandleCloser {
        void operator()(void* h) const { ::CloseHandle(h); }
    };
    HANDLE hRaw = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hRaw == INVALID_HANDLE_VALUE) {
        *pError = "cannot create " + strPath + ": " + DescribeError(::GetLastError());
        return false;
    }
    std::unique_ptr<void, CHandleCloser> hFile(hRaw);
    size_t nDone = 0;
    while (nDone < strBytes.size()) {
        DWORD dwChunk = static_cast<DWORD>(std::min<size_t>(strBytes.size() - nDone, 1u << 20));
        DWORD dwWritten = 0;
        if (!::WriteFile(hRaw, strBytes.data() + nDone, dwChunk, &dwWritten, nullptr) ||
            dwWritten != dwChunk) {
            *pError = "cannot write " + strPath + ": " + DescribeError(::GetLastError());
            return false;
        }
        nDone += dwWritten;
    }
    return true;
}

double Median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    size_t nMiddle = samples.size() / 2;
    return samples.size() % 2 ? samples[nMiddle] : (samples[nMiddle - 1] + samples[nMiddle]) / 2;
}
