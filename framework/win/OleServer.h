// The part of COM a local automation server needs: a class factory that makes one class of
// object, its registration while the program runs, the registry entries that let the system
// start the program for a client, and the count of what keeps the program alive for clients.
// COM calls arrive on the user-interface thread (a single-threaded apartment), so nothing here
// locks.
#pragma once

#include <windows.h>

#include <ole2.h>

// What clients hold: objects and factory locks.
void AfxOleLockApp();
void AfxOleUnlockApp();
LONG AfxOleLockCount();

// Whether the command line (without the program) is the one the system starts a server with.
bool IsAutomationCommandLine(const char* pszCommandLine);

class COleObjectFactory : public IClassFactory {
public:
    // Makes a new object with one reference held by the caller, or null.
    using Creator = IUnknown* (*)();

    // bSingleUse: a registered factory serves one creation; the next client starts the
    // program again.
    COleObjectFactory(const CLSID& clsid, Creator create, const char* pszProgId, const char* pszName,
                      bool bSingleUse);
    COleObjectFactory(const COleObjectFactory&) = delete;
    COleObjectFactory& operator=(const COleObjectFactory&) = delete;
    virtual ~COleObjectFactory() { Revoke(); }

    HRESULT Register();
    void Revoke();
    // Writes the ProgID and the class id of a local server started as strServerPath: under
    // HKEY_LOCAL_MACHINE's classes when they can be written, else under the user's own.
    bool UpdateRegistry(const char* pszServerPath) const;

    // The factory lives as long as the process: references do not own it.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL bLock) override;

private:
    CLSID m_clsid;
    Creator m_create;
    const char* m_pszProgId;
    const char* m_pszName;
    bool m_bSingleUse;
    DWORD m_dwCookie = 0;
};
