#include "ArtResources.h"

#include "framework/base/Thread.h"
#include "framework/win/ComRef.h"
#include "ui/controls/ArtLogic.h"
#include "ui/controls/HoverLogic.h"

#include <wincodec.h>

#include <cstring>

namespace {

const char kPngType[] = "PNG";
const char kRawType[] = "RAW";
const LPCSTR kBitmapType = MAKEINTRESOURCEA(2); // RT_BITMAP
const int kStripSide100 = 55;

// The bytes of a resource, borrowed from the module; null when it is missing.
const BYTE* ResourceBytes(HMODULE hModule, int nId, const char* pszType, DWORD* pnSize) {
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(nId), pszType);
    HGLOBAL hLoaded = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    const void* pBytes = hLoaded ? ::LockResource(hLoaded) : nullptr;
    *pnSize = pBytes ? ::SizeofResource(hModule, hResource) : 0;
    return static_cast<const BYTE*>(pBytes);
}

bool DecodeWithCom(const BYTE* pBytes, DWORD nSize, CArtPixels& picture) {
    CComRef<IWICImagingFactory> factory;
    CComRef<IWICStream> stream;
    CComRef<IWICBitmapDecoder> decoder;
    CComRef<IWICBitmapFrameDecode> frame;
    CComRef<IWICBitmapSource> converted;
    UINT nWidth = 0, nHeight = 0;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(pBytes), nSize)) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&nWidth, &nHeight)) || nWidth == 0 ||
        nHeight == 0 || nWidth > 4096 || nHeight > 4096 ||
        // Straight blue, green, red, alpha is the format every version of the component converts to.
        FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted))) {
        return false;
    }
    std::vector<uint8_t> pixels(size_t(nWidth) * size_t(nHeight) * 4);
    if (FAILED(converted->CopyPixels(nullptr, nWidth * 4, static_cast<UINT>(pixels.size()), pixels.data()))) {
        return false;
    }
    for (size_t i = 0; i < pixels.size(); i += 4) {
        std::swap(pixels[i], pixels[i + 2]);
    }
    picture.nWidth = static_cast<int>(nWidth);
    picture.nHeight = static_cast<int>(nHeight);
    picture.rgba = std::move(pixels);
    return true;
}

// The size of a BITMAP resource from its header; 0 x 0 when it is missing.
SIZE BitmapResourceSize(HMODULE hModule, UINT nBitmapId) {
    DWORD nSize = 0;
    const BYTE* pBytes = ResourceBytes(hModule, static_cast<int>(nBitmapId), kBitmapType, &nSize);
    if (!pBytes || nSize < sizeof(BITMAPINFOHEADER)) {
        return {0, 0};
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, pBytes, sizeof header);
    return {header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight};
}

// A 32-bit top-down bitmap of the picture, alpha bytes 0.
HBITMAP MakeBitmap(const CArtPixels& picture) {
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), picture.nWidth, -picture.nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (!hBitmap) {
        return nullptr;
    }
    BYTE* pOut = static_cast<BYTE*>(pBits);
    for (size_t i = 0; i < picture.rgba.size(); i += 4) {
        pOut[i] = picture.rgba[i + 2];
        pOut[i + 1] = picture.rgba[i + 1];
        pOut[i + 2] = picture.rgba[i];
        pOut[i + 3] = 0;
    }
    ::GdiFlush();
    return hBitmap;
}

// Resamples every state of a strip on its own, so that no state bleeds into the next.
bool ResampleStrip(CArtPixels& strip, int nSide) {
    const int nFrom = strip.nWidth;
    CArtPixels out;
    out.nWidth = nSide;
    out.nHeight = nSide * kHoverStateCount;
    out.rgba.resize(size_t(nSide) * size_t(out.nHeight) * 4);
    const size_t nFromBytes = size_t(nFrom) * size_t(nFrom) * 4;
    const size_t nToBytes = size_t(nSide) * size_t(nSide) * 4;
    for (int k = 0; k < kHoverStateCount; ++k) {
        if (!ResamplePicture(&strip.rgba[k * nFromBytes], nFrom, nFrom, &out.rgba[k * nToBytes], nSide,
                             nSide)) {
            return false;
        }
    }
    strip = std::move(out);
    return true;
}

bool IsStrip(const CArtPixels& picture, int nSide) {
    return picture.nWidth == nSide && picture.nHeight == nSide * kHoverStateCount;
}

} // namespace

void PrepareArtDecoding() {
    auto load = [](LPVOID) -> UINT {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            return 0;
        }
        {
            CComRef<IWICImagingFactory> factory;
            CComRef<IWICBitmapDecoder> decoder;
            if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
                factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder);
            }
        }
        ::CoUninitialize();
        return 0;
    };
    AfxBeginThread(load, nullptr, THREAD_PRIORITY_BELOW_NORMAL);
}

bool DecodePngResource(HMODULE hModule, int nId, CArtPixels& picture) {
    DWORD nSize = 0;
    const BYTE* pBytes = ResourceBytes(hModule, nId, kPngType, &nSize);
    if (!pBytes) {
        return false;
    }
    // The program's thread has COM already; a count of one more keeps this independent of that.
    const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool bRead = DecodeWithCom(pBytes, nSize, picture);
    if (SUCCEEDED(hrCom)) {
        ::CoUninitialize();
    }
    return bRead;
}

