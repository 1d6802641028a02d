#include "ColorLabel.h"

#include "framework/win/Theme.h"

#include <algorithm>

const CMessageTable* CColorLabel::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCtlColorReflect<&CColorLabel::CtlColor>(),
    };
    static const CMessageTable table = {CStatic::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CColorLabel::CColorLabel() = default;

CColorLabel::~CColorLabel() {
    // The window may outlive this object by a moment: it must not draw with a deleted font.
    if (m_hWnd && reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)) == GetOwnFont()) {
        SendMessage(WM_SETFONT, 0, FALSE);
    }
}

void CColorLabel::SetTextColor(COLORREF color) {
    m_clrText = color;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CColorLabel::SetFontHeight(int nHeight, int nDpi) {
    m_nFontHeight = nHeight;
    // The new font is in place before the old one goes, so the label never holds a deleted one.
    auto pFont = std::make_unique<CFont>();
    // The label's height follows the dialog's font, which grows a little less than the dpi: the
    // text never grows taller than the label.
    int nPixels = ScaleToDpi(nHeight, nDpi);
    RECT client = {};
    if (m_hWnd && ::GetClientRect(m_hWnd, &client) && client.bottom > 0 && nDpi != kBaseDpi) {
        nPixels = std::min(nPixels, static_cast<int>(client.bottom));
    }
    pFont->CreateFont(nPixels, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, VARIABLE_PITCH, "");
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont->GetSafeHandle()), TRUE);
    m_pFont = std::move(pFont);
}

void CColorLabel::SetDpi(int nDpi) {
    if (m_pFont) {
        SetFontHeight(m_nFontHeight, nDpi);
    }
}

HBRUSH CColorLabel::CtlColor(CDC* pDC, UINT) {
    const CTheme& theme = CTheme::Current();
    pDC->SetBkColor(theme.Colors().face);
    pDC->SetTextColor(theme.Accent(m_clrText));
    return theme.FaceBrush();
}
