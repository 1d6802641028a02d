#include "PhotoBox.h"

#include "framework/win/ComRef.h"
#include "framework/win/Theme.h"
#include "res/resource.h"
#include "ui/editor/ValueText.h"
#include "ui/interchange/FileDialogs.h"
#include "ui/shell/Globals.h"

#include <wincodec.h>

#include <iterator>
#include <vector>

namespace {

const char kNoPicture[] =
    "The file is not a picture this program can show. Choose a JPEG, PNG, GIF or BMP picture.";
const char kPictureTooLarge[] = "The picture is larger than 3 MB. Choose a smaller picture for the photo.";

// The picture scaled into the box (FitPicture) over the box's background, in premultiplied
// BGRA rows of nBoxWidth pixels; false when the system cannot read the picture.
bool ScaledPictureWithCom(const std::string& strBytes, int nBoxWidth, int nBoxHeight, COLORREF background,
                          std::vector<BYTE>& pixels) {
    CComRef<IWICImagingFactory> factory;
    CComRef<IWICStream> stream;
    CComRef<IWICBitmapDecoder> decoder;
    CComRef<IWICBitmapFrameDecode> frame;
    CComRef<IWICBitmapScaler> scaler;
    CComRef<IWICFormatConverter> converter;
    UINT nWidth = 0, nHeight = 0;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(strBytes.data())),
                                            static_cast<DWORD>(strBytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&nWidth, &nHeight))) {
        return false;
    }
    const CRectI shown = FitPicture(static_cast<int>(nWidth), static_cast<int>(nHeight), nBoxWidth, nBoxHeight);
    std::vector<BYTE> picture(static_cast<size_t>(shown.Width()) * static_cast<size_t>(shown.Height()) * 4);
    if (shown.Width() <= 0 || FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(frame.Get(), static_cast<UINT>(shown.Width()), static_cast<UINT>(shown.Height()),
                                  WICBitmapInterpolationModeFant)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(scaler.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(shown.Width()) * 4, static_cast<UINT>(picture.size()),
                                     picture.data()))) {
        return false;
    }
    // A picture with transparent parts shows the box's background through them.
    const BYTE back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    pixels.assign(static_cast<size_t>(nBoxWidth) * static_cast<size_t>(nBoxHeight) * 4, 0);
    for (int y = 0; y < nBoxHeight; ++y) {
        for (int x = 0; x < nBoxWidth; ++x) {
            BYTE* pOut = &pixels[(static_cast<size_t>(y) * nBoxWidth + x) * 4];
            const bool bInside = x >= shown.left && x < shown.right && y >= shown.top && y < shown.bottom;
            const BYTE* pIn = bInside ? &picture[(static_cast<size_t>(y - shown.top) * shown.Width() +
                                                  (x - shown.left)) * 4]
                                      : nullptr;
            for (int c = 0; c < 3; ++c) {
                pOut[c] = pIn ? static_cast<BYTE>(pIn[c] + back[c] * (255 - pIn[3]) / 255) : back[c];
            }
            pOut[3] = 255;
        }
    }
    return true;
}

bool ScaledPicture(const std::string& strBytes, int nBoxWidth, int nBoxHeight, COLORREF background,
                   std::vector<BYTE>& pixels) {
    // The program's thread has COM already; a count of one more keeps this independent of that.
    const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool bRead = ScaledPictureWithCom(strBytes, nBoxWidth, nBoxHeight, background, pixels);
    if (SUCCEEDED(hrCom)) {
        ::CoUninitialize();
    }
    return bRead;
}

} // namespace

