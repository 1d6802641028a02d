#include "SkinButton.h"

#include "framework/base/AppContext.h"
#include "framework/core/WideText.h"
#include "ui/controls/AccessibleName.h"
#include "ui/controls/ArtLogic.h"
#include "ui/controls/ArtResources.h"

#include <oleacc.h>

#include <vector>

namespace {

// The dark face: the colour the toggle's dark pictures were blended into, light text, and a
// bevel that stays a bevel on it (the system's are made for the light face).
const COLORREF kDarkFace = RGB(kArtDarkFace >> 16 & 0xFF, kArtDarkFace >> 8 & 0xFF, kArtDarkFace & 0xFF);
const COLORREF kDarkText = RGB(0xE6, 0xE8, 0xEC);
const COLORREF kDarkHighlight = RGB(0x5A, 0x5A, 0x5A);
const COLORREF kDarkLight = RGB(0x40, 0x40, 0x40);
const COLORREF kDarkDarkShadow = RGB(0x0A, 0x0A, 0x0A);
const COLORREF kDarkShadow = RGB(0x1C, 0x1C, 0x1C);

RECT ToRect(const CRectI& rc) { return RECT{rc.left, rc.top, rc.right, rc.bottom}; }
CRectI ToRectI(const RECT& rc) { return CRectI{rc.left, rc.top, rc.right, rc.bottom}; }

int BevelColorIndex(EBevelColor color) {
    switch (color) {
    case kBevelHighlight: return COLOR_BTNHIGHLIGHT;
    case kBevelLight: return COLOR_3DLIGHT;
    case kBevelDarkShadow: return COLOR_3DDKSHADOW;
    case kBevelShadow: return COLOR_BTNSHADOW;
    }
    return COLOR_BTNSHADOW;
}

// A one-pixel frame, one colour along the top and left, the other along the bottom and right.
void Draw3dRect(HDC hDC, const CRectI& rc, COLORREF topLeft, COLORREF bottomRight) {
    auto fill = [hDC](RECT part, COLORREF color) {
        CBrush brush;
        brush.CreateSolidBrush(color);
        ::FillRect(hDC, &part, brush);
    };
    fill({rc.left, rc.top, rc.right - 1, rc.top + 1}, topLeft);
    fill({rc.left, rc.top, rc.left + 1, rc.bottom - 1}, topLeft);
    fill({rc.right - 1, rc.top, rc.right, rc.bottom}, bottomRight);
    fill({rc.left, rc.bottom - 1, rc.right, rc.bottom}, bottomRight);
}

} // namespace

