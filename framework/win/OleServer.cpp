#include "OleServer.h"

#include "framework/base/Handles.h"
#include "framework/core/WideText.h"

#include <string>

namespace {

LONG g_nLockCount = 0;

std::string ClassIdText(const CLSID& clsid) {
    wchar_t szWide[64] = L"";
    ::StringFromGUID2(clsid, szWide, 64);
    return std::string(szWide, szWide + ::wcslen(szWide));
}

bool SetKeyValue(HKEY hRoot, const std::string& strPath, const char* pszName, const std::string& strValue) {
    HKEY hCreated = nullptr;
    if (::RegCreateKeyExW(hRoot, ToWide(strPath.c_str()).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hCreated,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    CRegKey key(hCreated);
    // The value may name a program installed below a folder of any name.
    std::wstring value = ToWide(strValue.c_str());
    std::wstring name = ToWide(pszName);
    return ::RegSetValueExW(key, pszName ? name.c_str() : nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

void AfxOleLockApp() { ++g_nLockCount; }
void AfxOleUnlockApp() { --g_nLockCount; }
LONG AfxOleLockCount() { return g_nLockCount; }

bool IsAutomationCommandLine(const char* pszCommandLine) {
    for (const char* pszSwitch : {"-Embedding", "/Embedding", "-Automation", "/Automation"}) {
        if (::lstrcmpiA(pszCommandLine, pszSwitch) == 0) {
            return true;
        }
    }
    return false;
}

COleObjectFactory::COleObjectFactory(const CLSID& clsid, Creator create, const char* pszProgId, const char* pszName,
                                     bool bSingleUse)
    : m_clsid(clsid), m_create(create), m_pszProgId(pszProgId), m_pszName(pszName), m_bSingleUse(bSingleUse) {}

HRESULT COleObjectFactory::Register() {
    if (m_dwCookie) {
        return S_OK;
    }
    return ::CoRegisterClassObject(m_clsid, this, CLSCTX_LOCAL_SERVER,
                                   m_bSingleUse ? REGCLS_SINGLEUSE : REGCLS_MULTIPLEUSE, &m_dwCookie);
}

void COleObjectFactory::Revoke() {
    if (m_dwCookie) {
        ::CoRevokeClassObject(m_dwCookie);
        m_dwCookie = 0;
    }
}

bool COleObjectFactory::UpdateRegistry(const char* pszServerPath) const {
    const std::string strClassId = ClassIdText(m_clsid);
    const std::string strProgId = m_pszProgId;
    const std::string strClassKey = "Software\\Classes\\CLSID\\" + strClassId;
    const std::string strServer = std::string("\"") + pszServerPath + "\"";
    for (HKEY hRoot : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        if (SetKeyValue(hRoot, "Software\\Classes\\" + strProgId, nullptr, m_pszName) &&
            SetKeyValue(hRoot, "Software\\Classes\\" + strProgId + "\\CLSID", nullptr, strClassId) &&
            SetKeyValue(hRoot, strClassKey, nullptr, m_pszName) &&
            SetKeyValue(hRoot, strClassKey + "\\LocalServer32", nullptr, strServer) &&
            SetKeyValue(hRoot, strClassKey + "\\ProgID", nullptr, strProgId)) {
            return true;
        }
    }
    return false;
}

STDMETHODIMP COleObjectFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleObjectFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (pOuter) {
        return CLASS_E_NOAGGREGATION;
    }
    IUnknown* pObject = m_create();
    if (!pObject) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

STDMETHODIMP COleObjectFactory::LockServer(BOOL bLock) {
    if (bLock) {
        AfxOleLockApp();
    } else {
        AfxOleUnlockApp();
    }
    return S_OK;
}
