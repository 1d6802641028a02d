#include "BookFormat.h"

#include "Contact.h"
#include "framework/core/CodePage.h"

#include <climits>

int FieldOfElement(std::string_view name, int nExpected) {
    if (nExpected >= 0 && nExpected < CContact::kFieldCount && name == CContact::FieldTag(nExpected)) {
        return nExpected;
    }
    if (name == kIdElement) {
        return kIdField;
    }
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        if (name == CContact::FieldTag(i)) {
            return i;
        }
    }
    return kNoField;
}

int ParseIdValue(const char* pszText) {
    const char* p = pszText;
    while (IsTrimSpace(*p)) {
        ++p;
    }
    bool bNegative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    long long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (*p - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) {
            n = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (bNegative) {
        n = -n;
    }
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}
