// CWnd: the wrapper of one window. Every wrapped window runs through one window procedure,
// put in place of the window's own (which is kept), which dispatches through the class's
// message table; unhandled messages go on to the window's previous procedure (Default). A
// wrapper is bound to its window when the window is created through it (CreateEx, CDialog) or
// when it subclasses an existing window, and is unbound at WM_NCDESTROY. Removing a wrapper
// never puts back a procedure that someone subclassed over it meanwhile: the wrapper's
// procedure then stays in the chain and only passes messages on.
//
// The common controls' own subclassing (SetWindowSubclass) is not used for this: under Wine it
// looks its chain up in a window property, a trip to the window server, on every message.
//
// Notifications a control sends its parent (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLOR*)
// are first offered back to the control's own wrapper (OnChildNotify), so that a control can
// handle its own drawing, colours and clicks; see MessageTable.h for which the parent still sees.
//
// A wrapper belongs to the thread that made its window; only PostMessage may be used from
// other threads.
#pragma once

#include "CmdTarget.h"
#include "framework/core/String.h"

#include <vector>

class CWnd : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    // Destroys a window this wrapper created; a subclassed window is only released.
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The wrapper bound to a window, or null.
    static CWnd* FromHandle(HWND hWnd);

    // Binds this wrapper to an existing window, routing its messages through the table; false
    // when the window is missing, already wrapped, or cannot be subclassed.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nId, CWnd* pParent);
    // Gives the window its original procedure back and unbinds it.
    HWND UnsubclassWindow();
    // Creates a window of any class, bound to this wrapper before its first message.
    BOOL CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszName, DWORD dwStyle, const RECT& rect,
                  HWND hParent, UINT nId);
    BOOL DestroyWindow();

    // A part of the window, a command target of its own, that handles some of the window's
    // messages in its table: commands, notifications and any other message that the window's
    // own table leaves, offered to the parts in the order they were added. The part must live
    // as long as the window gets messages.
    void AddPart(CCmdTarget& part) { m_parts.push_back(&part); }
    // The window's own table first, then its parts'.
    BOOL OnCmdMsg(UINT nId, UINT nCode) override;

    // Gives the window a chance to handle a message before the message loop dispatches it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);
    // Handles a notification this control sent its parent; true when handled.
    virtual BOOL OnChildNotify(UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called after the window is gone (WM_NCDESTROY); the wrapper is already unbound.
    virtual void PostNcDestroy() {}
    // Called when this wrapper has been attached to an existing window (SubclassWindow), before
    // the window's next message: the place to adjust a control made from a template.
    virtual void PreSubclassWindow() {}

    // Runs the original procedure for the message being handled.
    LRESULT Default();
    // The dialog manager's keyboard handling (Tab, arrows, mnemonics) for input messages.
    BOOL PreTranslateInput(MSG* pMsg);

    LRESULT SendMessage(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const;
    BOOL MoveWindow(const RECT& rect, BOOL bRepaint = TRUE) const;
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    CString GetWindowText() const;
    HWND GetDlgItem(int nId) const { return ::GetDlgItem(m_hWnd, nId); }
    void SetDlgItemText(int nId, const char* pszText) const;
    // The whole text of a child, however long; empty when there is no such child.
    CString GetDlgItemText(int nId) const;
    void CheckDlgButton(int nId, UINT nCheck) const { ::CheckDlgButton(m_hWnd, nId, nCheck); }
    UINT IsDlgButtonChecked(int nId) const { return ::IsDlgButtonChecked(m_hWnd, nId); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) const { return ::EnableWindow(m_hWnd, bEnable); }
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Removes and adds extended styles; false when nothing changed.
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd) const;
    // Switches drawing off during bulk changes and back on (with a repaint).
    void SetRedraw(BOOL bRedraw = TRUE) const;
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) const;
    // A message box owned by this window, counted as a modal window while it is open.
    int MessageBox(const char* pszText, const char* pszCaption, UINT nType = MB_OK) const;

protected:
    // Looks the message up in the tables (reflecting control notifications first); true when
    // a handler ran.
    BOOL OnWndMsg(UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    LRESULT DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);

    // The next window created on this thread is bound to pWnd as it is created.
    static void HookWindowCreate(CWnd* pWnd);
    static void UnhookWindowCreate();

private:
    friend class CWindowCreateHook;
    static LRESULT CALLBACK WrapperProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    BOOL ReflectToChild(HWND hChild, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The window's own table, then its parts'; true when a handler took the message.
    BOOL DispatchToParts(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL Bind(HWND hWnd);
    // bDestroyed: the window is gone (WM_NCDESTROY), so nothing of it is to be put back.
    void Unbind(bool bDestroyed = false);

    WNDPROC m_pfnSuper = nullptr; // the window's procedure before this wrapper's
    std::vector<CCmdTarget*> m_parts;

    bool m_bCreatedHere = false;
    struct CurrentMessage {
        UINT nMessage;
        WPARAM wParam;
        LPARAM lParam;
    } m_current = {};
};
