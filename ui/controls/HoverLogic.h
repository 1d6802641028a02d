// The rules of the tool bar's image buttons that need no window: which of a strip's four state
// images a button shows, where that image lies in the strip, and how its pixels are blended over
// the snapshot of what lies beneath the button. CHoverButtonEx calls them with what it read from
// its window and its resource; nothing here keeps state.
//
// Pixel formats, as 32-bit values (in memory on a little-endian machine the bytes run from the
// lowest): a strip pixel is four bytes red, green, blue, alpha with straight alpha; a snapshot
// pixel and a blended pixel are 0xAARRGGBB, the order of a 32-bit top-down DIB.
#pragma once

#include <cstddef>
#include <cstdint>

// The state images of a strip, in the order the strip stores them.
enum EHoverState {
    kHoverStateNormal = 0,
    kHoverStatePressed = 1,
    kHoverStateHover = 2,
    kHoverStateDisabled = 3,
};
const int kHoverStateCount = 4;

// The state to show; the first match wins: pressed, hover, normal while enabled, else disabled.
// Hover is asked before enabled, so a button disabled under the pointer keeps its hover image
// until the pointer leaves it.
EHoverState ChooseHoverState(bool bPressed, bool bHover, bool bEnabled);

// A strip of four state images, side by side (horizontal) or stacked top to bottom.
struct CStripLayout {
    int nStripWidth, nStripHeight;
    int nStateWidth, nStateHeight; // both 0 when the strip is too small for four images
    bool bHorizontal;
};

// The state size follows from the strip: a horizontal strip's width, or a vertical strip's
// height, divided by four (truncating; left-over pixels are never shown). A strip whose sides
// are not positive, or too small to hold four images, gets a state size of 0 x 0.
CStripLayout MakeStripLayout(int nStripWidth, int nStripHeight, bool bHorizontal);

// Whether a resource of nResourceBytes holds a whole strip of the given size at 4 bytes a pixel.
// The size comes from the caller, not from the resource, so a button must not read a resource
// that is shorter: it would read past its end.
bool StripFitsResource(int nStripWidth, int nStripHeight, size_t nResourceBytes);

// The index of the first pixel of a state's image in the strip. In both layouts the image's
// rows start nStripWidth pixels apart. 0 for a state out of range.
size_t StateImageStart(const CStripLayout& layout, int nState);

// One strip pixel (the four bytes red, green, blue, alpha at pRgba) over a snapshot pixel: the
// snapshot pixel unchanged where alpha is 0, otherwise each channel (B * (255 - A) + S * A) >> 8
// (so a fully opaque 255 comes out as 254) with the strip's alpha as the alpha byte.
uint32_t BlendStripPixel(const uint8_t* pRgba, uint32_t nBackground);

// Blends state nState of the strip pStrip over pBackground into pOut, both state width x height
// pixels, rows top to bottom. False, writing nothing, for an empty layout or a state out of range.
bool CompositeState(const uint8_t* pStrip, const CStripLayout& layout, int nState,
                    const uint32_t* pBackground, uint32_t* pOut);
