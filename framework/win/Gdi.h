// GDI wrappers. CGdiObjectT owns one GDI object (brush, font, pen, bitmap, region) and deletes
// it once, in its destructor or in DeleteObject; Attach takes one over, Detach hands it on (a
// region given to SetWindowRgn belongs to the window from then on). Objects cannot be copied.
//
// Device contexts: CDC wraps a borrowed one; CPaintDC begins and ends painting a window;
// CClientDC borrows a window's client-area DC and releases it; CMemoryDC owns a DC compatible
// with another. CSelectGuard selects an object into a DC and puts the previous one back, so an
// owned object is never deleted while it is still selected.
#pragma once

#include "DC.h"
#include "Wnd.h"
#include "framework/core/WideText.h"

#include <utility>

template <typename THandle>
class CGdiObjectT {
public:
    CGdiObjectT() = default;
    explicit CGdiObjectT(THandle hObject) : m_hObject(hObject) {}
    ~CGdiObjectT() { DeleteObject(); }
    CGdiObjectT(const CGdiObjectT&) = delete;
    CGdiObjectT& operator=(const CGdiObjectT&) = delete;

    void Attach(THandle hObject) {
        DeleteObject();
        m_hObject = hObject;
    }
    THandle Detach() { return std::exchange(m_hObject, nullptr); }
    BOOL DeleteObject() {
        return m_hObject ? ::DeleteObject(std::exchange(m_hObject, nullptr)) : FALSE;
    }
    THandle GetSafeHandle() const { return m_hObject; }
    operator THandle() const { return m_hObject; }
    explicit operator bool() const { return m_hObject != nullptr; }

protected:
    // Takes a newly created object; false (owning nothing new) when creation failed.
    BOOL Take(THandle hObject) {
        if (!hObject) {
            return FALSE;
        }
        Attach(hObject);
        return TRUE;
    }

    THandle m_hObject = nullptr;
};

class CBrush : public CGdiObjectT<HBRUSH> {
public:
    BOOL CreateSolidBrush(COLORREF color) { return Take(::CreateSolidBrush(color)); }
};

class CFont : public CGdiObjectT<HFONT> {
public:
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE bStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, const char* pszFaceName) {
        return Take(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                                  bStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily,
                                  ToWide(pszFaceName).c_str()));
    }
};

class CPen : public CGdiObjectT<HPEN> {
public:
    BOOL CreatePen(int nStyle, int nWidth, COLORREF color) { return Take(::CreatePen(nStyle, nWidth, color)); }
};

class CBitmap : public CGdiObjectT<HBITMAP> {
public:
    BOOL LoadBitmap(HINSTANCE hInstance, UINT nId) {
        return Take(::LoadBitmapW(hInstance, MAKEINTRESOURCEW(nId)));
    }
    BOOL CreateCompatibleBitmap(HDC hDC, int nWidth, int nHeight) {
        return Take(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
    }
    // The bitmap's size; false when there is none.
    BOOL GetSize(SIZE* pSize) const;
};

class CRgn : public CGdiObjectT<HRGN> {
public:
    BOOL CreateRectRgn(int nLeft, int nTop, int nRight, int nBottom) {
        return Take(::CreateRectRgn(nLeft, nTop, nRight, nBottom));
    }
    // Makes this region a copy of another (an empty region first when there is none yet).
    BOOL CopyRgn(HRGN hSource);
    // Gives the region to the window, which owns it from then on; this object then holds none.
    // On failure the region stays here.
    BOOL SetWindowRgn(HWND hWnd, BOOL bRedraw);
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

    PAINTSTRUCT m_ps = {};

private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::GetDC(hWnd); }
    ~CClientDC() {
        if (m_hDC) {
            ::ReleaseDC(m_hWnd, m_hDC);
        }
    }

private:
    HWND m_hWnd;
};

class CMemoryDC : public CDC {
public:
    // A DC compatible with hCompatible (the screen for null); GetSafeHdc is null when it failed.
    explicit CMemoryDC(HDC hCompatible) { m_hDC = ::CreateCompatibleDC(hCompatible); }
    ~CMemoryDC() {
        if (m_hDC) {
            ::DeleteDC(m_hDC);
        }
    }
};

// Paints a minimised window: its icon centred on the erased icon background.
void PaintMinimisedIcon(CWnd* pWnd, HICON hIcon);

// The dots per inch the window is drawn at: its monitor's for a window that follows the monitor,
// the system's otherwise (96 where Windows stretches the window itself).
int GetWindowDpi(HWND hWnd);
// The font Windows shows status bars in, made for nDpi (the system's settings are those of its own
// dpi); null when it cannot be made.
HFONT CreateStatusBarFont(int nDpi);

class CSelectGuard {
public:
    CSelectGuard(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hPrevious(::SelectObject(hDC, hObject)) {}
    ~CSelectGuard() {
        if (m_hPrevious && m_hPrevious != HGDI_ERROR) {
            ::SelectObject(m_hDC, m_hPrevious);
        }
    }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;
    // False when the object could not be selected.
    bool IsSelected() const { return m_hPrevious && m_hPrevious != HGDI_ERROR; }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};
