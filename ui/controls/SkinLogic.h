// The rules of the owner-drawn skin button (the search toggle) that need no window: how it reads
// its item state, which colours, image and border it draws, where the image and the caption go,
// and how a picture's transparent colour becomes a mask. CSkinButton calls them; nothing here
// keeps state. Rectangles are in the button's client pixels, laid out like the platform's RECT.
#pragma once

#include "framework/core/Rect.h"

#include <cstddef>
#include <cstdint>

// How the button is drawn. A toggle button is drawn pressed while it is checked as well as while
// the mouse holds it down.
struct CSkinDrawState {
    bool bPressed;
    bool bFocused;
};
CSkinDrawState ChooseSkinDrawState(bool bCheckBox, bool bChecked, bool bSelected, bool bFocus);

// The button's three (background, text) colour pairs.
enum ESkinColors {
    kSkinColorsActive = 0,
    kSkinColorsNormal = 1,
    kSkinColorsFocused = 2,
};
// Pressed before focused, focused before normal.
ESkinColors ChooseSkinColors(bool bPressed, bool bFocused);

enum ESkinImage {
    kSkinImageNone,
    kSkinImageIn,
    kSkinImageOut,
};
// The In image while pressed, otherwise the Out image if there is one, else In again. None when
// the button has no In image: it never has an Out image without one.
ESkinImage ChooseSkinImage(bool bPressed, bool bHasIn, bool bHasOut);

enum ESkinBorder {
    kSkinBorderNone,   // flat and not pressed
    kSkinBorderSunken, // flat and pressed: shadow top-left, highlight bottom-right
    kSkinBorderFrame,  // three-dimensional and pressed: a one-pixel shadow frame
    kSkinBorderRaised, // three-dimensional and not pressed: the four-line bevel below
};
ESkinBorder ChooseSkinBorder(bool bPressed, bool bFlat, bool bFlatBorder);

// Where the face goes. A three-dimensional button that has the focus or is the dialog's default
// gets a black frame on the item rectangle, and the rest is drawn one pixel inside it. The focus
// rectangle, 3 pixels inside that, is drawn when focused unless flat (or flat with bFlatFocus).
struct CSkinFace {
    bool bBlackFrame;
    CRectI rcFace; // filled with the background colour; the border is drawn on it
    bool bFocusRect;
    CRectI rcFocus;
};
CSkinFace LayoutSkinFace(const CRectI& rcItem, bool bFlat, bool bFlatFocus, bool bFocused, bool bDefault);

// One line of the raised bevel: from (x0, y0) through (x1, y1) to (x2, y2), the end point itself
// not painted, in the colour role given.
enum EBevelColor {
    kBevelHighlight,
    kBevelLight,
    kBevelDarkShadow,
    kBevelShadow,
};
struct CBevelLine {
    EBevelColor color;
    int x0, y0, x1, y1, x2, y2;
};
const int kBevelLineCount = 4;
// The lines in the order they are drawn: highlight and light along the top and left, dark shadow
// and shadow along the bottom and right.
void RaisedBevelLines(const CRectI& rc, CBevelLine lines[kBevelLineCount]);

// Where the image and the caption go, with the image at the left of a caption. Without a caption
// the image is centred across; with one it sits nMarginX from the left and the caption starts
// nMarginX beyond the image. Either way it is centred down. bPushed (pressed, not a toggle)
// moves the image by the push offset. Halves truncate toward zero, so an image larger than the
// button starts left of or above it and is clipped.
struct CSkinPlacement {
    CRectI rcImage;
    CRectI rcCaption;
};
CSkinPlacement PlaceSkinImage(const CRectI& rcItem, bool bHasCaption, int nImageWidth, int nImageHeight,
                              int nMarginX, bool bPushed, int nPushX, int nPushY);

// The measured text rectangle centred in the box it was measured in (both as the text drawing
// gives them), by half the difference of their sizes, truncating toward zero.
CRectI CentreText(const CRectI& rcMeasured, const CRectI& rcBox);

// Monochrome mask rows, as a 1-bit bitmap wants them: padded to 16 bits, most significant bit first.
size_t MaskStride(int nWidth);

// Makes the mask of a picture and prepares the picture for painting through it. pPixels holds
// width x height pixels 0x00RRGGBB (a 32-bit top-down DIB; the top byte is ignored);
// nTransparent is the colour as 0x00BBGGRR. Each pixel of that colour gets a mask bit of 1 and
// turns black, every other pixel gets a 0 and stays. pMask receives height x MaskStride(width)
// bytes. Nothing is written for sides that are not positive.
void MakeTransparencyMask(uint32_t* pPixels, int nWidth, int nHeight, uint32_t nTransparent, uint8_t* pMask);

