#include "Wnd.h"

#include "framework/base/AppContext.h"
#include "framework/core/WideText.h"

#include <commctrl.h>

#include <mutex>
#include <unordered_map>

namespace {

// The wrappers by window, with the procedure each window had before. Every message looks its
// window up here, so the map lives in the process: a window property would cost a trip to the
// window server (under Wine) each time. A window whose wrapper has gone while another
// procedure was put over it keeps its entry, without a wrapper, until it is destroyed.
struct CWrapperEntry {
    CWnd* pWnd;
    WNDPROC pfnSuper;
};
std::mutex g_wrappersLock;
std::unordered_map<HWND, CWrapperEntry> g_wrappers;

CWrapperEntry FindEntry(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_wrappersLock);
    auto found = g_wrappers.find(hWnd);
    return found == g_wrappers.end() ? CWrapperEntry{nullptr, nullptr} : found->second;
}

thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hCreateHook = nullptr;

} // namespace

// Binds the window that is being created to the wrapper waiting for it, before the window's
// first message (WM_NCCREATE) arrives, so that handlers see WM_CREATE.
class CWindowCreateHook {
public:
    static LRESULT CALLBACK Proc(int nCode, WPARAM wParam, LPARAM lParam) {
        if (nCode == HCBT_CREATEWND && t_pWndInit) {
            CWnd* pWnd = t_pWndInit;
            t_pWndInit = nullptr;
            // A window that cannot be wrapped is refused rather than left half made.
            if (!pWnd->Bind(reinterpret_cast<HWND>(wParam))) {
                return 1;
            }
            pWnd->m_bCreatedHere = true;
        }
        return CallNextHookEx(t_hCreateHook, nCode, wParam, lParam);
    }
};

const CMessageTable* CWnd::GetThisMessageTable() {
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), nullptr, 0};
    return &table;
}

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        if (m_bCreatedHere) {
            ::DestroyWindow(m_hWnd);
        } else {
            UnsubclassWindow();
        }
    }
}

CWnd* CWnd::FromHandle(HWND hWnd) { return hWnd ? FindEntry(hWnd).pWnd : nullptr; }

BOOL CWnd::Bind(HWND hWnd) {
    std::lock_guard<std::mutex> lock(g_wrappersLock);
    auto found = g_wrappers.find(hWnd);
    if (found != g_wrappers.end()) {
        if (found->second.pWnd) {
            return FALSE;
        }
        // Our procedure is still in the window's chain, under someone else's: use it again.
        found->second.pWnd = this;
        m_pfnSuper = found->second.pfnSuper;
    } else {
        m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WrapperProc)));
        if (!m_pfnSuper) {
            return FALSE;
        }
        g_wrappers[hWnd] = {this, m_pfnSuper};
    }
    m_hWnd = hWnd;
    return TRUE;
}

void CWnd::Unbind(bool bDestroyed) {
    if (m_hWnd) {
        std::lock_guard<std::mutex> lock(g_wrappersLock);
        bool bOnTop = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::WrapperProc);
        if (bDestroyed || bOnTop) {
            if (!bDestroyed) {
                ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            }
            g_wrappers.erase(m_hWnd);
        } else {
            g_wrappers[m_hWnd].pWnd = nullptr; // left in the chain, passing messages on
        }
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_bCreatedHere = false;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || m_hWnd || FromHandle(hWnd) || !Bind(hWnd)) {
        return FALSE;
    }
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nId, CWnd* pParent) { return SubclassWindow(pParent->GetDlgItem(static_cast<int>(nId))); }

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    Unbind();
    return hWnd;
}

void CWnd::HookWindowCreate(CWnd* pWnd) {
    t_pWndInit = pWnd;
    if (!t_hCreateHook) {
        t_hCreateHook = ::SetWindowsHookExW(WH_CBT, &CWindowCreateHook::Proc, nullptr, ::GetCurrentThreadId());
    }
}

void CWnd::UnhookWindowCreate() {
    t_pWndInit = nullptr;
    if (t_hCreateHook) {
        ::UnhookWindowsHookEx(t_hCreateHook);
        t_hCreateHook = nullptr;
    }
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszName, DWORD dwStyle, const RECT& rect,
                    HWND hParent, UINT nId) {
    std::wstring className = ToWide(pszClass);
    std::wstring name = ToWide(pszName);
    HookWindowCreate(this);
    HWND hWnd = ::CreateWindowExW(dwExStyle, className.c_str(), pszName ? name.c_str() : nullptr, dwStyle, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, hParent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)), AfxGetInstanceHandle(), nullptr);
    UnhookWindowCreate();
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

LRESULT CALLBACK CWnd::WrapperProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    CWrapperEntry entry = FindEntry(hWnd);
    if (!entry.pWnd) {
        LRESULT result = entry.pfnSuper ? ::CallWindowProcW(entry.pfnSuper, hWnd, nMessage, wParam, lParam)
                                        : ::DefWindowProcW(hWnd, nMessage, wParam, lParam);
        if (nMessage == WM_NCDESTROY) {
            std::lock_guard<std::mutex> lock(g_wrappersLock);
            g_wrappers.erase(hWnd);
        }
        return result;
    }
    CWnd* pWnd = entry.pWnd;
    CurrentMessage saved = pWnd->m_current;
    pWnd->m_current = {nMessage, wParam, lParam};
    LRESULT result = pWnd->WindowProc(nMessage, wParam, lParam);
    pWnd->m_current = saved;
    if (nMessage == WM_NCDESTROY) {
        pWnd->Unbind(true);
        pWnd->PostNcDestroy(); // may delete the wrapper
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(nMessage, wParam, lParam, &result)) {
        result = DefWindowProc(nMessage, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_pfnSuper, m_hWnd, nMessage, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.nMessage, m_current.wParam, m_current.lParam); }

