#include "CodePage.h"

int MbsCompare(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *p == *q) {
        ++p;
        ++q;
    }
    return static_cast<int>(*p) - static_cast<int>(*q);
}