bool LoadToolStrip(HMODULE hModule, UINT nStripId, int nDpi, bool bDark, CArtPixels& strip) {
    const CArtChoice choice = ChooseArt(kStripSide100, nDpi);
    const int nDrawn = ScaledSide(kStripSide100, kArtScales[choice.nScale]);
    CArtPixels picture;
    if (choice.nScale == 0 && !bDark) {
        // The strip as the program always had it, captions included.
        DWORD nSize = 0;
        const BYTE* pBytes = ResourceBytes(hModule, static_cast<int>(nStripId), kRawType, &nSize);
        if (!pBytes || !StripFitsResource(nDrawn, nDrawn * kHoverStateCount, nSize)) {
            return false;
        }
        picture.nWidth = nDrawn;
        picture.nHeight = nDrawn * kHoverStateCount;
        picture.rgba.assign(pBytes, pBytes + size_t(nDrawn) * size_t(picture.nHeight) * 4);
    } else {
        CArtPixels captions;
        const int nId = static_cast<int>(nStripId);
        if (!DecodePngResource(hModule, ArtResourceId(nId, choice.nScale, kArtLayerPicture), picture) ||
            !DecodePngResource(
                hModule, ArtResourceId(nId, choice.nScale, bDark ? kArtLayerDarkCaption : kArtLayerCaption),
                captions) ||
            !IsStrip(picture, nDrawn) || !IsStrip(captions, nDrawn)) {
            return false;
        }
        const size_t nStatePixels = size_t(nDrawn) * size_t(nDrawn);
        if (bDark) {
            uint8_t* pDisabled = &picture.rgba[kHoverStateDisabled * nStatePixels * 4];
            MakeDarkDisabled(picture.rgba.data(), pDisabled, nStatePixels);
        }
        LayOver(picture.rgba.data(), captions.rgba.data(), nStatePixels * kHoverStateCount);
    }
    if (choice.bResample && !ResampleStrip(picture, choice.nSide)) {
        return false;
    }
    strip = std::move(picture);
    return true;
}

HBITMAP LoadArtBitmap(HMODULE hModule, UINT nBitmapId, int nDpi, bool bDark, COLORREF nKey) {
    const SIZE design = BitmapResourceSize(hModule, nBitmapId);
    if (design.cx <= 0 || design.cx != design.cy) {
        return nullptr;
    }
    const CArtChoice choice = ChooseArt(design.cx, nDpi);
    if (choice.nScale == 0 && !bDark) {
        return static_cast<HBITMAP>(
            ::LoadImageW(hModule, MAKEINTRESOURCEW(nBitmapId & 0xFFFF), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    }
    CArtPixels picture;
    const int nId = static_cast<int>(nBitmapId);
    if (!DecodePngResource(hModule,
                           ArtResourceId(nId, choice.nScale, bDark ? kArtLayerDarkPicture : kArtLayerPicture),
                           picture)) {
        return nullptr;
    }
    if (choice.bResample) {
        CArtPixels resampled;
        resampled.nWidth = resampled.nHeight = choice.nSide;
        resampled.rgba.resize(size_t(choice.nSide) * size_t(choice.nSide) * 4);
        // COLORREF is 0x00BBGGRR, the pictures' colours 0x00RRGGBB.
        const uint32_t nFace = bDark ? kArtDarkFace : kArtLightFace;
        const bool bDone = nKey == CLR_INVALID
                               ? ResamplePicture(picture.rgba.data(), picture.nWidth, picture.nHeight,
                                                 resampled.rgba.data(), choice.nSide, choice.nSide)
                               : ResampleKeyedPicture(picture.rgba.data(), picture.nWidth, picture.nHeight,
                                                      resampled.rgba.data(), choice.nSide, choice.nSide,
                                                      uint32_t(GetRValue(nKey)) << 16 |
                                                          uint32_t(GetGValue(nKey)) << 8 | GetBValue(nKey),
                                                      nFace);
        if (!bDone) {
            return nullptr;
        }
        picture = std::move(resampled);
    }
    return MakeBitmap(picture);
}

bool PaintsDarkFace(HWND hWnd) {
    HDC hScreen = ::GetDC(nullptr);
    HDC hMemory = hScreen ? ::CreateCompatibleDC(hScreen) : nullptr;
    HBITMAP hPixel = hScreen ? ::CreateCompatibleBitmap(hScreen, 1, 1) : nullptr;
    bool bDark = false;
    if (hMemory && hPixel) {
        HGDIOBJ hOld = ::SelectObject(hMemory, hPixel);
        // A dialog erases with the brush it answers WM_CTLCOLORDLG with; a window that erases
        // nothing counts as light, as windows are unless they say otherwise.
        ::SetPixel(hMemory, 0, 0, RGB(255, 255, 255));
        ::SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hMemory), 0);
        const COLORREF face = ::GetPixel(hMemory, 0, 0);
        ::SelectObject(hMemory, hOld);
        bDark = face != CLR_INVALID &&
                299 * GetRValue(face) + 587 * GetGValue(face) + 114 * GetBValue(face) < 128 * 1000;
    }
    if (hPixel) {
        ::DeleteObject(hPixel);
    }
    if (hMemory) {
        ::DeleteDC(hMemory);
    }
    if (hScreen) {
        ::ReleaseDC(nullptr, hScreen);
    }
    return bDark;
}
