// CSkinButton: an owner-drawn push button that paints its own face: a background in a state
// colour, a flat or raised border, an optional pair of pictures with a transparent colour (the
// In picture while pressed or checked, the Out picture otherwise), its caption and a focus
// rectangle. A check box in the template becomes a toggle button. On the dark face it paints its
// face, text and bevel in dark colours of its own. The drawing rules are in SkinLogic.
// User-interface thread only.
#pragma once

#include "framework/win/Controls.h"
#include "framework/win/Gdi.h"
#include "ui/controls/SkinLogic.h"

class CSkinButton : public CButton {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CSkinButton();
    ~CSkinButton() override;

    int SetFlat(BOOL bFlat, BOOL bRepaint);
    // Loads the two bitmap resources (nOutId 0: none) and makes their masks; as SetBitmaps.
    int LoadBitmaps(UINT nInId, COLORREF inTransparent, UINT nOutId, COLORREF outTransparent);
    // Takes both bitmaps over. 0, or 1 when a bitmap's size cannot be read, 2 when a mask
    // cannot be made: the button then has no pictures at all.
    int SetBitmaps(HBITMAP hIn, COLORREF inTransparent, HBITMAP hOut, COLORREF outTransparent);
    // As LoadBitmaps, with the two pictures as drawn for a window at nDpi on the light or dark
    // face (ArtResources); both share one transparent colour.
    int LoadBitmapsForDpi(UINT nInId, UINT nOutId, COLORREF transparent, int nDpi, bool bDark);
    // The dark face's colours instead of the system's, or back; repaints.
    void SetDarkFace(bool bDark);
    bool HasDarkFace() const { return m_bDarkFace; }

    void DrawItem(DRAWITEMSTRUCT* pDraw) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    bool IsCheckBox() const { return m_bCheckBox; }
    // What a screen reader calls a button that shows a picture and no caption.
    void SetAccessibleName(const CString& strName) { m_strAccessibleName = strName; }

protected:
    void PreSubclassWindow() override;
    virtual int PaintBackground(CDC* pDC, CRectI& rc);
    virtual int PaintBorder(CDC* pDC, const CRectI& rc);
    virtual void PaintBitmap(CDC* pDC, bool bHasCaption, const CRectI& rcItem, CRectI& rcCaption, bool bPressed);
    virtual void PaintCaption(CDC* pDC, const CString& strCaption, CRectI& rcCaption, bool bPressed);

    BOOL OnClicked();
    LRESULT OnSetCheck(WPARAM wParam, LPARAM);
    LRESULT OnGetCheck(WPARAM, LPARAM) { return m_bChecked; }
    LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    HBRUSH CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)); }
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnEnable(WPARAM wParam, LPARAM);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);

private:
    struct CImage {
        CBitmap bitmap;
        CBitmap mask;
        int nWidth = 0;
        int nHeight = 0;
        COLORREF transparent = 0;
    };
    static int MakeImage(CImage& image, HBITMAP hBitmap, COLORREF transparent);
    // The colour of a system colour role (COLOR_BTNFACE...) on the button's face.
    COLORREF FaceColor(int nRole) const;
    void ResetColors();
    void ReleaseImages();

    CString m_strAccessibleName;
    int m_nMarginX = 3;
    POINT m_ptPushOffset = {1, 1};
    bool m_bFlat = true;
    bool m_bPressed = false;
    bool m_bFocused = false;
    bool m_bDefault = false;
    bool m_bCheckBox = false;
    bool m_bDarkFace = false;
    // Nothing here turns these off or on: a flat button shows a sunken border while pressed
    // and no focus rectangle.
    static constexpr bool kFlatBorder = true;
    static constexpr bool kFlatFocus = false;
    COLORREF m_colors[3][2] = {}; // (background, text) for active, normal and focused
    bool m_bChecked = false;
    CImage m_imageIn;
    CImage m_imageOut;
};
