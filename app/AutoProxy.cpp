#include "AutoProxy.h"

#include "framework/win/WinApp.h"

namespace {

// {6F1C2A40-8B3D-4E52-9A7C-1D2E3F405162}
const CLSID kProxyClassId = {0x6f1c2a40, 0x8b3d, 0x4e52, {0x9a, 0x7c, 0x1d, 0x2e, 0x3f, 0x40, 0x51, 0x62}};
// {6F1C2A41-8B3D-4E52-9A7C-1D2E3F405162}
const IID kProxyDispatchId = {0x6f1c2a41, 0x8b3d, 0x4e52, {0x9a, 0x7c, 0x1d, 0x2e, 0x3f, 0x40, 0x51, 0x62}};

} // namespace

COleObjectFactory& AutomationFactory() {
    // Single use: each client that creates the object while none is offered starts a program.
    static COleObjectFactory factory(kProxyClassId, &CTBookDlgAutoProxy::Create, "TovanoAddressBook.Application",
                                     "Tovano Address Book", true);
    return factory;
}

IUnknown* CTBookDlgAutoProxy::Create() { return static_cast<IDispatch*>(new CTBookDlgAutoProxy); }

CTBookDlgAutoProxy::CTBookDlgAutoProxy() {
    AfxOleLockApp();
    CWinApp* pApp = AfxGetApp();
    m_pOwnerDlg = pApp ? dynamic_cast<CAutomationHost*>(pApp->m_pMainWnd) : nullptr;
    if (m_pOwnerDlg) {
        m_pOwnerDlg->AttachAutomationClient(this);
    }
}

CTBookDlgAutoProxy::~CTBookDlgAutoProxy() {
    if (m_pOwnerDlg) {
        m_pOwnerDlg->AttachAutomationClient(nullptr);
    }
    AfxOleUnlockApp();
}

STDMETHODIMP CTBookDlgAutoProxy::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IDispatch) ||
        ::IsEqualIID(riid, kProxyDispatchId)) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CTBookDlgAutoProxy::AddRef() { return static_cast<ULONG>(++m_nReferences); }

STDMETHODIMP_(ULONG) CTBookDlgAutoProxy::Release() {
    LONG nLeft = --m_nReferences;
    if (nLeft == 0) {
        delete this;
    }
    return static_cast<ULONG>(nLeft);
}

STDMETHODIMP CTBookDlgAutoProxy::GetTypeInfoCount(UINT* pnCount) {
    if (!pnCount) {
        return E_POINTER;
    }
    *pnCount = 0;
    return S_OK;
}

STDMETHODIMP CTBookDlgAutoProxy::GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo) {
    if (ppInfo) {
        *ppInfo = nullptr;
    }
    return DISP_E_BADINDEX;
}

STDMETHODIMP CTBookDlgAutoProxy::GetIDsOfNames(REFIID, LPOLESTR*, UINT nNames, LCID, DISPID* pIds) {
    for (UINT i = 0; pIds && i < nNames; ++i) {
        pIds[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CTBookDlgAutoProxy::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}
