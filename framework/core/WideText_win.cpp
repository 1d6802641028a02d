#include "WideText.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

// The encoding of the program's strings.
const UINT kTextCodePage = CP_UTF8;

std::wstring Widen(const char* pch, int nLength) {
    if (nLength <= 0) {
        return std::wstring();
    }
    int nWide = MultiByteToWideChar(kTextCodePage, 0, pch, nLength, nullptr, 0);
    std::wstring wide(static_cast<size_t>(nWide > 0 ? nWide : 0), L'\0');
    if (nWide > 0) {
        MultiByteToWideChar(kTextCodePage, 0, pch, nLength, &wide[0], nWide);
    }
    return wide;
}

} // namespace

std::wstring ToWide(const char* psz) {
    return psz ? Widen(psz, static_cast<int>(strlen(psz))) : std::wstring();
}

std::wstring ToWide(const CString& str) { return Widen(str.GetString(), str.GetLength()); }

CString FromWide(const wchar_t* pwsz, int nLength) {
    if (!pwsz) {
        return CString();
    }
    if (nLength < 0) {
        nLength = static_cast<int>(wcslen(pwsz));
    }
    if (nLength == 0) {
        return CString();
    }
    int nBytes = WideCharToMultiByte(kTextCodePage, 0, pwsz, nLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    if (nBytes > 0) {
        WideCharToMultiByte(kTextCodePage, 0, pwsz, nLength, &text[0], nBytes, nullptr, nullptr);
    }
    return CString(std::move(text));
}
