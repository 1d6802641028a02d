// CHoverButtonEx: a push button that shows one of the four images of an image strip (a "RAW"
// resource of red-green-blue-alpha pixels with soft edges, or the strip drawn for another scale
// or for the dark face) for its state: normal, pressed, under the pointer, disabled. The first
// time it is drawn after a strip is loaded it has its parent paint what lies beneath it, and from
// then on blends each state image over that snapshot, so the soft edges sit on the parent's
// background. It has its own tooltip. The pixel rules are in HoverLogic. User-interface thread
// only.
#pragma once

#include "framework/win/Controls.h"
#include "framework/win/Gdi.h"
#include "ui/controls/HoverLogic.h"

#include <cstdint>
#include <memory>
#include <vector>

class CHoverButtonEx : public CButton {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CHoverButtonEx() = default;
    ~CHoverButtonEx() override;

    // FALSE: the four images are stacked top to bottom; TRUE: side by side. Before LoadRaw.
    void SetHorizontal(BOOL bHorizontal) { m_bHorizontal = static_cast<BYTE>(bHorizontal) != 0; }
    // The window takes a copy of the region; the caller keeps its own.
    int SetRegion(HRGN hRegion);
    // Finds the strip of nStripWidth x nStripHeight pixels and sizes the button to one state
    // image; FALSE when there is no such resource or it is too short for that size.
    BOOL LoadRaw(UINT nResourceId, int nStripWidth, int nStripHeight);
    // Loads the strip whose 100% picture is "RAW" resource nStripId as drawn for a window at nDpi
    // on the light or dark face (ArtResources), stacked top to bottom whatever SetHorizontal said,
    // and sizes the button to one state image, keeping its top-left corner. FALSE, keeping the
    // strip it had, when the strip cannot be read.
    BOOL LoadStrip(UINT nStripId, int nDpi, bool bDark);
    // An empty text changes nothing.
    void SetToolTipText(const CString& strText, BOOL bActivate);

    void DrawItem(DRAWITEMSTRUCT* pDraw) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    bool IsHover() const { return m_bHover; }
    int GetStateWidth() const { return m_layout.nStateWidth; }
    CToolTipCtrl* GetToolTip() const { return m_pToolTip.get(); }

protected:
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }

private:
    void BecomeOwnerDrawn();
    // Shows the strip at pPixels, borrowed, sized to one state image.
    void UseStrip(const uint8_t* pPixels, int nStripWidth, int nStripHeight);
    bool CaptureBackground(HDC hDC);

    bool m_bHover = false;
    bool m_bTracking = false;
    bool m_bHorizontal = false;
    bool m_bShaped = false;
    CRgn m_rgn;
    CStripLayout m_layout = {};
    const uint8_t* m_pRawPixels = nullptr; // in the locked resource, never freed, or in m_loaded
    std::vector<uint8_t> m_loaded;         // the strip LoadStrip decoded
    std::vector<uint32_t> m_background;    // empty until the first draw
    CString m_strToolTip;
    std::unique_ptr<CToolTipCtrl> m_pToolTip;
};