BOOL CWnd::ReflectToChild(HWND hChild, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    CWnd* pChild = FromHandle(hChild);
    return pChild && pChild != this && pChild->OnChildNotify(nMessage, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT nReflected = WM_REFLECT_BASE + nMessage;
    UINT nCode = 0;
    switch (nMessage) {
    case WM_COMMAND: nCode = HIWORD(wParam); break;
    case WM_NOTIFY: nCode = static_cast<UINT>(reinterpret_cast<NMHDR*>(lParam)->code); break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: nReflected = WM_REFLECT_CTLCOLOR; break;
    default: break;
    }
    const CMessageEntry* pEntry = FindMessageEntry(nReflected, nCode, 0);
    return pEntry && CallHandler(*pEntry, nMessage, wParam, lParam, pResult);
}

BOOL CWnd::OnWndMsg(UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (nMessage) {
    case WM_COMMAND: {
        if (lParam && ReflectToChild(reinterpret_cast<HWND>(lParam), nMessage, wParam, lParam, pResult)) {
            return TRUE;
        }
        *pResult = 0;
        if (OnCmdMsg(LOWORD(wParam), HIWORD(wParam))) {
            return TRUE;
        }
        // Commands no window handles go to the application, as menu commands do.
        CCmdTarget* pFallback = AfxGetFallbackCommandTarget();
        return pFallback && m_hWnd && m_hWnd == AfxGetMainWindow() &&
               pFallback->OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
    }
    case WM_NOTIFY: {
        NMHDR* pHeader = reinterpret_cast<NMHDR*>(lParam);
        if (ReflectToChild(pHeader->hwndFrom, nMessage, wParam, lParam, pResult)) {
            return TRUE;
        }
        return DispatchToParts(WM_NOTIFY, static_cast<UINT>(pHeader->code), static_cast<UINT>(pHeader->idFrom),
                               wParam, lParam, pResult);
    }
    case WM_DRAWITEM: {
        DRAWITEMSTRUCT* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (pDraw->CtlType != ODT_MENU && ReflectToChild(pDraw->hwndItem, nMessage, wParam, lParam, pResult)) {
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        if (ReflectToChild(reinterpret_cast<HWND>(lParam), nMessage, wParam, lParam, pResult)) {
            return TRUE;
        }
        break;
    default: break;
    }
    return DispatchToParts(nMessage, 0, 0, wParam, lParam, pResult);
}

BOOL CWnd::DispatchToParts(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (Dispatch(nMessage, nCode, nId, wParam, lParam, pResult)) {
        return TRUE;
    }
    for (CCmdTarget* pPart : m_parts) {
        if (pPart->Dispatch(nMessage, nCode, nId, wParam, lParam, pResult)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnCmdMsg(UINT nId, UINT nCode) {
    if (CCmdTarget::OnCmdMsg(nId, nCode)) {
        return TRUE;
    }
    for (CCmdTarget* pPart : m_parts) {
        if (pPart->OnCmdMsg(nId, nCode)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::PreTranslateInput(MSG* pMsg) {
    bool bKey = pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST;
    bool bMouse = pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST;
    return (bKey || bMouse) && ::IsDialogMessageW(m_hWnd, pMsg);
}

LRESULT CWnd::SendMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, nMessage, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT nMessage, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, nMessage, wParam, lParam);
}

BOOL CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) const {
    return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::MoveWindow(const RECT& rect, BOOL bRepaint) const {
    return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, bRepaint);
}

namespace {

CString ReadWindowText(HWND hWnd) {
    int nLength = hWnd ? ::GetWindowTextLengthW(hWnd) : 0;
    if (nLength <= 0) {
        return CString();
    }
    std::wstring text(static_cast<size_t>(nLength) + 1, L'\0');
    int nCopied = ::GetWindowTextW(hWnd, &text[0], nLength + 1);
    return FromWide(text.c_str(), nCopied > 0 ? nCopied : 0);
}

} // namespace

CString CWnd::GetWindowText() const { return ReadWindowText(m_hWnd); }

CString CWnd::GetDlgItemText(int nId) const { return ReadWindowText(GetDlgItem(nId)); }

void CWnd::SetDlgItemText(int nId, const char* pszText) const {
    ::SetDlgItemTextW(m_hWnd, nId, ToWide(pszText).c_str());
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }

DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd) const {
    DWORD dwOld = GetExStyle();
    DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld) {
        return FALSE;
    }
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(dwNew));
    return TRUE;
}

void CWnd::SetRedraw(BOOL bRedraw) const {
    SendMessage(WM_SETREDRAW, bRedraw);
    if (bRedraw) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) const {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType) const {
    return AfxShowMessageBox(m_hWnd, pszText, pszCaption, nType);
}
