// Driving real windows from inside the test process: steps that run from a timer inside a
// dialog's modal loop, message boxes answered as they open, and keys as a user types them.
#pragma once

#include "framework/win/Dialog.h"

#include <functional>
#include <string>
#include <vector>

// Runs a dialog modally and, from a timer inside its message loop, one step after another.
// A step returns true when done, false to be tried again at the next tick (for effects that
// arrive later); a step that never finishes fails the test after a few seconds. After the last
// step the dialog is ended if it is still open.
class CStepRunner {
public:
    using Step = std::function<bool()>;
    CStepRunner& Then(Step step);
    CStepRunner& Do(std::function<void()> action);
    // After the steps, the program itself is to end the dialog (instead of the runner).
    CStepRunner& ThenProgramEnds();
    INT_PTR RunModal(CDialog& dlg);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    int m_nTries = 0;
    int m_nSettledTicks = 0;
    bool m_bProgramEnds = false;
    CDialog* m_pDialog = nullptr;
    UINT_PTR m_nTimer = 0;
};

struct CMessageBoxRecord {
    std::string strCaption;
    std::string strText;
};

// While alive, every message box this thread opens is recorded and answered with nAnswer.
class CMessageBoxAnswerer {
public:
    explicit CMessageBoxAnswerer(int nAnswer = IDOK);
    ~CMessageBoxAnswerer();
    CMessageBoxAnswerer(const CMessageBoxAnswerer&) = delete;
    CMessageBoxAnswerer& operator=(const CMessageBoxAnswerer&) = delete;

    std::vector<CMessageBoxRecord> m_boxes;
    // Runs when a box opens, before it is recorded and answered.
    std::function<void(HWND)> m_onOpen;

private:
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook;
    int m_nAnswer;
};

// Posts a key press (down and up) to a window, with Ctrl held as GetKeyState sees it.
void PostKey(HWND hWnd, WPARAM nKey, bool bControl = false);
// Runs everything already posted to this thread, through the framework's pre-translation.
void PumpMessages(HWND hDialog);
// Whether the Ctrl key is reported down (for key tests).
void SetControlKey(bool bDown);

// The name and role a screen reader hears for a control, asked through the system's
// accessibility interface; empty and 0 when it cannot be asked.
struct CAccessibleText {
    std::string strName;
    long nRole = 0;
};
CAccessibleText AskAccessible(HWND hWnd);
// The ids of the window's controls that a screen reader would announce by no name or by a
// template's placeholder ("List1"), or that take input but that Tab never reaches, in their tab
// order.
std::vector<int> InaccessibleControls(HWND hWindow);

// Tells the window it moved to a screen of one and a half times its scaling and then back, as
// Windows does with WM_DPICHANGED, and returns the ids of the visible controls that did not
// follow: there each control's rectangle, font and list columns are to be that much larger
// (within rounding), and back as before.
std::vector<int> ControlsNotFollowingDpi(HWND hWindow);
// The ids of the visible labels, buttons and check boxes whose text does not fit inside them.
std::vector<int> ControlsWithCutText(HWND hWindow);
// A control's rectangle in its parent's client area.
RECT RectInParent(HWND hControl);

// A pixel of a shown window as it is on the screen.
COLORREF ScreenPixel(HWND hWnd, int x, int y);
// Whether some pixel of the window's client area (or of pArea in it) is within 8 of the colour in
// every channel (text may be drawn smoothed).
bool HasPixelNear(HWND hWnd, COLORREF color, const RECT* pArea = nullptr);
