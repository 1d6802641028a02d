#include "RecordingBrowserTest.h"

#include <fstream>

const char kHttpKey[] = "Software\\Classes\\HTTP";
const char kTestSchemeKey[] = "Software\\Classes\\tbooktest";

std::string ProgramFolder() {
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.rfind('\\') + 1);
}

void SetDefault(const std::string& strPath, const std::string& strValue) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    ::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                     static_cast<DWORD>(strValue.size() + 1));
    ::RegCloseKey(hKey);
}

void RegisterScheme(const std::string& strKey, const std::string& strDescription, const std::string& strCommand) {
    SetDefault(strKey, strDescription);
    HKEY hKey = nullptr;
    ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, KEY_SET_VALUE, &hKey);
    ::RegSetValueExA(hKey, "URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
    ::RegCloseKey(hKey);
    SetDefault(strKey + "\\shell\\open\\command", strCommand);
}

CRecordingBrowser::CRecordingBrowser() {
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(sizeof szTemp, szTemp);
    m_strLog = std::string(szTemp) + "tbook-browser.log";
    ::DeleteFileA(m_strLog.c_str());
    ::SetEnvironmentVariableA("TBOOK_BROWSER_LOG", m_strLog.c_str());
    m_strBrowser = ProgramFolder() + "recording_browser.exe";
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
    // A scheme of its own shows when the shell's own opening of a URL is reached.
    RegisterScheme(kTestSchemeKey, "URL:tbooktest", "\"" + m_strBrowser + "\" shell %1");
}

CRecordingBrowser::~CRecordingBrowser() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHttpKey);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestSchemeKey);
    ::SetEnvironmentVariableA("TBOOK_BROWSER_LOG", nullptr);
}

void CRecordingBrowser::SetVerbCommand(const char* pszVerb, const std::string& strCommand) {
    SetDefault(std::string(kHttpKey) + "\\shell\\" + pszVerb + "\\command", strCommand);
}

std::vector<CLaunch> CRecordingBrowser::WaitForLaunches(size_t nCount) {
    std::vector<CLaunch> launches;
    for (int nTry = 0; nTry < 100; ++nTry) {
        launches.clear();
        std::ifstream log(m_strLog);
        for (std::string strLine; std::getline(log, strLine);) {
            size_t nBlank = strLine.find(' ');
            launches.push_back({strLine.substr(0, nBlank), strLine.substr(nBlank + 1)});
        }
        if (launches.size() >= nCount) {
            break;
        }
        ::Sleep(50);
    }
    // A moment more, so that a launch too many would show.
    ::Sleep(200);
    return launches;
}
