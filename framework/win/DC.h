// CDC: a device context the wrapper only borrows (a paint, client or memory DC owns its own;
// see Gdi.h). Kept apart so that message tables can hand one to colour handlers.
#pragma once

#include <windows.h>

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) const { return ::DrawIcon(m_hDC, x, y, hIcon); }
    COLORREF SetTextColor(COLORREF color) const { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) const { return ::SetBkColor(m_hDC, color); }
    int SetBkMode(int nMode) const { return ::SetBkMode(m_hDC, nMode); }

    HDC m_hDC = nullptr;
};