const CMessageTable* CSkinButton::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommandReflect<&CSkinButton::OnClicked>(BN_CLICKED),
        OnMessage<&CSkinButton::OnSetCheck>(BM_SETCHECK),
        OnMessage<&CSkinButton::OnGetCheck>(BM_GETCHECK),
        OnMessage<&CSkinButton::OnSetStyle>(BM_SETSTYLE),
        OnMessage<&CSkinButton::OnGetDlgCode>(WM_GETDLGCODE),
        OnCtlColorReflect<&CSkinButton::CtlColor>(),
        OnMessage<&CSkinButton::OnSysColorChange>(WM_SYSCOLORCHANGE),
        OnMessage<&CSkinButton::OnEnable>(WM_ENABLE),
        OnMessage<&CSkinButton::OnGetObject>(WM_GETOBJECT),
    };
    static const CMessageTable table = {CButton::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CSkinButton::CSkinButton() { ResetColors(); }

CSkinButton::~CSkinButton() = default;

COLORREF CSkinButton::FaceColor(int nRole) const {
    if (!m_bDarkFace) {
        return ::GetSysColor(nRole);
    }
    switch (nRole) {
    case COLOR_BTNFACE: return kDarkFace;
    case COLOR_BTNTEXT: return kDarkText;
    case COLOR_BTNHIGHLIGHT: return kDarkHighlight;
    case COLOR_3DLIGHT: return kDarkLight;
    case COLOR_3DDKSHADOW: return kDarkDarkShadow;
    default: return kDarkShadow;
    }
}

void CSkinButton::ResetColors() {
    for (auto& pair : m_colors) {
        pair[0] = FaceColor(COLOR_BTNFACE);
        pair[1] = FaceColor(COLOR_BTNTEXT);
    }
}

void CSkinButton::SetDarkFace(bool bDark) {
    m_bDarkFace = bDark;
    ResetColors();
    Invalidate(TRUE);
}

int CSkinButton::LoadBitmapsForDpi(UINT nInId, UINT nOutId, COLORREF transparent, int nDpi, bool bDark) {
    HMODULE hModule = AfxGetResourceHandle();
    HBITMAP hIn = LoadArtBitmap(hModule, nInId, nDpi, bDark, transparent);
    HBITMAP hOut = nOutId ? LoadArtBitmap(hModule, nOutId, nDpi, bDark, transparent) : nullptr;
    return SetBitmaps(hIn, transparent, hOut, transparent);
}

void CSkinButton::PreSubclassWindow() {
    DWORD dwType = GetStyle() & BS_TYPEMASK;
    if (dwType == BS_CHECKBOX || dwType == BS_AUTOCHECKBOX) {
        m_bCheckBox = true; // a check box of the template becomes a toggle
    }
    if (dwType == BS_DEFPUSHBUTTON) {
        m_bDefault = true;
    }
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((GetStyle() & ~BS_TYPEMASK) | BS_OWNERDRAW));
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

int CSkinButton::SetFlat(BOOL bFlat, BOOL bRepaint) {
    m_bFlat = bFlat != FALSE;
    if (bRepaint) {
        Invalidate(TRUE);
    }
    return 0;
}

int CSkinButton::LoadBitmaps(UINT nInId, COLORREF inTransparent, UINT nOutId, COLORREF outTransparent) {
    auto load = [](UINT nId) {
        return static_cast<HBITMAP>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nId & 0xFFFF),
                                                 IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    };
    HBITMAP hIn = load(nInId);
    HBITMAP hOut = nOutId ? load(nOutId) : nullptr;
    return SetBitmaps(hIn, inTransparent, hOut, outTransparent);
}

int CSkinButton::MakeImage(CImage& image, HBITMAP hBitmap, COLORREF transparent) {
    image.bitmap.Attach(hBitmap);
    image.transparent = transparent;
    SIZE size = {};
    if (!image.bitmap.GetSize(&size)) {
        return 1;
    }
    image.nWidth = size.cx;
    image.nHeight = size.cy;
    // The picture's pixels as 32-bit values, its mask from the transparent colour, and the
    // transparent pixels turned black so that painting through the mask leaves the face there.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    CClientDC screen(nullptr);
    if (!::GetDIBits(screen, hBitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS)) {
        return 2;
    }
    std::vector<uint8_t> mask(MaskStride(size.cx) * static_cast<size_t>(size.cy));
    MakeTransparencyMask(pixels.data(), size.cx, size.cy, transparent, mask.data());
    if (!::SetDIBits(screen, hBitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS)) {
        return 2; // the transparent pixels would not paint through the mask as the face
    }
    image.mask.Attach(::CreateBitmap(size.cx, size.cy, 1, 1, mask.data()));
    return image.mask.GetSafeHandle() ? 0 : 2;
}

void CSkinButton::ReleaseImages() {
    for (CImage* pImage : {&m_imageIn, &m_imageOut}) {
        pImage->bitmap.DeleteObject();
        pImage->mask.DeleteObject();
        pImage->nWidth = pImage->nHeight = 0;
        pImage->transparent = 0;
    }
}

int CSkinButton::SetBitmaps(HBITMAP hIn, COLORREF inTransparent, HBITMAP hOut, COLORREF outTransparent) {
    ReleaseImages();
    int nResult = 0;
    if (hIn) {
        nResult = MakeImage(m_imageIn, hIn, inTransparent);
    }
    if (hOut) {
        // Taken over either way: without a usable In picture there is no Out picture.
        if (hIn && nResult == 0) {
            nResult = MakeImage(m_imageOut, hOut, outTransparent);
        } else {
            ::DeleteObject(hOut);
        }
    }
    if (nResult != 0) {
        ReleaseImages();
    }
    Invalidate(TRUE);
    return nResult;
}

