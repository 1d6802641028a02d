// CTBookDlgAutoProxy: the automation object of ProgID "TovanoAddressBook.Application". It has
// no methods and no properties; while a client holds it the program stays alive (the main
// window only hides on its exit path). The object and the main window each clear the other's
// link when they end first.
#pragma once

#include "ui/shell/AutomationHost.h"
#include "framework/win/OleServer.h"

#include <oaidl.h>

// The factory of the automation object, for the whole process.
COleObjectFactory& AutomationFactory();

class CTBookDlgAutoProxy : public IDispatch, public CAutomationClient {
public:
    // A new object with one reference, tied to the application's main window.
    static IUnknown* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pnCount) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT nNames, LCID, DISPID* pIds) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    void OnHostGone() override { m_pOwnerDlg = nullptr; }

private:
    CTBookDlgAutoProxy();
    virtual ~CTBookDlgAutoProxy();

    CAutomationHost* m_pOwnerDlg = nullptr;
    LONG m_nReferences = 1;
};
