// Wrappers of the standard and common controls the program uses; each is a thin layer of
// messages over the control's window.
#pragma once

#include "Wnd.h"

#include <commctrl.h>

class CButton : public CWnd {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    // Draws an owner-drawn button: a push button face with its caption, pressed, focused or
    // disabled as the state says. Buttons with pictures draw themselves.
    virtual void DrawItem(DRAWITEMSTRUCT* pDraw);
};

class CEdit : public CWnd {};

class CStatic : public CWnd {};

// On the dark face a list paints its header itself: the system's dark header style is not on
// every system, and its text needs the dark face's colour even where it is.
class CListCtrl : public CWnd {
public:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override;

    int InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth, int nSubItem = -1) const;
    int GetColumnWidth(int nCol) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol))); }
    BOOL SetColumnWidth(int nCol, int nWidth) const {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(nWidth, 0)));
    }
    DWORD SetExtendedStyle(DWORD dwStyle) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // Inserts a row with its text and its item data in one step.
    int InsertItem(int nItem, const char* pszText, LPARAM lParam) const;
    BOOL SetItemText(int nItem, int nSubItem, const char* pszText) const;
    CString GetItemText(int nItem, int nSubItem) const;
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask) const;
    int GetNextItem(int nItem, int nFlags) const;
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) const;
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    BOOL DeleteItem(int nItem) const { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
};

// A tooltip window; each tool is a rectangle of a window, known by its id.
class CToolTipCtrl : public CWnd {
public:
    BOOL Create(CWnd* pParent, DWORD dwStyle = 0);
    BOOL AddTool(CWnd* pWnd, const char* pszText, const RECT& rcTool, UINT_PTR nId);
    void UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nId);
    void RelayEvent(MSG* pMsg) const { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg)); }
    void Activate(BOOL bActivate) const { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(bActivate)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void SetDelayTime(DWORD dwDuration, int nTime) const { SendMessage(TTM_SETDELAYTIME, dwDuration, nTime); }
    void Update() const { SendMessage(TTM_UPDATE); }
};

// A status bar; on the dark face it paints itself in the theme's colours, which the system's
// status bar does not take.
class CStatusBarCtrl : public CWnd {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nId);
    BOOL SetText(const char* pszText, int nPane, int nType) const;

protected:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
};
