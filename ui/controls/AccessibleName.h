// What a screen reader announces for a control whose own text cannot say it: a picture button
// without a caption, a drop-down whose label the system does not tie to it everywhere. The
// control answers WM_GETOBJECT with the system's standard accessible object for it, given this
// name and role; everything else (state, place, default action, focus) stays the system's.
#pragma once

#include "framework/core/String.h"
#include "framework/win/Wnd.h"

#include <windows.h>

// The answer to WM_GETOBJECT for the control's client area, named and with the role given (an
// MSAA ROLE_SYSTEM_ value; 0 keeps the system's); 0, the default answer, for any other object or
// when the system's object cannot be had.
LRESULT AnswerAccessibleObject(HWND hWnd, WPARAM wParam, LPARAM lParam, const CString& strName, long nRole);

// Names every combo box of the dialog after the label just before it ("&Kind:" gives "Kind"), for
// the screen readers that do not make that tie themselves. Call it once the labels hold their text.
void NameCombosByTheirLabels(HWND hDialog);

// A control of a standard class, made or subclassed through this wrapper, that a screen reader
// hears by the name and role given.
class CAccessiblyNamedWnd : public CWnd {
public:
    void SetAccessibleName(const CString& strName, long nRole) {
        m_strName = strName;
        m_nRole = nRole;
    }

protected:
    LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam) override;

private:
    CString m_strName;
    long m_nRole = 0;
};
