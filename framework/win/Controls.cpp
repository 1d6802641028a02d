#include "Controls.h"

#include "Theme.h"
#include "framework/base/AppContext.h"
#include "framework/core/WideText.h"

#include <algorithm>
#include <cwchar>
#include <string>

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

namespace {

std::wstring HeaderItemText(HWND hHeader, int nItem, int* pFormat) {
    wchar_t szText[256] = L"";
    HDITEMW item = {};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = szText;
    item.cchTextMax = static_cast<int>(std::size(szText));
    if (!::SendMessageW(hHeader, HDM_GETITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item))) {
        *pFormat = 0;
        return std::wstring();
    }
    *pFormat = item.fmt;
    return item.pszText ? item.pszText : L"";
}

// One header item on the dark face: its text as the header aligns it, a sort arrow, and a line
// that parts it from the next.
void PaintHeaderItem(const NMCUSTOMDRAW& draw, const CTheme& theme) {
    const CThemeColors& colors = theme.Colors();
    RECT rc = draw.rc;
    ::FillRect(draw.hdc, &rc, theme.FaceBrush());
    HBRUSH hLine = ::CreateSolidBrush(colors.grayText);
    if (hLine) {
        RECT line = {rc.right - 1, rc.top, rc.right, rc.bottom};
        ::FillRect(draw.hdc, &line, hLine);
        ::DeleteObject(hLine);
    }
    int nFormat = 0;
    std::wstring text = HeaderItemText(draw.hdr.hwndFrom, static_cast<int>(draw.dwItemSpec), &nFormat);
    const int nMargin = ::GetSystemMetrics(SM_CXEDGE) * 3;
    ::InflateRect(&rc, -nMargin, 0);
    const int nArrow = (nFormat & (HDF_SORTUP | HDF_SORTDOWN)) ? (rc.bottom - rc.top) / 3 : 0;
    if (nArrow > 0) {
        // A small triangle at the item's right, pointing up or down.
        const int x = rc.right - nArrow, y = (rc.top + rc.bottom) / 2;
        const bool bUp = (nFormat & HDF_SORTUP) != 0;
        POINT points[3] = {{x - nArrow / 2, bUp ? y + nArrow / 4 : y - nArrow / 4},
                           {x + nArrow / 2, bUp ? y + nArrow / 4 : y - nArrow / 4},
                           {x, bUp ? y - nArrow / 4 : y + nArrow / 4}};
        HBRUSH hArrow = ::CreateSolidBrush(colors.text);
        HPEN hPen = ::CreatePen(PS_SOLID, 1, colors.text);
        if (hArrow && hPen) {
            HGDIOBJ hOldBrush = ::SelectObject(draw.hdc, hArrow);
            HGDIOBJ hOldPen = ::SelectObject(draw.hdc, hPen);
            ::Polygon(draw.hdc, points, 3);
            ::SelectObject(draw.hdc, hOldPen);
            ::SelectObject(draw.hdc, hOldBrush);
        }
        for (HGDIOBJ hObject : {static_cast<HGDIOBJ>(hArrow), static_cast<HGDIOBJ>(hPen)}) {
            if (hObject) {
                ::DeleteObject(hObject);
            }
        }
        rc.right -= 2 * nArrow;
    }
    UINT nAlign = DT_LEFT;
    switch (nFormat & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: nAlign = DT_RIGHT; break;
    case HDF_CENTER: nAlign = DT_CENTER; break;
    default: break;
    }
    ::SetTextColor(draw.hdc, colors.text);
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::DrawTextW(draw.hdc, text.c_str(), static_cast<int>(text.size()), &rc,
                nAlign | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// The header's custom drawing on the dark face: every item by itself, then the part beyond the
// last one.
LRESULT PaintDarkHeader(const NMCUSTOMDRAW& draw, const CTheme& theme) {
    switch (draw.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT: PaintHeaderItem(draw, theme); return CDRF_SKIPDEFAULT;
    case CDDS_POSTPAINT: {
        RECT rcClient, rcLast = {};
        ::GetClientRect(draw.hdr.hwndFrom, &rcClient);
        const int nCount = static_cast<int>(::SendMessageW(draw.hdr.hwndFrom, HDM_GETITEMCOUNT, 0, 0));
        if (nCount > 0) {
            const int nLast =
                static_cast<int>(::SendMessageW(draw.hdr.hwndFrom, HDM_ORDERTOINDEX, nCount - 1, 0));
            ::SendMessageW(draw.hdr.hwndFrom, HDM_GETITEMRECT, nLast, reinterpret_cast<LPARAM>(&rcLast));
        }
        rcClient.left = rcLast.right;
        ::FillRect(draw.hdc, &rcClient, theme.FaceBrush());
        return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

} // namespace

LRESULT CListCtrl::WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (nMessage == WM_NOTIFY && CTheme::Current().IsDark()) {
        const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (pHeader && pHeader->code == static_cast<UINT>(NM_CUSTOMDRAW) &&
            pHeader->hwndFrom == reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))) {
            return PaintDarkHeader(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam), CTheme::Current());
        }
    }
    return CWnd::WindowProc(nMessage, wParam, lParam);
}

