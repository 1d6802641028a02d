#include "SyncSettings.h"

#include "framework/core/WideText.h"
#include "sync/Credentials.h"
#include "sync/DavUrl.h"
#include "ui/shell/Registry.h"

#include <cctype>

namespace {

const char kUserValue[] = "User";
const char kBookNameValue[] = "BookName";
const char kAtStartValue[] = "AtStart";
const char kAfterChangeValue[] = "AfterChange";
const char kEveryValue[] = "Every";
const char kMinutesValue[] = "Minutes";

std::string Lower(std::string str) {
    for (char& ch : str) {
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    return str;
}

} // namespace

CSyncAccount CSyncAccount::Load() {
    CSyncAccount account;
    CRegistry registry;
    registry.SetKey(HKEY_CURRENT_USER, kSyncKeyPath);
    account.strAddress = registry.ReadString(kSyncAddressValue, "").GetStdString();
    account.strBookUrl = registry.ReadString(kSyncBookUrlValue, "").GetStdString();
    account.strBookName = registry.ReadString(kBookNameValue, "").GetStdString();
    account.strUser = registry.ReadString(kUserValue, "").GetStdString();
    account.strTrustedSha256 = registry.ReadString(kSyncCertificateValue, "").GetStdString();
    account.bAtStart = registry.ReadInt(kAtStartValue, 1) != 0;
    account.bAfterChange = registry.ReadInt(kAfterChangeValue, 1) != 0;
    account.bEvery = registry.ReadInt(kEveryValue, 1) != 0;
    account.nMinutes = SaneSyncMinutes(registry.ReadInt(kMinutesValue, kDefaultSyncMinutes));
    return account;
}

bool CSyncAccount::Save(CString* pError) const {
    CRegistry registry;
    const std::pair<const char*, const std::string*> texts[] = {
        {kSyncAddressValue, &strAddress},
        {kSyncBookUrlValue, &strBookUrl},
        {kBookNameValue, &strBookName},
        {kUserValue, &strUser},
        {kSyncCertificateValue, &strTrustedSha256},
    };
    const std::pair<const char*, int> numbers[] = {
        {kAtStartValue, bAtStart},
        {kAfterChangeValue, bAfterChange},
        {kEveryValue, bEvery},
        {kMinutesValue, nMinutes},
    };
    bool bDone = true;
    for (const auto& [pszName, pValue] : texts) {
        bDone = bDone && registry.WriteString(HKEY_CURRENT_USER, kSyncKeyPath, pszName, pValue->c_str());
    }
    for (const auto& [pszName, nValue] : numbers) {
        bDone = bDone && registry.WriteInt(HKEY_CURRENT_USER, kSyncKeyPath, pszName, nValue);
    }
    if (!bDone && pError) {
        *pError = "The account could not be stored in the registry:\n" +
                  DescribeSystemError(registry.GetLastStatus());
    }
    return bDone;
}

void CSyncAccount::Remove(const std::string& strBookUrl) {
    if (!strBookUrl.empty()) {
        DeletePassword(strBookUrl);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, ToWide(kSyncKeyPath).c_str());
}

bool IsUnencryptedToOtherHost(const std::string& strUrl) {
    std::string strOrigin = UrlOrigin(CompleteAddress(strUrl));
    const std::string strScheme = "http://";
    if (Lower(strOrigin.substr(0, strScheme.size())) != strScheme) {
        return false;
    }
    std::string strHost = strOrigin.substr(strScheme.size());
    if (!strHost.empty() && strHost[0] == '[') {
        strHost = strHost.substr(1, strHost.find(']') - 1); // an IPv6 address in brackets
    } else {
        strHost = strHost.substr(0, strHost.find(':'));
    }
    strHost = Lower(strHost);
    return strHost != "localhost" && strHost != "127.0.0.1" && strHost != "::1";
}

int SaneSyncMinutes(int nMinutes) {
    return nMinutes >= kMinSyncMinutes && nMinutes <= kMaxSyncMinutes ? nMinutes : kDefaultSyncMinutes;
}
