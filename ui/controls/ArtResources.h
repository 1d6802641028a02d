// The program's pictures for a window's dots per inch and face: the tool bar strips, the search
// toggle's pictures and the About picture. The pictures of a screen at 100% with the light face
// are the "RAW" and BITMAP resources the program always had; every other scale, and the dark face,
// is a "PNG" resource (res/Pictures.rc) decoded with the platform's imaging component (WIC).
// Which scale a window gets, and the pixel work, are in ArtLogic. Any thread; COM is initialised
// for the decoding when the thread has not done it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// A decoded picture: four bytes red, green, blue, alpha a pixel, straight alpha, rows top to bottom.
struct CArtPixels {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint8_t> rgba;
};

// Starts loading the imaging component and its PNG decoder on a thread of its own and returns at
// once, so that the first pictures of a window at a scaling other than 100% do not wait for that
// load (under Wine it takes about as long as the rest of a small book's start-up).
void PrepareArtDecoding();

// Decodes "PNG" resource nId of hModule. False, leaving picture as it was, when the resource is
// missing or is not a picture the imaging component reads.
bool DecodePngResource(HMODULE hModule, int nId, CArtPixels& picture);

// The tool bar strip whose 100% picture is "RAW" resource nStripId, for a window at nDpi on the
// light or dark face: four square states stacked top to bottom, captions laid over their balls.
// False, leaving strip as it was, when a resource it needs is missing or unreadable.
bool LoadToolStrip(HMODULE hModule, UINT nStripId, int nDpi, bool bDark, CArtPixels& strip);

// The picture whose 100% light picture is bitmap resource nBitmapId (IDB_ABOUT, IDB_SEARCH_UP,
// IDB_SEARCH_DOWN), for a window at nDpi on the light or dark face, as a bitmap the caller owns;
// null when it cannot be read. A picture with a transparent colour names it in nKey (0x00BBGGRR,
// as a COLORREF; CLR_INVALID for none): it is kept clear of the key when the picture is resampled
// beyond the largest drawn scale. The bitmap's alpha bytes are 0: the pictures are opaque, and a
// static control takes a bitmap with alpha for one to copy.
HBITMAP LoadArtBitmap(HMODULE hModule, UINT nBitmapId, int nDpi, bool bDark, COLORREF nKey = CLR_INVALID);

// Whether a window paints a dark face: the colour it erases its background with, by luminance.
// A dialog picks its pictures by it, so they always match the face they are seen on.
bool PaintsDarkFace(HWND hWnd);
