#include "ui/controls/SkinLogic.h"

namespace {

CRectI Inflated(const CRectI& rc, int n) {
    return {rc.left - n, rc.top - n, rc.right + n, rc.bottom + n};
}

CRectI Offset(const CRectI& rc, int dx, int dy) {
    return {rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

} // namespace

CSkinDrawState ChooseSkinDrawState(bool bCheckBox, bool bChecked, bool bSelected, bool bFocus) {
    return {bSelected || (bCheckBox && bChecked), bFocus};
}

ESkinColors ChooseSkinColors(bool bPressed, bool bFocused) {
    if (bPressed)
        return kSkinColorsActive;
    return bFocused ? kSkinColorsFocused : kSkinColorsNormal;
}

ESkinImage ChooseSkinImage(bool bPressed, bool bHasIn, bool bHasOut) {
    if (!bHasIn)
        return kSkinImageNone;
    return !bPressed && bHasOut ? kSkinImageOut : kSkinImageIn;
}

ESkinBorder ChooseSkinBorder(bool bPressed, bool bFlat, bool bFlatBorder) {
    if (bFlat)
        return bPressed && bFlatBorder ? kSkinBorderSunken : kSkinBorderNone;
    return bPressed ? kSkinBorderFrame : kSkinBorderRaised;
}

CSkinFace LayoutSkinFace(const CRectI& rcItem, bool bFlat, bool bFlatFocus, bool bFocused, bool bDefault) {
    CSkinFace face = {};
    face.bBlackFrame = !bFlat && (bFocused || bDefault);
    face.rcFace = face.bBlackFrame ? Inflated(rcItem, -1) : rcItem;
    face.bFocusRect = (!bFlat || bFlatFocus) && bFocused;
    face.rcFocus = Inflated(face.rcFace, -3);
    return face;
}

void RaisedBevelLines(const CRectI& rc, CBevelLine lines[kBevelLineCount]) {
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    lines[0] = {kBevelHighlight, l, b - 1, l, t, r, t};
    lines[1] = {kBevelLight, l + 1, b - 1, l + 1, t + 1, r, t + 1};
    lines[2] = {kBevelDarkShadow, l, b - 1, r - 1, b - 1, r - 1, t - 1};
    lines[3] = {kBevelShadow, l + 1, b - 2, r - 2, b - 2, r - 2, t};
}

CSkinPlacement PlaceSkinImage(const CRectI& rcItem, bool bHasCaption, int nImageWidth, int nImageHeight,
                              int nMarginX, bool bPushed, int nPushX, int nPushY) {
    CSkinPlacement place = {rcItem, rcItem};
    int nLeft = rcItem.left;
    if (bHasCaption) {
        nLeft += nMarginX;
        place.rcCaption.left += nMarginX + nImageWidth;
    } else {
        nLeft += (rcItem.right - rcItem.left - nImageWidth) / 2;
    }
    int nTop = rcItem.top + (rcItem.bottom - rcItem.top - nImageHeight) / 2;
    place.rcImage = {nLeft, nTop, nLeft + nImageWidth, nTop + nImageHeight};
    if (bPushed)
        place.rcImage = Offset(place.rcImage, nPushX, nPushY);
    return place;
}

CRectI CentreText(const CRectI& rcMeasured, const CRectI& rcBox) {
    int dx = ((rcBox.right - rcBox.left) - (rcMeasured.right - rcMeasured.left)) / 2;
    int dy = ((rcBox.bottom - rcBox.top) - (rcMeasured.bottom - rcMeasured.top)) / 2;
    return Offset(rcMeasured, dx, dy);
}

size_t MaskStride(int nWidth) {
    return nWidth <= 0 ? 0 : (size_t(nWidth) + 15) / 16 * 2;
}

void MakeTransparencyMask(uint32_t* pPixels, int nWidth, int nHeight, uint32_t nTransparent, uint8_t* pMask) {
    if (nWidth <= 0 || nHeight <= 0)
        return;
    // The colour as the picture stores it: red and blue change places.
    const uint32_t nKey = (nTransparent & 0xFF) << 16 | (nTransparent & 0xFF00) | (nTransparent >> 16 & 0xFF);
    const size_t nStride = MaskStride(nWidth);
    for (int y = 0; y < nHeight; ++y) {
        uint8_t* pRow = pMask + size_t(y) * nStride;
        for (size_t i = 0; i < nStride; ++i)
            pRow[i] = 0;
        for (int x = 0; x < nWidth; ++x) {
            uint32_t& pixel = pPixels[size_t(y) * size_t(nWidth) + size_t(x)];
            if ((pixel & 0xFFFFFF) == nKey) {
                pRow[x / 8] |= uint8_t(0x80u >> (x % 8));
                pixel = 0;
            }
        }
    }
}
