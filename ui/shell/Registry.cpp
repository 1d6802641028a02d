#include "Registry.h"

#include "framework/core/WideText.h"

#include <string>

namespace {

// A value's name for the W functions; null stays null (the key's default value).
struct CValueName {
    explicit CValueName(const char* pszName) : m_name(ToWide(pszName)), m_bNull(pszName == nullptr) {}
    const wchar_t* Get() const { return m_bNull ? nullptr : m_name.c_str(); }

private:
    std::wstring m_name;
    bool m_bNull;
};

} // namespace

BOOL CRegistry::SetKey(HKEY hRoot, const char* pszPath) {
    m_hRoot = hRoot;
    m_strPath = pszPath;
    return TRUE;
}

int CRegistry::ReadInt(const char* pszName, int nDefault) {
    return m_hRoot ? QueryInt(m_hRoot, m_strPath, pszName, nDefault) : 0;
}

CString CRegistry::ReadString(const char* pszName, const char* pszDefault) {
    return m_hRoot ? QueryString(m_hRoot, m_strPath, pszName, pszDefault) : CString();
}

CRegKey CRegistry::OpenKey(HKEY hRoot, const char* pszPath, REGSAM access) {
    HKEY hKey = nullptr;
    LONG lStatus = ::RegOpenKeyExW(hRoot, ToWide(pszPath).c_str(), 0, access, &hKey);
    CRegKey key(hKey); // a key handed out with a failure is closed all the same
    if (lStatus != ERROR_SUCCESS) {
        m_lLastStatus = lStatus;
        return CRegKey();
    }
    return key;
}

CRegKey CRegistry::OpenOrCreateKey(HKEY hRoot, const char* pszPath) {
    CRegKey key = OpenKey(hRoot, pszPath, KEY_READ | KEY_WRITE);
    if (key) {
        return key;
    }
    HKEY hKey = nullptr;
    LONG lStatus = ::RegCreateKeyExW(hRoot, ToWide(pszPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    m_lLastStatus = lStatus;
    key.Attach(lStatus == ERROR_SUCCESS ? hKey : nullptr);
    return key;
}

int CRegistry::QueryInt(HKEY hRoot, const char* pszPath, const char* pszName, int nDefault) {
    CRegKey key = OpenKey(hRoot, pszPath, KEY_READ);
    if (!key) {
        return nDefault;
    }
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    DWORD dwType = REG_NONE;
    LONG lStatus = ::RegQueryValueExW(key, CValueName(pszName).Get(), nullptr, &dwType,
                                      reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    // Only a number is a number: four bytes of text or binary data would read as nonsense, and a
    // shorter value would leave part of it unset.
    if (lStatus != ERROR_SUCCESS || dwType != REG_DWORD || dwSize != sizeof dwValue) {
        return nDefault;
    }
    return static_cast<int>(dwValue);
}

CString CRegistry::QueryString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszDefault) {
    CRegKey key = OpenKey(hRoot, pszPath, KEY_READ);
    if (!key) {
        return pszDefault;
    }
    CValueName name(pszName);
    DWORD dwSize = 0;
    DWORD dwType = REG_NONE;
    if (::RegQueryValueExW(key, name.Get(), nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ)) {
        return pszDefault;
    }
    // One character more than the data, so that text stored without its terminating zero ends.
    std::wstring data(static_cast<size_t>(dwSize) / sizeof(wchar_t) + 2, L'\0');
    DWORD dwRead = dwSize;
    if (::RegQueryValueExW(key, name.Get(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &dwRead) !=
            ERROR_SUCCESS ||
        dwRead > dwSize) {
        return pszDefault;
    }
    data.resize(dwRead / sizeof(wchar_t));
    return FromWide(data.c_str());
}

BOOL CRegistry::WriteInt(HKEY hRoot, const char* pszPath, const char* pszName, int nValue) {
    CRegKey key = OpenOrCreateKey(hRoot, pszPath);
    if (!key) {
        return FALSE;
    }
    DWORD dwValue = static_cast<DWORD>(nValue);
    m_lLastStatus = ::RegSetValueExW(key, CValueName(pszName).Get(), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue);
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::WriteString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue) {
    CRegKey key = OpenOrCreateKey(hRoot, pszPath);
    if (!key) {
        return FALSE;
    }
    std::wstring value = ToWide(pszValue);
    m_lLastStatus = ::RegSetValueExW(key, CValueName(pszName).Get(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteValue(HKEY hRoot, const char* pszPath, const char* pszName) {
    CRegKey key = OpenKey(hRoot, pszPath, KEY_READ | KEY_WRITE);
    if (!key) {
        return FALSE;
    }
    m_lLastStatus = ::RegDeleteValueW(key, CValueName(pszName).Get());
    return m_lLastStatus == ERROR_SUCCESS;
}

CString DescribeSystemError(LONG lStatus) {
    wchar_t* pszMessage = nullptr;
    DWORD dwLength = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(lStatus), 0, reinterpret_cast<wchar_t*>(&pszMessage),
                                      0, nullptr);
    CString strText;
    if (dwLength && pszMessage) {
        strText = FromWide(pszMessage);
        strText.TrimRight();
    } else {
        strText.Format("System error %ld.", static_cast<long>(lStatus));
    }
    if (pszMessage) {
        ::LocalFree(pszMessage);
    }
    return strText;
}
