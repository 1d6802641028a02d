#include "DibSurface.h"

CDibSurface::CDibSurface(CDC* pDC) : m_pDC(pDC) {
    m_info.header.biSize = sizeof(BITMAPINFOHEADER);
    m_info.header.biPlanes = 1;
    m_info.header.biXPelsPerMeter = 72;
    m_info.header.biYPelsPerMeter = 72;
}

int CDibSurface::SetFormat(int nBitsPerPixel) {
    BITMAPINFOHEADER& header = m_info.header;
    int nHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    int nBytes = 0;
    header.biCompression = BI_RGB;
    switch (nBitsPerPixel & 0xFFFF) {
    case 32: nBytes = 4; break;
    case 24: nBytes = 3; break;
    case 15:
    case 16: {
        nBytes = 2;
        bool bFifteen = (nBitsPerPixel & 0xFFFF) == 15;
        header.biCompression = BI_BITFIELDS;
        m_info.masks[0] = bFifteen ? 0x7C00 : 0xF800;
        m_info.masks[1] = bFifteen ? 0x03E0 : 0x07E0;
        m_info.masks[2] = 0x001F;
        break;
    }
    default: break;
    }
    header.biBitCount = static_cast<WORD>(nBytes == 2 ? 16 : nBytes * 8);
    header.biSizeImage = static_cast<DWORD>(nBytes * header.biWidth * nHeight);
    return nBytes;
}

void* CDibSurface::Attach(void* pPixels, int nWidth, int nHeight, int nBitsPerPixel) {
    m_pPixels = pPixels;
    m_info.header.biWidth = nWidth;
    m_info.header.biHeight = -nHeight; // top-down
    if (nBitsPerPixel & 0xFFFF) {
        SetFormat(nBitsPerPixel);
    }
    return m_pPixels;
}

int CDibSurface::Draw() {
    return ::SetDIBitsToDevice(m_pDC ? m_pDC->GetSafeHdc() : nullptr, m_rcDest.left, m_rcDest.top,
                               static_cast<DWORD>(m_rcDest.right - m_rcDest.left),
                               static_cast<DWORD>(m_rcDest.bottom - m_rcDest.top), m_rcSource.left, m_rcSource.top,
                               0, static_cast<UINT>(m_rcDest.bottom - m_rcDest.top), m_pPixels,
                               reinterpret_cast<const BITMAPINFO*>(&m_info), DIB_RGB_COLORS);
}
