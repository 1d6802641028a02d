#include "ui/controls/HoverLogic.h"

EHoverState ChooseHoverState(bool bPressed, bool bHover, bool bEnabled) {
    if (bPressed)
        return kHoverStatePressed;
    if (bHover)
        return kHoverStateHover;
    return bEnabled ? kHoverStateNormal : kHoverStateDisabled;
}

CStripLayout MakeStripLayout(int nStripWidth, int nStripHeight, bool bHorizontal) {
    CStripLayout layout = {nStripWidth, nStripHeight, 0, 0, bHorizontal};
    if (nStripWidth <= 0 || nStripHeight <= 0)
        return layout;
    int nWidth = bHorizontal ? nStripWidth / kHoverStateCount : nStripWidth;
    int nHeight = bHorizontal ? nStripHeight : nStripHeight / kHoverStateCount;
    if (nWidth > 0 && nHeight > 0) {
        layout.nStateWidth = nWidth;
        layout.nStateHeight = nHeight;
    }
    return layout;
}

bool StripFitsResource(int nStripWidth, int nStripHeight, size_t nResourceBytes) {
    if (nStripWidth <= 0 || nStripHeight <= 0)
        return false;
    // In 64 bits, so that no pair of int sides can overflow the product.
    uint64_t nNeeded = uint64_t(nStripWidth) * uint64_t(nStripHeight) * 4u;
    return nNeeded <= uint64_t(nResourceBytes);
}

size_t StateImageStart(const CStripLayout& layout, int nState) {
    if (nState < 0 || nState >= kHoverStateCount)
        return 0;
    if (layout.bHorizontal)
        return size_t(nState) * size_t(layout.nStateWidth);
    return size_t(nState) * size_t(layout.nStateHeight) * size_t(layout.nStripWidth);
}

uint32_t BlendStripPixel(const uint8_t* pRgba, uint32_t nBackground) {
    uint32_t a = pRgba[3];
    if (a == 0)
        return nBackground;
    // The strip pixel with red and blue swapped reads like the snapshot: 0xAARRGGBB. Red and blue
    // are weighted together in one word, green in another; each product stays within its
    // 16 bits, so the shift by 8 truncates every channel on its own.
    uint32_t s = a << 24 | uint32_t(pRgba[0]) << 16 | uint32_t(pRgba[1]) << 8 | pRgba[2];
    uint32_t rb = (((nBackground & 0xFF00FF) * (255 - a) + (s & 0xFF00FF) * a) >> 8) & 0xFF00FF;
    uint32_t g = (((nBackground & 0xFF00) * (255 - a) + (s & 0xFF00) * a) >> 8) & 0xFF00;
    return a << 24 | rb | g;
}

bool CompositeState(const uint8_t* pStrip, const CStripLayout& layout, int nState,
                    const uint32_t* pBackground, uint32_t* pOut) {
    if (layout.nStateWidth <= 0 || layout.nStateHeight <= 0 || nState < 0 || nState >= kHoverStateCount)
        return false;
    const size_t nStart = StateImageStart(layout, nState);
    const size_t nWidth = size_t(layout.nStateWidth);
    for (size_t y = 0; y < size_t(layout.nStateHeight); ++y) {
        const uint8_t* pRow = pStrip + (nStart + y * size_t(layout.nStripWidth)) * 4;
        for (size_t x = 0; x < nWidth; ++x)
            pOut[y * nWidth + x] = BlendStripPixel(pRow + x * 4, pBackground[y * nWidth + x]);
    }
    return true;
}
