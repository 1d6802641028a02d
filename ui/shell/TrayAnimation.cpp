#include "TrayAnimation.h"

#include "TrayRect.h"

#include <shellapi.h>

namespace {

const char kTaskbarClass[] = "Shell_TrayWnd";
const char kNotifyAreaClass[] = "TrayNotifyWnd";

CRectI ToRectI(const RECT& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}

RECT ToRect(const CRectI& rc) {
    return {rc.left, rc.top, rc.right, rc.bottom};
}

} // namespace

BOOL IsMinimizeAnimationOn() {
    ANIMATIONINFO info = {};
    info.cbSize = sizeof(info);
    if (!::SystemParametersInfoA(SPI_GETANIMATION, sizeof(info), &info, 0)) {
        return FALSE;
    }
    return info.iMinAnimate != 0;
}

BOOL GetTrayNotifyRect(RECT* pRect) {
    HWND hTaskbar = ::FindWindowA(kTaskbarClass, nullptr);
    RECT rc = {};
    if (hTaskbar) {
        HWND hNotify = ::FindWindowExA(hTaskbar, nullptr, kNotifyAreaClass, nullptr);
        if (hNotify && ::GetWindowRect(hNotify, &rc)) {
            *pRect = rc;
            return TRUE;
        }
    }

    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    CRectI guess = {};
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &abd) &&
        NotifyRectFromTaskbarPos(ToRectI(abd.rc), abd.uEdge, &guess)) {
        *pRect = ToRect(guess);
        return TRUE;
    }

    if (hTaskbar && ::GetWindowRect(hTaskbar, &rc)) {
        *pRect = ToRect(NotifyRectFromTrayWindow(ToRectI(rc)));
        return TRUE;
    }

    if (::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0)) {
        *pRect = ToRect(NotifyRectFromWorkArea(ToRectI(rc)));
        return TRUE;
    }
    ::SetRectEmpty(pRect);
    return FALSE;
}

void HideToTray(HWND hWnd) {
    RECT from = {};
    RECT to = {};
    // The animation is decoration: without its rectangles, or when it fails, the window is
    // hidden all the same.
    if (IsMinimizeAnimationOn() && ::GetWindowRect(hWnd, &from) && GetTrayNotifyRect(&to)) {
        ::DrawAnimatedRects(hWnd, IDANI_CAPTION, &from, &to);
    }
    ::ShowWindow(hWnd, SW_HIDE);
}

void RestoreFromTray(HWND hWnd) {
    RECT from = {};
    RECT to = {};
    if (IsMinimizeAnimationOn() && GetTrayNotifyRect(&from) && ::GetWindowRect(hWnd, &to)) {
        ::DrawAnimatedRects(hWnd, IDANI_CAPTION, &from, &to);
    }
    ::ShowWindow(hWnd, SW_SHOW);
    ::SetActiveWindow(hWnd);
    ::SetForegroundWindow(hWnd);
}
