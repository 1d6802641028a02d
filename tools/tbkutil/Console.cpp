#include "Console.h"

#include <cstdarg>

void Print(FILE* pStream, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int nLength = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    std::string strText(nLength > 0 ? static_cast<size_t>(nLength) + 1 : 1, '\0');
    if (nLength > 0) {
        std::vsnprintf(&strText[0], strText.size(), pszFormat, args);
    }
    va_end(args);
    strText.resize(nLength > 0 ? static_cast<size_t>(nLength) : 0);
    WriteText(pStream, strText);
}
