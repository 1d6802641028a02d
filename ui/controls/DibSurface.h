// CDibSurface: pixels in memory put onto a device context in one call, as a top-down DIB of
// 32, 24 or 16 (or 15) bits a pixel. It borrows both the pixels and the DC. Used by the image
// buttons to show a composited state image.
#pragma once

#include "framework/win/DC.h"

#include <cstdint>

class CDibSurface {
public:
    explicit CDibSurface(CDC* pDC = nullptr);
    virtual ~CDibSurface() = default;

    // Sets the header for that depth; the bytes a pixel, or 0 (and no format) for a depth not
    // known. 15 is the 16-bit format with five bits of green.
    virtual int SetFormat(int nBitsPerPixel);
    // Borrows nWidth x nHeight pixels, rows top to bottom; a depth of 0 keeps the format.
    virtual void* Attach(void* pPixels, int nWidth, int nHeight, int nBitsPerPixel);
    // Copies the source rectangle of the pixels to the destination rectangle of the DC.
    virtual int Draw();

    RECT m_rcSource = {};
    RECT m_rcDest = {};

private:
    CDC* m_pDC;
    void* m_pPixels = nullptr;
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } m_info = {};
};
