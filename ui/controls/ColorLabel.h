// CColorLabel: a static text with its own text colour and, once SetFontHeight chose one, a
// bold font of its own, on the face of the theme the window shows. The colour is the one for the
// light face: the dark face shows it lightened and high contrast the system's text colour
// instead (CTheme::Accent). It answers its parent's colour message itself (reflected).
// User-interface thread only.
#pragma once

#include "framework/win/Controls.h"
#include "framework/core/Dpi.h"
#include "framework/win/Gdi.h"

#include <memory>

class CColorLabel : public CStatic {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CColorLabel();
    ~CColorLabel() override;

    // Takes effect at once: the label is repainted before this returns.
    void SetTextColor(COLORREF color);
    // A bold font of this cell height at 96 dpi, made for nDpi, in a variable-pitch face the
    // system chooses; replaces the font a previous call made.
    void SetFontHeight(int nHeight, int nDpi = kBaseDpi);
    // The font made again for a screen of another scaling.
    void SetDpi(int nDpi);

    HFONT GetOwnFont() const { return m_pFont ? m_pFont->GetSafeHandle() : nullptr; }

protected:
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

private:
    int m_nFontHeight = 0;
    COLORREF m_clrText = 0;
    std::unique_ptr<CFont> m_pFont;
};
