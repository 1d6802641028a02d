// Hiding the main window to the notification area and bringing it back, drawn as the window
// shrinking into the notification area (and growing out of it) when the user has the minimise
// animation switched on. User-interface thread only.
#pragma once

#include <windows.h>

// Hides the window, animating it into the notification area.
void HideToTray(HWND hWnd);
// Shows the window again, animated out of the notification area, and brings it to the front.
void RestoreFromTray(HWND hWnd);
// Whether the user has the minimise and restore animation switched on.
BOOL IsMinimizeAnimationOn();
// Where the notification area is, as near as the shell lets us know: the notification window
// itself, else a guess from the taskbar's position, the taskbar window or the work area. False
// only when not even the work area is known (*pRect is then empty).
BOOL GetTrayNotifyRect(RECT* pRect);
