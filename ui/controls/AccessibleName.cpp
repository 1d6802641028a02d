#include "AccessibleName.h"

#include "framework/core/WideText.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

namespace {

// The system's object for the control, with the name and role answered here.
class CNamedAccessible final : public IAccessible {
public:
    CNamedAccessible(IAccessible* pStandard, std::wstring name, long nRole)
        : m_pStandard(pStandard), m_name(std::move(name)), m_nRole(nRole) {}
    CNamedAccessible(const CNamedAccessible&) = delete;
    CNamedAccessible& operator=(const CNamedAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *ppv = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // What only the system's object knows (its window, its children) is its own answer.
        return m_pStandard->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG nRefs = ::InterlockedDecrement(&m_nRefs);
        if (nRefs == 0) {
            delete this;
        }
        return static_cast<ULONG>(nRefs);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pCount) override { return m_pStandard->GetTypeInfoCount(pCount); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT n, LCID lcid, ITypeInfo** ppInfo) override {
        return m_pStandard->GetTypeInfo(n, lcid, ppInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT nCount, LCID lcid, DISPID* ids) override {
        return m_pStandard->GetIDsOfNames(riid, names, nCount, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pParams,
                                     VARIANT* pResult, EXCEPINFO* pException, UINT* pArgError) override {
        return m_pStandard->Invoke(id, riid, lcid, wFlags, pParams, pResult, pException, pArgError);
    }

    // IAccessible: the name and role of the control itself are answered here.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* pName) override {
        if (!IsSelf(child) || m_name.empty()) {
            return m_pStandard->get_accName(child, pName);
        }
        if (!pName) {
            return E_POINTER;
        }
        *pName = ::SysAllocString(m_name.c_str());
        return *pName ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* pRole) override {
        if (!IsSelf(child) || m_nRole == 0) {
            return m_pStandard->get_accRole(child, pRole);
        }
        if (!pRole) {
            return E_POINTER;
        }
        pRole->vt = VT_I4;
        pRole->lVal = m_nRole;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppParent) override { return m_pStandard->get_accParent(ppParent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* pCount) override { return m_pStandard->get_accChildCount(pCount); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** ppChild) override {
        return m_pStandard->get_accChild(child, ppChild);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* pValue) override {
        return m_pStandard->get_accValue(child, pValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* pText) override {
        return m_pStandard->get_accDescription(child, pText);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* pState) override {
        return m_pStandard->get_accState(child, pState);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* pHelp) override { return m_pStandard->get_accHelp(child, pHelp); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pFile, VARIANT child, long* pTopic) override {
        return m_pStandard->get_accHelpTopic(pFile, child, pTopic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* pKeys) override {
        return m_pStandard->get_accKeyboardShortcut(child, pKeys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pChild) override { return m_pStandard->get_accFocus(pChild); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pChildren) override {
        return m_pStandard->get_accSelection(pChildren);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* pAction) override {
        return m_pStandard->get_accDefaultAction(child, pAction);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long nFlags, VARIANT child) override { return m_pStandard->accSelect(nFlags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* pLeft, long* pTop, long* pWidth, long* pHeight, VARIANT child) override {
        return m_pStandard->accLocation(pLeft, pTop, pWidth, pHeight, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long nDirection, VARIANT start, VARIANT* pEnd) override {
        return m_pStandard->accNavigate(nDirection, start, pEnd);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long nX, long nY, VARIANT* pChild) override {
        return m_pStandard->accHitTest(nX, nY, pChild);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_pStandard->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return m_pStandard->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_pStandard->put_accValue(child, value);
    }

private:
    ~CNamedAccessible() { m_pStandard->Release(); }
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    LONG m_nRefs = 1;
    IAccessible* m_pStandard;
    std::wstring m_name;
    long m_nRole;
};

const UINT_PTR kLabelledComboId = 0x4C41; // the subclass's own id among others on the control

LRESULT CALLBACK LabelledComboProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR dwName) {
    const CString& strName = *reinterpret_cast<const CString*>(dwName);
    if (nMessage == WM_GETOBJECT) {
        if (LRESULT result = AnswerAccessibleObject(hWnd, wParam, lParam, strName, ROLE_SYSTEM_COMBOBOX)) {
            return result;
        }
    } else if (nMessage == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hWnd, LabelledComboProc, kLabelledComboId);
        delete &strName;
    }
    return ::DefSubclassProc(hWnd, nMessage, wParam, lParam);
}

// A label's text as a name: no access key, no colon at the end.
CString NameOfLabel(const CString& strLabel) {
    std::string strName;
    for (char ch : strLabel.GetStdString()) {
        if (ch != '&') {
            strName += ch;
        }
    }
    while (!strName.empty() && (strName.back() == ':' || strName.back() == ' ')) {
        strName.pop_back();
    }
    return CString(strName.c_str());
}

} // namespace

void NameCombosByTheirLabels(HWND hDialog) {
    HWND hLabel = nullptr;
    for (HWND hChild = ::GetWindow(hDialog, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        wchar_t szClass[16] = L"";
        ::GetClassNameW(hChild, szClass, 16);
        if (::lstrcmpiW(szClass, L"Static") == 0) {
            hLabel = hChild;
        } else if (::lstrcmpiW(szClass, L"ComboBox") == 0 && hLabel) {
            const int nLength = ::GetWindowTextLengthW(hLabel);
            std::wstring label(static_cast<size_t>(nLength) + 1, L'\0');
            ::GetWindowTextW(hLabel, &label[0], nLength + 1);
            label.resize(static_cast<size_t>(nLength));
            auto* pName = new CString(NameOfLabel(FromWide(label.c_str())));
            if (!::SetWindowSubclass(hChild, LabelledComboProc, kLabelledComboId, reinterpret_cast<DWORD_PTR>(pName))) {
                delete pName;
            }
            hLabel = nullptr;
        } else {
            hLabel = nullptr;
        }
    }
}

LRESULT AnswerAccessibleObject(HWND hWnd, WPARAM wParam, LPARAM lParam, const CString& strName, long nRole) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) {
        return 0;
    }
    IAccessible* pStandard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(hWnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&pStandard))) ||
        !pStandard) {
        return 0;
    }
    auto* pNamed = new CNamedAccessible(pStandard, ToWide(strName), nRole);
    LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(pNamed));
    pNamed->Release(); // the answer holds its own reference
    return result > 0 ? result : 0;
}

LRESULT CAccessiblyNamedWnd::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_GETOBJECT && !m_strName.IsEmpty()) {
        if (LRESULT result = AnswerAccessibleObject(m_hWnd, wParam, lParam, m_strName, m_nRole)) {
            return result;
        }
    }
    return CWnd::WindowProc(nMessage, wParam, lParam);
}
