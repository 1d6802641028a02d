#include "Registry.h"

#include <string>

namespace {

// Closes an open key when it goes out of scope.
class CKeyHolder {
public:
    explicit CKeyHolder(HKEY hKey) : m_hKey(hKey) {}
    ~CKeyHolder() {
        if (m_hKey) {
            ::RegCloseKey(m_hKey);
        }
    }
    CKeyHolder(const CKeyHolder&) = delete;
    CKeyHolder& operator=(const CKeyHolder&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey;
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

HKEY CRegistry::OpenKey(HKEY hRoot, const char* pszPath, REGSAM access) {
    HKEY hKey = nullptr;
    LONG lStatus = ::RegOpenKeyExA(hRoot, pszPath, 0, access, &hKey);
    if (lStatus != ERROR_SUCCESS) {
        if (hKey) {
            ::RegCloseKey(hKey);
        }
        m_lLastStatus = lStatus;
        return nullptr;
    }
    return hKey;
}

HKEY CRegistry::OpenOrCreateKey(HKEY hRoot, const char* pszPath) {
    HKEY hKey = OpenKey(hRoot, pszPath, KEY_READ | KEY_WRITE);
    if (hKey) {
        return hKey;
    }
    LONG lStatus = ::RegCreateKeyExA(hRoot, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                     &hKey, nullptr);
    m_lLastStatus = lStatus;
    return lStatus == ERROR_SUCCESS ? hKey : nullptr;
}

int CRegistry::QueryInt(HKEY hRoot, const char* pszPath, const char* pszName, int nDefault) {
    CKeyHolder key(OpenKey(hRoot, pszPath, KEY_READ));
    if (!key.Get()) {
        return nDefault;
    }
    DWORD dwValue = 0;
    DWORD dwSize = sizeof dwValue;
    LONG lStatus = ::RegQueryValueExA(key.Get(), pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    // A shorter value would leave part of the number unset.
    if (lStatus != ERROR_SUCCESS || dwSize != sizeof dwValue) {
        return nDefault;
    }
    return static_cast<int>(dwValue);
}

CString CRegistry::QueryString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszDefault) {
    CKeyHolder key(OpenKey(hRoot, pszPath, KEY_READ));
    if (!key.Get()) {
        return pszDefault;
    }
    DWORD dwSize = 0;
    if (::RegQueryValueExA(key.Get(), pszName, nullptr, nullptr, nullptr, &dwSize) != ERROR_SUCCESS) {
        return pszDefault;
    }
    // One byte more than the data, so that text stored without its terminating zero ends.
    std::string data(static_cast<size_t>(dwSize) + 1, '\0');
    DWORD dwRead = dwSize;
    if (::RegQueryValueExA(key.Get(), pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &dwRead) !=
            ERROR_SUCCESS ||
        dwRead > dwSize) {
        return pszDefault;
    }
    data.resize(dwRead);
    return CString(data.c_str());
}

BOOL CRegistry::WriteInt(HKEY hRoot, const char* pszPath, const char* pszName, int nValue) {
    CKeyHolder key(OpenOrCreateKey(hRoot, pszPath));
    if (!key.Get()) {
        return FALSE;
    }
    DWORD dwValue = static_cast<DWORD>(nValue);
    m_lLastStatus = ::RegSetValueExA(key.Get(), pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                     sizeof dwValue);
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::WriteString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue) {
    CKeyHolder key(OpenOrCreateKey(hRoot, pszPath));
    if (!key.Get()) {
        return FALSE;
    }
    m_lLastStatus = ::RegSetValueExA(key.Get(), pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                                     static_cast<DWORD>(std::string(pszValue).size() + 1));
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteValue(HKEY hRoot, const char* pszPath, const char* pszName) {
    CKeyHolder key(OpenKey(hRoot, pszPath, KEY_READ | KEY_WRITE));
    if (!key.Get()) {
        return FALSE;
    }
    m_lLastStatus = ::RegDeleteValueA(key.Get(), pszName);
    return m_lLastStatus == ERROR_SUCCESS;
}

CString DescribeSystemError(LONG lStatus) {
    char* pszMessage = nullptr;
    DWORD dwLength = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(lStatus), 0, reinterpret_cast<char*>(&pszMessage), 0,
                                      nullptr);
    CString strText;
    if (dwLength && pszMessage) {
        strText = pszMessage;
        strText.TrimRight();
    } else {
        strText.Format("System error %ld.", static_cast<long>(lStatus));
    }
    if (pszMessage) {
        ::LocalFree(pszMessage);
    }
    return strText;
}
