#include "RunningProgram.h"

#include "framework/core/WideText.h"
#include "ui/shell/Paths.h"

#include <windows.h>

namespace {

// A text value of the program's synchronisation key; empty when it has none.
std::string SyncValue(const char* pszName) {
    std::wstring strKey = ToWide(kSyncKeyPath);
    std::wstring strName = ToWide(pszName);
    DWORD dwBytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                       &dwBytes) != ERROR_SUCCESS ||
        dwBytes < sizeof(wchar_t)) {
        return std::string();
    }
    std::wstring strValue(dwBytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), strName.c_str(), RRF_RT_REG_SZ, nullptr,
                       &strValue[0], &dwBytes) != ERROR_SUCCESS) {
        return std::string();
    }
    strValue.resize(::wcsnlen(strValue.c_str(), strValue.size()));
    return FromWide(strValue.c_str()).GetStdString();
}

} // namespace

CProgramSyncAccount ProgramSyncAccount() {
    CProgramSyncAccount account;
    account.strAddress = SyncValue(kSyncAddressValue);
    account.strBookUrl = SyncValue(kSyncBookUrlValue);
    account.strTrustedSha256 = SyncValue(kSyncCertificateValue);
    return account;
}
