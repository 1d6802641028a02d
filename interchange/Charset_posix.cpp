// Conversions of the other character sets through iconv.
#include "Charset.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Owns one iconv descriptor.
class CIconv {
public:
    explicit CIconv(const char* pszFrom) : m_cd(iconv_open("UTF-8", pszFrom)) {}
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

bool SystemCharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut) {
    CIconv conv(strCharset);
    if (!conv.IsOpen()) {
        return false;
    }
    std::string strInput(strIn);
    char* pIn = &strInput[0];
    size_t nIn = strInput.size();
    bool bValid = true;
    char buffer[1024];
    while (nIn > 0) {
        char* pOut = buffer;
        size_t nOut = sizeof buffer;
        size_t nResult = iconv(conv.Get(), &pIn, &nIn, &pOut, &nOut);
        strOut.append(buffer, static_cast<size_t>(pOut - buffer));
        if (nResult == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte that is not in the set: mark it and go on after it.
            bValid = false;
            strOut += "\xEF\xBF\xBD";
            ++pIn;
            --nIn;
        }
    }
    return bValid;
}
