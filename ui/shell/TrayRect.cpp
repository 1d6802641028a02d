#include "TrayRect.h"

namespace {

// The notification area is taken to span this much of the taskbar's length, ending this far
// before the bar's end, where the clock usually is.
const int kNotifyAreaStart = 100;
const int kNotifyAreaEnd = 16;

// The corner taken when only the taskbar window or the work area is known.
const int kCornerWidth = 150;
const int kCornerHeight = 30;

} // namespace

bool NotifyRectFromTaskbarPos(const CRectI& taskbar, unsigned nEdge, CRectI* pResult) {
    switch (nEdge) {
    case kTaskbarEdgeLeft:
    case kTaskbarEdgeRight:
        *pResult = {taskbar.left, taskbar.bottom - kNotifyAreaStart, taskbar.right,
                    taskbar.bottom - kNotifyAreaEnd};
        return true;
    case kTaskbarEdgeTop:
    case kTaskbarEdgeBottom:
        *pResult = {taskbar.right - kNotifyAreaStart, taskbar.top, taskbar.right - kNotifyAreaEnd,
                    taskbar.bottom};
        return true;
    default:
        return false;
    }
}

CRectI NotifyRectFromTrayWindow(const CRectI& trayWindow) {
    CRectI result = trayWindow;
    if (result.right - result.left > kCornerWidth) {
        result.left = result.right - kCornerWidth;
    }
    if (result.bottom - result.top > kCornerHeight) {
        result.top = result.bottom - kCornerHeight;
    }
    return result;
}

CRectI NotifyRectFromWorkArea(const CRectI& workArea) {
    return {workArea.right - kCornerWidth, workArea.bottom - kCornerHeight, workArea.right, workArea.bottom};
}