void CSkinButton::DrawItem(DRAWITEMSTRUCT* pDraw) {
    CSkinDrawState state = ChooseSkinDrawState(m_bCheckBox, m_bChecked, (pDraw->itemState & ODS_SELECTED) != 0,
                                               (pDraw->itemState & ODS_FOCUS) != 0);
    m_bPressed = state.bPressed;
    m_bFocused = state.bFocused;
    CDC dc(pDraw->hDC);
    CRectI rcItem = ToRectI(pDraw->rcItem);
    CRectI rcWork = rcItem;
    int nOldMode = dc.SetBkMode(TRANSPARENT);
    PaintBackground(&dc, rcWork);
    PaintBorder(&dc, rcWork);
    CString strCaption = GetWindowText();
    CRectI rcCaption = rcItem;
    if (m_imageIn.bitmap.GetSafeHandle()) {
        dc.SetBkColor(RGB(255, 255, 255)); // mask bits of 1 blit as white
        PaintBitmap(&dc, !strCaption.IsEmpty(), rcItem, rcCaption, m_bPressed);
    }
    if (!strCaption.IsEmpty()) {
        PaintCaption(&dc, strCaption, rcCaption, m_bPressed);
    }
    CSkinFace face = LayoutSkinFace(rcItem, m_bFlat, kFlatFocus, m_bFocused, m_bDefault);
    if (face.bFocusRect) {
        RECT rcFocus = ToRect(face.rcFocus);
        ::DrawFocusRect(dc, &rcFocus);
    }
    dc.SetBkMode(nOldMode);
}