const CMessageTable* CStatusBarCtrl::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CStatusBarCtrl::OnPaint>(WM_PAINT),
        OnMessage<&CStatusBarCtrl::OnEraseBkgnd>(WM_ERASEBKGND),
    };
    static const CMessageTable table = {CWnd::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

LRESULT CStatusBarCtrl::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    const CTheme& theme = CTheme::Current();
    if (!theme.IsDark()) {
        return Default();
    }
    RECT rc;
    GetClientRect(&rc);
    ::FillRect(reinterpret_cast<HDC>(wParam), &rc, theme.FaceBrush());
    return TRUE;
}

LRESULT CStatusBarCtrl::OnPaint(WPARAM wParam, LPARAM) {
    const CTheme& theme = CTheme::Current();
    if (!theme.IsDark()) {
        return Default();
    }
    PAINTSTRUCT paint = {};
    HDC hDC = wParam ? reinterpret_cast<HDC>(wParam) : ::BeginPaint(m_hWnd, &paint);
    RECT rcClient;
    GetClientRect(&rcClient);
    ::FillRect(hDC, &rcClient, theme.FaceBrush());
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    ::SetTextColor(hDC, theme.Colors().text);
    ::SetBkMode(hDC, TRANSPARENT);
    const int nParts = static_cast<int>(SendMessage(SB_GETPARTS));
    const int nMargin = ::GetSystemMetrics(SM_CXEDGE) * 2;
    for (int nPart = 0; nPart < nParts; ++nPart) {
        RECT rc;
        if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(&rc))) {
            continue;
        }
        std::wstring text(LOWORD(SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(nPart))) + 1, L'\0');
        SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nPart), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(std::wcslen(text.c_str()));
        rc.left += nMargin;
        ::DrawTextW(hDC, text.c_str(), static_cast<int>(text.size()), &rc,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if ((GetStyle() & SBARS_SIZEGRIP) && !::IsZoomed(::GetParent(m_hWnd))) {
        // The grip: dots in a triangle in the bottom right corner, three in the lowest row.
        const int nDot = std::max(1, ::GetSystemMetrics(SM_CXEDGE));
        const int nStep = 2 * nDot;
        HBRUSH hDots = ::CreateSolidBrush(theme.Colors().grayText);
        for (int nRow = 0; hDots && nRow < 3; ++nRow) {
            for (int nColumn = 0; nColumn < 3 - nRow; ++nColumn) {
                const int x = rcClient.right - (nColumn + 1) * nStep;
                const int y = rcClient.bottom - (nRow + 1) * nStep;
                RECT dot = {x, y, x + nDot, y + nDot};
                ::FillRect(hDC, &dot, hDots);
            }
        }
        if (hDots) {
            ::DeleteObject(hDots);
        }
    }
    ::SelectObject(hDC, hOldFont);
    if (!wParam) {
        ::EndPaint(m_hWnd, &paint);
    }
    return 0;
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
