#include "CodePage.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

struct CodePageName {
    const char* pszName;
    UINT nCodePage;
};

const CodePageName g_codePages[] = {
    {"SHIFT_JIS", 932},     {"SHIFT-JIS", 932},     {"SJIS", 932},          {"CP932", 932},
    {"WINDOWS-31J", 932},   {"EUC-JP", 20932},      {"ISO-2022-JP", 50220}, {"GB2312", 936},
    {"GBK", 936},           {"GB18030", 54936},     {"BIG5", 950},          {"EUC-KR", 949},
    {"KOI8-R", 20866},      {"KOI8-U", 21866},      {"UTF-16", 1200},       {"UTF-7", 65000},
    {"WINDOWS-1250", 1250}, {"WINDOWS-1251", 1251}, {"WINDOWS-1253", 1253}, {"WINDOWS-1254", 1254},
    {"WINDOWS-1255", 1255}, {"WINDOWS-1256", 1256}, {"WINDOWS-1257", 1257}, {"WINDOWS-1258", 1258},
    {"ISO-8859-2", 28592},  {"ISO-8859-3", 28593},  {"ISO-8859-4", 28594},  {"ISO-8859-5", 28595},
    {"ISO-8859-6", 28596},  {"ISO-8859-7", 28597},  {"ISO-8859-8", 28598},  {"ISO-8859-9", 28599},
    {"ISO-8859-13", 28603}, {"ISO-8859-15", 28605}, {"CP936", 936},          {"CP949", 949},
    {"CP950", 950},         {"CP1251", 1251},
};

} // namespace

unsigned SystemLegacyCodePage() { return GetACP(); }

bool SystemCharsetToUtf8(const char* pszCharset, std::string_view text, std::string& out) {
    for (const CodePageName& entry : g_codePages) {
        if (strcmp(pszCharset, entry.pszName) == 0) {
            return SystemCodePageToUtf8(text, entry.nCodePage, out);
        }
    }
    return false;
}

bool SystemCodePageToUtf8(std::string_view text, unsigned nCodePage, std::string& out) {
    out.clear();
    if (text.empty()) {
        return IsValidCodePage(nCodePage) != FALSE;
    }
    if (text.size() > 0x7FFFFFFF / 4) {
        return false;
    }
    int nIn = static_cast<int>(text.size());
    // Strict first, so that text that is not in the code page is reported; then the system's
    // best reading.
    int nWide = MultiByteToWideChar(nCodePage, MB_ERR_INVALID_CHARS, text.data(), nIn, nullptr, 0);
    bool bValid = nWide > 0;
    DWORD dwFlags = bValid ? MB_ERR_INVALID_CHARS : 0;
    if (!bValid) {
        nWide = MultiByteToWideChar(nCodePage, 0, text.data(), nIn, nullptr, 0);
        if (nWide <= 0) {
            return false;
        }
    }
    std::vector<wchar_t> wide(static_cast<size_t>(nWide));
    MultiByteToWideChar(nCodePage, dwFlags, text.data(), nIn, wide.data(), nWide);
    int nUtf8 = WideCharToMultiByte(CP_UTF8, 0, wide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nUtf8 <= 0) {
        return false;
    }
    out.resize(static_cast<size_t>(nUtf8));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), nWide, &out[0], nUtf8, nullptr, nullptr);
    return bValid;
}
