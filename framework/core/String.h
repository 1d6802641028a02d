// CString: a text in UTF-8, with the operations the program uses. It is length-counted, so any
// byte (a zero byte too) can be held; comparisons are byte-wise (for UTF-8, in the order of the
// code points) and stop at a zero byte, as C strings do. Positions and lengths count bytes.
// A value type: copies are independent. Not thread-safe beyond that.
#pragma once

#include <cstddef>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, static_cast<size_t>(nLength < 0 ? 0 : nLength)) {}
    CString(char ch, int nRepeat) : m_str(static_cast<size_t>(nRepeat < 0 ? 0 : nRepeat), ch) {}
    explicit CString(std::string str) : m_str(std::move(str)) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch) { m_str[static_cast<size_t>(nIndex)] = ch; }
    const char* GetString() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }
    const std::string& GetStdString() const { return m_str; }
    void Preallocate(int nLength) { m_str.reserve(static_cast<size_t>(nLength)); }

    CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(const CString& str) { m_str += str.m_str; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }
    CString& Append(const char* pch, int nLength) { m_str.append(pch, static_cast<size_t>(nLength)); return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }

    // Byte-wise comparison of the unsigned bytes up to the first zero byte: <0, 0 or >0.
    int Compare(const char* psz) const;
    // Exact equality of every byte.
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }

    // Case conversion of all of Unicode, character by character; both return this text.
    CString& MakeLower();
    CString& MakeUpper();

    // Index of the first occurrence at or after nStart, or -1. An empty search text is found at nStart.
    int Find(char ch, int nStart = 0) const;
    int Find(const char* pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;

    // Replaces every occurrence, scanning left to right without overlap; returns the count.
    int Replace(const char* pszOld, const char* pszNew);
    int Replace(char chOld, char chNew);

    // Substrings; out-of-range arguments are clamped.
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    // Replaces the text with printf-style formatted output.
    void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Removes white space (space, tab, CR, LF, vertical tab, form feed) or the given characters.
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& TrimLeft(const char* pszChars);
    CString& TrimRight(const char* pszChars);

private:
    std::string m_str;
};
