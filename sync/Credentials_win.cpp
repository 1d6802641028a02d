#include "Credentials.h"

#include "framework/core/WideText.h"

#include <windows.h>
#include <wincred.h>

std::string CredentialName(const std::string& strUrl) { return "Tovano Address Book sync: " + strUrl; }

bool StorePassword(const std::string& strUrl, const std::string& strUser, const std::string& strPassword) {
    std::wstring strName = ToWide(CredentialName(strUrl).c_str());
    std::wstring strWideUser = ToWide(strUser.c_str());
    CREDENTIALW credential = {};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = &strName[0];
    credential.UserName = &strWideUser[0];
    credential.CredentialBlobSize = static_cast<DWORD>(strPassword.size());
    credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<char*>(strPassword.data()));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    return ::CredWriteW(&credential, 0) != FALSE;
}

bool ReadPassword(const std::string& strUrl, const std::string& strUser, std::string& strPassword) {
    PCREDENTIALW pCredential = nullptr;
    if (!::CredReadW(ToWide(CredentialName(strUrl).c_str()).c_str(), CRED_TYPE_GENERIC, 0, &pCredential)) {
        return false;
    }
    bool bOurs = pCredential->UserName && FromWide(pCredential->UserName).GetStdString() == strUser;
    if (bOurs) {
        strPassword.assign(reinterpret_cast<const char*>(pCredential->CredentialBlob),
                           pCredential->CredentialBlobSize);
    }
    ::CredFree(pCredential);
    return bOurs;
}

void DeletePassword(const std::string& strUrl) {
    ::CredDeleteW(ToWide(CredentialName(strUrl).c_str()).c_str(), CRED_TYPE_GENERIC, 0);
}
