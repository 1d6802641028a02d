// CRectI: a rectangle in pixels, laid out like the platform's RECT (left, top, right, bottom),
// for the rules that reason about window and screen rectangles without a platform header.
#pragma once

struct CRectI {
    int left, top, right, bottom;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
