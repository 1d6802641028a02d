#include "ValueDate.h"

#include <string>

namespace {

// Reads nCount digits at the position and moves past them; false when one is missing.
bool ReadDigits(const std::string& str, size_t& nPos, size_t nCount, int& nValue) {
    nValue = 0;
    for (size_t nEnd = nPos + nCount; nPos < nEnd; ++nPos) {
        if (nPos >= str.size() || str[nPos] < '0' || str[nPos] > '9') {
            return false;
        }
        nValue = nValue * 10 + (str[nPos] - '0');
    }
    return true;
}

void SkipDash(const std::string& str, size_t& nPos, bool bDashed) {
    if (bDashed && nPos < str.size() && str[nPos] == '-') {
        ++nPos;
    }
}

} // namespace

int DaysInMonth(int nYear, int nMonth) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // Without a year, 29 February may be right.
    bool bLeap = nYear == 0 || (nYear % 4 == 0 && (nYear % 100 != 0 || nYear % 400 == 0));
    return nMonth == 2 && !bLeap ? 28 : kDays[nMonth - 1];
}

bool ParseValueDate(const CString& strText, CValueDate& date) {
    std::string str = strText.GetStdString();
    str = str.substr(0, str.find('T'));
    size_t nPos = 0;
    CValueDate read;
    if (str.compare(0, 2, "--") == 0) {
        nPos = 2;
    } else if (!ReadDigits(str, nPos, 4, read.nYear) || read.nYear == 0) {
        return false;
    }
    const bool bDashed = str.find('-', nPos) != std::string::npos;
    SkipDash(str, nPos, bDashed && read.nYear);
    if (!ReadDigits(str, nPos, 2, read.nMonth)) {
        return false;
    }
    SkipDash(str, nPos, bDashed);
    if (!ReadDigits(str, nPos, 2, read.nDay) || nPos != str.size()) {
        return false;
    }
    if (read.nMonth < 1 || read.nMonth > 12 || read.nDay < 1 ||
        read.nDay > DaysInMonth(read.nYear, read.nMonth)) {
        return false;
    }
    date = read;
    return true;
}

CString ValueDateText(const CValueDate& date) {
    CString strText;
    if (date.nYear) {
        strText.Format("%04d-%02d-%02d", date.nYear, date.nMonth, date.nDay);
    } else {
        strText.Format("--%02d-%02d", date.nMonth, date.nDay);
    }
    return strText;
}
