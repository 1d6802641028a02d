// Where the notification area probably is, worked out from what the shell tells about the
// taskbar. Pure arithmetic on rectangles, free of any platform header, so the rules can be
// checked without a shell; TrayAnimation.cpp gathers the inputs and picks the rule that applies.
// The result is only the end point of the window's minimise animation, so an estimate is fine.
#pragma once

#include "framework/core/Rect.h"

// The taskbar's edge of the screen, numbered as the shell reports it.
const unsigned kTaskbarEdgeLeft = 0;
const unsigned kTaskbarEdgeTop = 1;
const unsigned kTaskbarEdgeRight = 2;
const unsigned kTaskbarEdgeBottom = 3;

// From the taskbar's rectangle and edge: the notification area sits at the end of the bar, so a
// vertical bar (left or right edge) gives its full width between 100 and 16 pixels above its
// bottom, and a horizontal bar (top or bottom edge) its full height between 100 and 16 pixels
// before its right end. False for an edge it does not know; *pResult is then left alone.
bool NotifyRectFromTaskbarPos(const CRectI& taskbar, unsigned nEdge, CRectI* pResult);

// From the taskbar window's rectangle: its bottom right corner, at most 150 pixels wide and
// 30 high; a smaller window is taken whole.
CRectI NotifyRectFromTrayWindow(const CRectI& trayWindow);

// From the work area alone: the 150 by 30 pixels at its bottom right corner.
CRectI NotifyRectFromWorkArea(const CRectI& workArea);
