#include "Controls.h"

#include "framework/base/AppContext.h"
#include "framework/core/WideText.h"

const CMessageTable* CButton::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnDrawItemReflect<&CButton::DrawItem>(),
    };
    static const CMessageTable table = {CWnd::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CButton::DrawItem(DRAWITEMSTRUCT* pDraw) {
    RECT rect = pDraw->rcItem;
    bool bPressed = (pDraw->itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(pDraw->hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (bPressed ? DFCS_PUSHED : 0));
    CString strCaption = GetWindowText();
    int nOldMode = ::SetBkMode(pDraw->hDC, TRANSPARENT);
    bool bDisabled = (pDraw->itemState & ODS_DISABLED) != 0;
    COLORREF oldColor = ::SetTextColor(pDraw->hDC, ::GetSysColor(bDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT textRect = rect;
    if (bPressed) {
        ::OffsetRect(&textRect, 1, 1);
    }
    std::wstring caption = ToWide(strCaption);
    ::DrawTextW(pDraw->hDC, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SetTextColor(pDraw->hDC, oldColor);
    ::SetBkMode(pDraw->hDC, nOldMode);
    if (pDraw->itemState & ODS_FOCUS) {
        ::InflateRect(&rect, -4, -4);
        ::DrawFocusRect(pDraw->hDC, &rect);
    }
}

int CListCtrl::InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth, int nSubItem) const {
    std::wstring heading = ToWide(pszHeading);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | (nSubItem >= 0 ? LVCF_SUBITEM : 0);
    column.fmt = nFormat;
    column.cx = nWidth;
    column.pszText = &heading[0];
    column.iSubItem = nSubItem;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(&column)));
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwStyle) const {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwStyle)));
}

int CListCtrl::InsertItem(int nItem, const char* pszText, LPARAM lParam) const {
    std::wstring text = ToWide(pszText);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nItem;
    item.pszText = &text[0];
    item.lParam = lParam;
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* pszText) const {
    std::wstring text = ToWide(pszText);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.iSubItem = nSubItem;
    item.pszText = &text[0];
    return static_cast<BOOL>(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // The control copies at most the buffer's size; grow until the text fits.
    for (int nSize = 256;; nSize *= 4) {
        std::wstring text(static_cast<size_t>(nSize), L'\0');
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = &text[0];
        item.cchTextMax = nSize;
        int nLength = static_cast<int>(SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
        if (nLength < nSize - 1 || nSize >= (1 << 24)) {
            return FromWide(text.c_str(), nLength < 0 ? 0 : nLength);
        }
    }
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) const {
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) const {
    return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK));
}

BOOL CStatusBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nId) {
    return CreateEx(0, STATUSCLASSNAMEA, "", dwStyle, rect, pParent->m_hWnd, nId);
}

BOOL CStatusBarCtrl::SetText(const char* pszText, int nPane, int nType) const {
    std::wstring text = ToWide(pszText);
    // The tip shows only while the text is cut off; a bar without SBT_TOOLTIPS ignores it.
    SendMessage(SB_SETTIPTEXTW, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(text.c_str()));
    return static_cast<BOOL>(
        SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nPane | nType), reinterpret_cast<LPARAM>(text.c_str())));
}

BOOL CToolTipCtrl::Create(CWnd* pParent, DWORD dwStyle) {
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle,
                    RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT}, pParent->m_hWnd, 0);
}

namespace {

// The text lives in the caller's buffer while the message is sent.
TOOLINFOW MakeToolInfo(CWnd* pWnd, std::wstring& text, UINT_PTR nId) {
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = pWnd->m_hWnd;
    info.uId = nId;
    info.hinst = AfxGetInstanceHandle();
    info.lpszText = &text[0];
    return info;
}

} // namespace

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* pszText, const RECT& rcTool, UINT_PTR nId) {
    std::wstring text = ToWide(pszText);
    TOOLINFOW info = MakeToolInfo(pWnd, text, nId);
    info.rect = rcTool;
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nId) {
    std::wstring text = ToWide(pszText);
    TOOLINFOW info = MakeToolInfo(pWnd, text, nId);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
