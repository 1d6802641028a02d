#include "String.h"

#include "CodePage.h"
#include "Unicode.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int CString::Compare(const char* psz) const { return MbsCompare(m_str.c_str(), psz ? psz : ""); }

CString& CString::MakeLower() {
    m_str = LowerUtf8(m_str);
    return *this;
}

CString& CString::MakeUpper() {
    m_str = UpperUtf8(m_str);
    return *this;
}

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || static_cast<size_t>(nStart) >= m_str.size()) {
        return -1;
    }
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* pszSub, int nStart) const {
    if (nStart < 0 || static_cast<size_t>(nStart) > m_str.size()) {
        return -1;
    }
    size_t pos = m_str.find(pszSub ? pszSub : "", static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(const char* pszOld, const char* pszNew) {
    size_t nOld = pszOld ? std::strlen(pszOld) : 0;
    if (nOld == 0) {
        return 0;
    }
    size_t pos = m_str.find(pszOld);
    if (pos == std::string::npos) {
        return 0;
    }
    // One pass into a new buffer keeps long texts with many hits linear; a longer text is
    // counted first, so that the buffer is made once at its final length.
    size_t nNew = pszNew ? std::strlen(pszNew) : 0;
    size_t nLength = m_str.size();
    if (nNew > nOld) {
        for (size_t at = pos; at != std::string::npos; at = m_str.find(pszOld, at + nOld)) {
            nLength += nNew - nOld;
        }
    }
    std::string result;
    result.reserve(nLength);
    size_t from = 0;
    int nCount = 0;
    for (; pos != std::string::npos; pos = m_str.find(pszOld, from)) {
        result.append(m_str, from, pos - from);
        result.append(pszNew ? pszNew : "", nNew);
        from = pos + nOld;
        ++nCount;
    }
    result.append(m_str, from, std::string::npos);
    m_str.swap(result);
    return nCount;
}

int CString::Replace(char chOld, char chNew) {
    int nCount = 0;
    for (char& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++nCount;
        }
    }
    return nCount;
}

CString CString::Left(int nCount) const {
    if (nCount <= 0) {
        return CString();
    }
    return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Right(int nCount) const {
    if (nCount <= 0) {
        return CString();
    }
    size_t n = static_cast<size_t>(nCount);
    return n >= m_str.size() ? *this : CString(m_str.substr(m_str.size() - n));
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
    if (nFirst < 0) {
        nFirst = 0;
    }
    if (nCount <= 0 || static_cast<size_t>(nFirst) >= m_str.size()) {
        return CString();
    }
    return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_str.clear();
    } else {
        m_str.assign(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(&m_str[0], m_str.size(), pszFormat, args);
        m_str.resize(static_cast<size_t>(n));
    }
    va_end(args);
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_str.size() && IsTrimSpace(m_str[i])) {
        ++i;
    }
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && IsTrimSpace(m_str[n - 1])) {
        --n;
    }
    m_str.resize(n);
    return *this;
}

CString& CString::TrimLeft(const char* pszChars) {
    m_str.erase(0, m_str.find_first_not_of(pszChars ? pszChars : ""));
    return *this;
}

CString& CString::TrimRight(const char* pszChars) {
    size_t pos = m_str.find_last_not_of(pszChars ? pszChars : "");
    m_str.resize(pos == std::string::npos ? 0 : pos + 1);
    return *this;
}
