// Icons and system metrics for a number of dots per inch, on every Windows the program runs on:
// the per-monitor functions of Windows 10 are looked up at run time, and where they are missing
// the system's own values stand in, scaled. User-interface thread.
#pragma once

#include <windows.h>

// The dots per inch of the primary screen, which the taskbar and its notification area are drawn at.
int GetSystemDpi();

// GetSystemMetrics(nIndex) for a window at nDpi.
int GetSystemMetricForDpi(int nIndex, int nDpi);

// Icon resource nIconId at nSide pixels square, as the system makes it from the nearest image of
// the icon (scaled down from a larger one where it must scale). The caller owns it (DestroyIcon);
// null when the resource is missing.
HICON LoadIconOfSide(HINSTANCE hInstance, UINT nIconId, int nSide);

// Icon resource nIconId at the size of the metric nSideMetric (SM_CXSMICON or SM_CXICON) for a
// window at nDpi; owned by the caller.
HICON LoadIconForDpi(HINSTANCE hInstance, UINT nIconId, int nSideMetric, int nDpi);
