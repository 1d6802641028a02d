// Character sets through iconv, which names code pages "CP" and their number.
#include "CodePage.h"

#include <cerrno>
#include <iconv.h>

#include <string>

namespace {

// Owns one iconv descriptor.
class CIconv {
public:
    explicit CIconv(const std::string& strFrom) : m_cd(iconv_open("UTF-8", strFrom.c_str())) {}
    ~CIconv() {
        if (IsOpen()) {
            iconv_close(m_cd);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

unsigned SystemLegacyCodePage() { return kCodePage1252; }

bool SystemCodePageToUtf8(std::string_view text, unsigned nCodePage, std::string& out) {
    return SystemCharsetToUtf8(("CP" + std::to_string(nCodePage)).c_str(), text, out);
}

bool SystemCharsetToUtf8(const char* pszCharset, std::string_view text, std::string& out) {
    out.clear();
    CIconv conv(pszCharset);
    if (!conv.IsOpen()) {
        return false;
    }
    std::string input(text);
    char* pIn = input.empty() ? nullptr : &input[0];
    size_t nIn = input.size();
    bool bValid = true;
    char buffer[1024];
    while (nIn > 0) {
        char* pOut = buffer;
        size_t nOut = sizeof buffer;
        size_t nResult = iconv(conv.Get(), &pIn, &nIn, &pOut, &nOut);
        out.append(buffer, static_cast<size_t>(pOut - buffer));
        if (nResult == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte that is not in the code page: mark it and go on after it.
            bValid = false;
            out += "\xEF\xBF\xBD";
            ++pIn;
            --nIn;
        }
    }
    return bValid;
}
