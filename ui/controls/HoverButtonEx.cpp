#include "HoverButtonEx.h"

#include "framework/base/AppContext.h"
#include "ui/controls/ArtResources.h"
#include "ui/controls/DibSurface.h"

namespace {

const UINT_PTR kToolId = 1;
const DWORD kToolTipDelayMs = 2000;

} // namespace

const CMessageTable* CHoverButtonEx::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CHoverButtonEx::OnMouseMove>(WM_MOUSEMOVE),
        OnMessage<&CHoverButtonEx::OnMouseHover>(WM_MOUSEHOVER),
        OnMessage<&CHoverButtonEx::OnMouseLeave>(WM_MOUSELEAVE),
        OnMessage<&CHoverButtonEx::OnEraseBkgnd>(WM_ERASEBKGND),
    };
    static const CMessageTable table = {CButton::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CHoverButtonEx::~CHoverButtonEx() {
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
    }
}

int CHoverButtonEx::SetRegion(HRGN hRegion) {
    m_rgn.DeleteObject();
    m_rgn.CreateRectRgn(0, 0, 1, 1);
    ::CombineRgn(m_rgn, hRegion, nullptr, RGN_COPY);
    m_bShaped = true;
    // The window owns the region it is given, so it gets a copy of ours; ours stays ours.
    CRgn windowRegion;
    windowRegion.CopyRgn(m_rgn);
    return windowRegion.SetWindowRgn(m_hWnd, FALSE);
}

void CHoverButtonEx::BecomeOwnerDrawn() {
    DWORD dwStyle = GetStyle() & 0xFF;
    if ((dwStyle & BS_TYPEMASK) != BS_OWNERDRAW) {
        SendMessage(BM_SETSTYLE, (dwStyle & ~BS_TYPEMASK) | BS_OWNERDRAW, TRUE);
    }
}

BOOL CHoverButtonEx::LoadRaw(UINT nResourceId, int nStripWidth, int nStripHeight) {
    BecomeOwnerDrawn();
    m_pRawPixels = nullptr;
    CString strName;
    strName.Format("#%u", nResourceId);
    HINSTANCE hModule = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hModule, strName, "RAW");
    HGLOBAL hLoaded = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    const void* pPixels = hLoaded ? ::LockResource(hLoaded) : nullptr;
    // The size comes from the caller: a shorter resource would be read past its end.
    if (!pPixels || !StripFitsResource(nStripWidth, nStripHeight, ::SizeofResource(hModule, hResource))) {
        return FALSE;
    }
    m_loaded.clear();
    UseStrip(static_cast<const uint8_t*>(pPixels), nStripWidth, nStripHeight);
    return TRUE;
}

BOOL CHoverButtonEx::LoadStrip(UINT nStripId, int nDpi, bool bDark) {
    CArtPixels strip;
    if (!LoadToolStrip(AfxGetResourceHandle(), nStripId, nDpi, bDark, strip)) {
        return FALSE;
    }
    BecomeOwnerDrawn();
    m_bHorizontal = false;
    m_loaded = std::move(strip.rgba);
    UseStrip(m_loaded.data(), strip.nWidth, strip.nHeight);
    return TRUE;
}

void CHoverButtonEx::UseStrip(const uint8_t* pPixels, int nStripWidth, int nStripHeight) {
    m_pRawPixels = pPixels;
    m_layout = MakeStripLayout(nStripWidth, nStripHeight, m_bHorizontal);
    // What lay beneath the old size is not what lies beneath the new one.
    m_background.clear();
    // The button keeps its place in the window's order, which is the order Tab follows.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_layout.nStateWidth, m_layout.nStateHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    if (m_pToolTip && m_pToolTip->GetToolCount() > 0) {
        // The tip answers the pointer over the whole button, as large as it has become.
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = m_hWnd;
        tool.uId = kToolId;
        ::GetClientRect(m_hWnd, &tool.rect);
        m_pToolTip->SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    Invalidate(TRUE);
}

void CHoverButtonEx::SetToolTipText(const CString& strText, BOOL bActivate) {
    if (strText.IsEmpty()) {
        return;
    }
    if (!m_pToolTip) {
        auto pToolTip = std::make_unique<CToolTipCtrl>();
        if (!pToolTip->Create(this)) {
            return;
        }
        pToolTip->Activate(TRUE);
        m_pToolTip = std::move(pToolTip);
    }
    m_strToolTip = strText;
    if (m_pToolTip->GetToolCount() == 0) {
        RECT rcClient;
        GetClientRect(&rcClient);
        m_pToolTip->AddTool(this, m_strToolTip, rcClient, kToolId);
    }
    m_pToolTip->UpdateTipText(m_strToolTip, this, kToolId);
    m_pToolTip->SetDelayTime(TTDT_AUTOMATIC, kToolTipDelayMs);
    m_pToolTip->Activate(bActivate);
}

