// CColorEdit: an edit control with its own background and text colours and a bold font of its
// own. It answers its parent's colour messages itself (reflected), for the editable and the
// read-only or disabled state alike, and keeps its change notifications from the parent. The
// font is applied only to a window created through this class; an edit attached to a dialog
// item keeps the dialog's font and takes only the colours. Owns its brush and font for its whole
// life. User-interface thread only.
#pragma once

#include "framework/win/Controls.h"
#include "framework/win/Gdi.h"

#include <memory>

class CColorEdit : public CEdit {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CColorEdit();
    ~CColorEdit() override;

    // Paints the background and the text in these colours from now on, at once.
    void SetColors(COLORREF background, COLORREF text);
    HBRUSH GetBkBrush() const { return m_brBackground; }
    HFONT GetOwnFont() const { return m_pFont ? m_pFont->GetSafeHandle() : nullptr; }

protected:
    int OnCreate(CREATESTRUCTA* pCreate);
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    BOOL OnChange() { return TRUE; }

private:
    CBrush m_brBackground;
    COLORREF m_clrBackground;
    COLORREF m_clrText;
    std::unique_ptr<CFont> m_pFont;
};
