#include "ContactClipboard.h"

#include "framework/core/WideText.h"
#include "interchange/ContactFiles.h"
#include "interchange/ContactText.h"
#include "interchange/VCardWriter.h"

#include <cstring>

namespace {

// Clipboard format names of cards, the first the one written.
const wchar_t* const kVCardFormats[] = {L"text/vcard", L"text/x-vcard", L"text/directory"};

bool PutData(UINT nFormat, const void* pData, size_t nBytes) {
    HGLOBAL hMemory = ::GlobalAlloc(GMEM_MOVEABLE, nBytes);
    if (!hMemory) {
        return false;
    }
    void* pTarget = ::GlobalLock(hMemory);
    std::memcpy(pTarget, pData, nBytes);
    ::GlobalUnlock(hMemory);
    if (!::SetClipboardData(nFormat, hMemory)) {
        ::GlobalFree(hMemory);
        return false;
    }
    return true; // the clipboard owns the memory now
}

// The bytes of a clipboard format, or empty.
std::string GetData(UINT nFormat) {
    HANDLE hMemory = ::GetClipboardData(nFormat);
    const void* pData = hMemory ? ::GlobalLock(hMemory) : nullptr;
    if (!pData) {
        return std::string();
    }
    std::string strData(static_cast<const char*>(pData), ::GlobalSize(hMemory));
    ::GlobalUnlock(hMemory);
    return strData;
}

// Text up to its terminating zero; the memory block may be larger than the text.
std::string UpToZero(const std::string& strData) { return strData.substr(0, strData.find('\0')); }

} // namespace

bool CopyContactsToClipboard(HWND hOwner, const CContactArray& contacts) {
    if (!::OpenClipboard(hOwner)) {
        return false;
    }
    ::EmptyClipboard();
    std::wstring strText = ToWide(ContactsAsText(contacts).c_str());
    bool bDone = PutData(CF_UNICODETEXT, strText.c_str(), (strText.size() + 1) * sizeof(wchar_t));
    std::string strCards = BuildVCards(contacts, VCardVersion::v30);
    if (UINT nFormat = ::RegisterClipboardFormatW(kVCardFormats[0])) {
        bDone = PutData(nFormat, strCards.c_str(), strCards.size() + 1) && bDone;
    }
    ::CloseClipboard();
    return bDone;
}

std::string VCardTextOnClipboard(HWND hOwner) {
    if (!::OpenClipboard(hOwner)) {
        return std::string();
    }
    std::string strCards;
    for (const wchar_t* pszFormat : kVCardFormats) {
        UINT nFormat = ::RegisterClipboardFormatW(pszFormat);
        if (nFormat && ::IsClipboardFormatAvailable(nFormat)) {
            strCards = UpToZero(GetData(nFormat));
            break;
        }
    }
    if (strCards.empty() && ::IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        std::string strData = GetData(CF_UNICODETEXT);
        std::wstring strText(reinterpret_cast<const wchar_t*>(strData.data()),
                             strData.size() / sizeof(wchar_t));
        strCards = FromWide(strText.c_str()).GetStdString();
    }
    ::CloseClipboard();
    return GuessFormat(CString(), strCards) == ContactFileFormat::vcard ? strCards : std::string();
}