BOOL CHoverButtonEx::PreTranslateMessage(MSG* pMsg) {
    if (m_pToolTip && ::IsWindow(m_pToolTip->m_hWnd)) {
        m_pToolTip->RelayEvent(pMsg);
    }
    return CButton::PreTranslateMessage(pMsg);
}

bool CHoverButtonEx::CaptureBackground(HDC hDC) {
    const int nWidth = m_layout.nStateWidth;
    const int nHeight = m_layout.nStateHeight;
    std::vector<uint32_t> background(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    // One copy of the area instead of a pixel read per pixel; the pixels are the same.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), nWidth, -nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hSection = ::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hSection) {
        return false;
    }
    CBitmap section;
    section.Attach(hSection);
    CMemoryDC memory(hDC);
    {
        CSelectGuard select(memory, section);
        // The parent paints its background into the snapshot, with its origin moved to ours: the
        // screen beneath the button may hold the button itself, drawn at another size or on
        // another face before the strip changed. A parent that paints nothing there leaves the
        // screen's pixels.
        ::BitBlt(memory, 0, 0, nWidth, nHeight, hDC, 0, 0, SRCCOPY);
        HWND hParent = ::GetParent(m_hWnd);
        if (hParent) {
            POINT ptOrigin = {0, 0};
            ::MapWindowPoints(m_hWnd, hParent, &ptOrigin, 1);
            POINT ptOld;
            ::SetViewportOrgEx(memory, -ptOrigin.x, -ptOrigin.y, &ptOld);
            ::SendMessageW(hParent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.GetSafeHdc()), 0);
            ::SendMessageW(hParent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.GetSafeHdc()), PRF_CLIENT);
            ::SetViewportOrgEx(memory, ptOld.x, ptOld.y, nullptr);
        }
    }
    ::GdiFlush();
    const uint32_t* pPixels = static_cast<const uint32_t*>(pBits);
    for (size_t i = 0; i < background.size(); ++i) {
        background[i] = pPixels[i] | 0xFF000000u; // 0x00RRGGBB as the section holds it
    }
    m_background = std::move(background);
    return true;
}

void CHoverButtonEx::DrawItem(DRAWITEMSTRUCT* pDraw) {
    if (!m_pRawPixels || m_layout.nStateWidth == 0 || m_layout.nStateHeight == 0) {
        // No strip (or a later one that could not be found): a plain push button with its
        // caption, drawn by the system.
        SendMessage(BM_SETSTYLE, (GetStyle() & 0xFF & ~BS_TYPEMASK) | BS_PUSHBUTTON, TRUE);
        return;
    }
    if (m_background.empty() && !CaptureBackground(pDraw->hDC)) {
        return; // tried again on the next paint
    }
    EHoverState state = ChooseHoverState((pDraw->itemState & ODS_SELECTED) != 0, m_bHover, IsWindowEnabled() != 0);
    std::vector<uint32_t> composite(m_background.size());
    if (!CompositeState(m_pRawPixels, m_layout, state, m_background.data(), composite.data())) {
        return;
    }
    CDC dc(pDraw->hDC);
    CDibSurface surface(&dc);
    surface.Attach(composite.data(), m_layout.nStateWidth, m_layout.nStateHeight, 32);
    surface.m_rcSource = {0, 0, m_layout.nStateWidth, m_layout.nStateHeight};
    surface.m_rcDest = surface.m_rcSource;
    surface.Draw();
    // Where the keyboard is, as on every button, once the keyboard has been used.
    if ((pDraw->itemState & ODS_FOCUS) && !(pDraw->itemState & ODS_NOFOCUSRECT)) {
        RECT rcFocus = {0, 0, m_layout.nStateWidth, m_layout.nStateHeight};
        ::InflateRect(&rcFocus, -2, -2);
        ::DrawFocusRect(pDraw->hDC, &rcFocus);
    }
}

LRESULT CHoverButtonEx::OnMouseMove(WPARAM, LPARAM) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bTracking = ::_TrackMouseEvent(&track) != FALSE;
    }
    return Default();
}

LRESULT CHoverButtonEx::OnMouseHover(WPARAM, LPARAM) {
    m_bHover = true;
    ::SetActiveWindow(::GetParent(m_hWnd));
    Invalidate(TRUE);
    // A new tooltip shows at once for the button the pointer rests on.
    if (m_pToolTip) {
        m_pToolTip->DestroyWindow();
        m_pToolTip.reset();
    }
    SetToolTipText(m_strToolTip, TRUE);
    if (m_pToolTip && ::IsWindow(m_pToolTip->m_hWnd)) {
        m_pToolTip->Update();
    }
    return 0;
}

LRESULT CHoverButtonEx::OnMouseLeave(WPARAM, LPARAM) {
    m_bTracking = false;
    m_bHover = false;
    Invalidate(TRUE);
    return 0;
}
