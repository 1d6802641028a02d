#include "HttpTransport.h"

namespace {

char LowerAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

bool EqualIgnoringCase(const std::string& a, const char* pszB) {
    size_t i = 0;
    for (; i < a.size() && pszB[i] != '\0'; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(pszB[i])) {
            return false;
        }
    }
    return i == a.size() && pszB[i] == '\0';
}

} // namespace

std::string CHttpResponse::Header(const char* pszName) const {
    for (const auto& header : headers) {
        if (EqualIgnoringCase(header.first, pszName)) {
            return header.second;
        }
    }
    return std::string();
}