const CMessageTable* CPhotoBox::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CPhotoBox::OnChoose>(IDC_PHOTO_CHOOSE),
        OnCommand<&CPhotoBox::OnRemove>(IDC_PHOTO_REMOVE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

void CPhotoBox::Init(const CString& strPhoto, const CPhotoFolder* pPhotos) {
    m_pPhotos = pPhotos;
    m_strPhoto = strPhoto;
    std::string strBytes;
    CFileException error;
    if (!strPhoto.IsEmpty() &&
        !(pPhotos ? pPhotos->Read(strPhoto, strBytes, &error) : InlinePhotoBytes(strPhoto, strBytes))) {
        strBytes.clear(); // its file is gone: the value stays, the box says so
    }
    if (!Show(strBytes)) {
        Show(std::string());
    }
    UpdateButtons();
}

bool CPhotoBox::TakePictureFile(const CString& strPath) {
    std::string strBytes;
    CFileException error;
    CFileInfo info;
    if (ReadFileInfo(strPath, info, nullptr) && info.nSize > kMaxPictureBytes) {
        m_dialog.MessageBox(kPictureTooLarge, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!ReadWholeFile(strPath, strBytes, error)) {
        m_dialog.MessageBox(error.GetErrorMessage(), kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (strBytes.empty() || !Show(strBytes)) {
        m_dialog.MessageBox(kNoPicture, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_strPhoto = InlinePhoto(strBytes);
    UpdateButtons();
    return true;
}

void CPhotoBox::OnChoose() {
    CString strPath = AskPictureFile(m_dialog.m_hWnd);
    if (!strPath.IsEmpty()) {
        TakePictureFile(strPath);
    }
}

void CPhotoBox::OnRemove() {
    m_strPhoto.Empty();
    Show(std::string());
    UpdateButtons();
    // Remove went grey under the focus; Choose takes it.
    m_dialog.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_dialog.GetDlgItem(IDC_PHOTO_CHOOSE)), TRUE);
}

bool CPhotoBox::Show(const std::string& strBytes) {
    HWND hBox = m_dialog.GetDlgItem(IDC_PHOTO);
    RECT box;
    ::GetClientRect(hBox, &box);
    const int nWidth = box.right, nHeight = box.bottom;
    if (nWidth <= 0 || nHeight <= 0) {
        return false;
    }
    std::vector<BYTE> pixels;
    const CThemeColors& colors = CTheme::Current().Colors();
    const COLORREF background = colors.face;
    if (!strBytes.empty() && !ScaledPicture(strBytes, nWidth, nHeight, background, pixels)) {
        return false;
    }
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -nHeight; // top-down, as WIC gives the rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    CBitmap picture;
    CClientDC dc(hBox);
    picture.Attach(::CreateDIBSection(dc.GetSafeHdc(), &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!picture.GetSafeHandle() || !pBits) {
        return false;
    }
    if (!pixels.empty()) {
        std::copy(pixels.begin(), pixels.end(), static_cast<BYTE*>(pBits));
    } else {
        // No picture: the words, in the dialog's font, on the box's background.
        HDC hMemory = ::CreateCompatibleDC(dc.GetSafeHdc());
        HGDIOBJ hOldBitmap = ::SelectObject(hMemory, picture.GetSafeHandle());
        HGDIOBJ hOldFont = ::SelectObject(hMemory, reinterpret_cast<HFONT>(m_dialog.SendMessage(WM_GETFONT)));
        ::FillRect(hMemory, &box, CTheme::Current().FaceBrush());
        ::SetBkMode(hMemory, TRANSPARENT);
        ::SetTextColor(hMemory, colors.grayText);
        ::DrawTextW(hMemory, L"No photo", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::SelectObject(hMemory, hOldFont);
        ::SelectObject(hMemory, hOldBitmap);
        ::DeleteDC(hMemory);
    }
    ::SendMessageW(hBox, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.GetSafeHandle()));
    // The box may have made a copy (as it does of a bitmap with alpha); the one shown is freed
    // with the next, the box's own copy with the box.
    m_picture.Attach(picture.Detach());
    return true;
}

void CPhotoBox::FollowTheme() {
    std::string strBytes;
    CFileException error;
    if (!m_strPhoto.IsEmpty() && !InlinePhotoBytes(m_strPhoto, strBytes) &&
        !(m_pPhotos && m_pPhotos->Read(m_strPhoto, strBytes, &error))) {
        strBytes.clear();
    }
    if (!Show(strBytes)) {
        Show(std::string());
    }
}

void CPhotoBox::UpdateButtons() const {
    ::EnableWindow(m_dialog.GetDlgItem(IDC_PHOTO_REMOVE), !m_strPhoto.IsEmpty());
}