int CSkinButton::PaintBackground(CDC* pDC, CRectI& rc) {
    CSkinFace face = LayoutSkinFace(rc, m_bFlat, kFlatFocus, m_bFocused, m_bDefault);
    if (face.bBlackFrame) {
        RECT rcFrame = ToRect(rc);
        ::FrameRect(*pDC, &rcFrame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    rc = face.rcFace;
    CBrush brush;
    brush.CreateSolidBrush(m_colors[ChooseSkinColors(m_bPressed, m_bFocused)][0]);
    RECT rcFill = ToRect(rc);
    ::FillRect(*pDC, &rcFill, brush);
    return 0;
}

int CSkinButton::PaintBorder(CDC* pDC, const CRectI& rc) {
    switch (ChooseSkinBorder(m_bPressed, m_bFlat, kFlatBorder)) {
    case kSkinBorderNone: break;
    case kSkinBorderSunken:
        Draw3dRect(*pDC, rc, FaceColor(COLOR_BTNSHADOW), FaceColor(COLOR_BTNHIGHLIGHT));
        break;
    case kSkinBorderFrame: {
        RECT rcFrame = ToRect(rc);
        CBrush shadow;
        shadow.CreateSolidBrush(FaceColor(COLOR_BTNSHADOW));
        ::FrameRect(*pDC, &rcFrame, shadow);
        break;
    }
    case kSkinBorderRaised: {
        CBevelLine lines[kBevelLineCount];
        RaisedBevelLines(rc, lines);
        for (const CBevelLine& line : lines) {
            CPen pen;
            pen.CreatePen(PS_SOLID, 1, FaceColor(BevelColorIndex(line.color)));
            CSelectGuard select(*pDC, pen);
            ::MoveToEx(*pDC, line.x0, line.y0, nullptr);
            ::LineTo(*pDC, line.x1, line.y1);
            ::LineTo(*pDC, line.x2, line.y2);
        }
        break;
    }
    }
    return 0;
}

void CSkinButton::PaintBitmap(CDC* pDC, bool bHasCaption, const CRectI& rcItem, CRectI& rcCaption, bool bPressed) {
    ESkinImage which = ChooseSkinImage(bPressed, m_imageIn.bitmap.GetSafeHandle() != nullptr,
                                       m_imageOut.bitmap.GetSafeHandle() != nullptr);
    const CImage& image = which == kSkinImageOut ? m_imageOut : m_imageIn;
    CSkinPlacement place = PlaceSkinImage(rcItem, bHasCaption, image.nWidth, image.nHeight, m_nMarginX,
                                          bPressed && !m_bCheckBox, m_ptPushOffset.x, m_ptPushOffset.y);
    rcCaption = place.rcCaption;
    CMemoryDC memory(*pDC);
    {
        CSelectGuard select(memory, image.mask);
        ::BitBlt(*pDC, place.rcImage.left, place.rcImage.top, image.nWidth, image.nHeight, memory, 0, 0, SRCAND);
    }
    CSelectGuard select(memory, image.bitmap);
    ::BitBlt(*pDC, place.rcImage.left, place.rcImage.top, image.nWidth, image.nHeight, memory, 0, 0, SRCPAINT);
}

void CSkinButton::PaintCaption(CDC* pDC, const CString& strCaption, CRectI& rcCaption, bool bPressed) {
    if (bPressed && !m_bCheckBox) {
        rcCaption = CRectI{rcCaption.left + m_ptPushOffset.x, rcCaption.top + m_ptPushOffset.y,
                           rcCaption.right + m_ptPushOffset.x, rcCaption.bottom + m_ptPushOffset.y};
    }
    RECT rcMeasured = ToRect(rcCaption);
    std::wstring caption = ToWide(strCaption);
    ::DrawTextW(*pDC, caption.c_str(), -1, &rcMeasured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT rcText = ToRect(CentreText(ToRectI(rcMeasured), rcCaption));
    pDC->SetBkMode(TRANSPARENT);
    const COLORREF* pair = m_colors[ChooseSkinColors(bPressed, m_bFocused)];
    pDC->SetTextColor(pair[1]);
    pDC->SetBkColor(pair[0]);
    ::DrawTextW(*pDC, caption.c_str(), -1, &rcText, DT_WORDBREAK | DT_CENTER);
}

BOOL CSkinButton::PreTranslateMessage(MSG* pMsg) {
    // A double click is two clicks: two toggles.
    if (pMsg->message == WM_LBUTTONDBLCLK && pMsg->hwnd == m_hWnd) {
        pMsg->message = WM_LBUTTONDOWN;
    }
    return CButton::PreTranslateMessage(pMsg);
}

BOOL CSkinButton::OnClicked() {
    SetFocus();
    if (m_bCheckBox) {
        m_bChecked = !m_bChecked;
        Invalidate(TRUE);
    }
    return FALSE; // the parent acts on the click too
}

LRESULT CSkinButton::OnSetCheck(WPARAM wParam, LPARAM) {
    if (m_bCheckBox) {
        m_bChecked = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
        Invalidate(TRUE);
    }
    return 0;
}

LRESULT CSkinButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
    DWORD dwType = static_cast<DWORD>(wParam) & BS_TYPEMASK;
    if (dwType == BS_DEFPUSHBUTTON) {
        m_bDefault = true;
    } else if (dwType == BS_PUSHBUTTON) {
        m_bDefault = false;
    }
    // Always owner-drawn, whatever the dialog manager asks for.
    return DefWindowProc(BM_SETSTYLE, (wParam & ~WPARAM(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
}

LRESULT CSkinButton::OnGetDlgCode(WPARAM, LPARAM) {
    return Default() | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT CSkinButton::OnSysColorChange(WPARAM, LPARAM) {
    Default();
    ResetColors();
    Invalidate(TRUE);
    return 0;
}

LRESULT CSkinButton::OnEnable(WPARAM wParam, LPARAM) {
    Default();
    // Disabling the button that had the focus has just left its window with none: the focus goes
    // on to the next control. A button disabled while another control has the focus leaves it
    // there, and a window that is not active is not activated for it.
    if (!wParam && !::GetFocus() && ::GetActiveWindow() == ::GetAncestor(m_hWnd, GA_ROOT)) {
        HWND hParent = ::GetParent(m_hWnd);
        HWND hNext = ::GetNextDlgTabItem(hParent, m_hWnd, FALSE);
        ::SetFocus(hNext && hNext != m_hWnd ? hNext : hParent);
    }
    return 0;
}

LRESULT CSkinButton::OnGetObject(WPARAM wParam, LPARAM lParam) {
    // A toggle is a check button to a screen reader, whatever its face.
    LRESULT result = m_strAccessibleName.IsEmpty()
                         ? 0
                         : AnswerAccessibleObject(m_hWnd, wParam, lParam, m_strAccessibleName,
                                                  m_bCheckBox ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON);
    return result ? result : Default();
}
