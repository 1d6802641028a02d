#include "Registry.h"

#include <string>

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
    LONG lStatus = ::RegOpenKeyExA(hRoot, pszPath, 0, access, &hKey);
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
    LONG lStatus = ::RegCreateKeyExA(hRoot, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                     &hKey, nullptr);
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
    LONG lStatus = ::RegQueryValueExA(key, pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
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
    DWORD dwSize = 0;
    DWORD dwType = REG_NONE;
    if (::RegQueryValueExA(key, pszName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS ||
        (dwType != REG_SZ && dwType != REG_EXPAND_SZ)) {
        return pszDefault;
    }
    // One byte more than the data, so that text stored without its terminating zero ends.
    std::string data(static_cast<size_t>(dwSize) + 1, '\0');
    DWORD dwRead = dwSize;
    if (::RegQueryValueExA(key, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &dwRead) !=
            ERROR_SUCCESS ||
        dwRead > dwSize) {
        return pszDefault;
    }
    data.resize(dwRead);
    return CString(data.c_str());
}

BOOL CRegistry::WriteInt(HKEY hRoot, const char* pszPath, const char* pszName, int nValue) {
    CRegKey key = OpenOrCreateKey(hRoot, pszPath);
    if (!key) {
        return FALSE;
    }
    DWORD dwValue = static_cast<DWORD>(nValue);
    m_lLastStatus = ::RegSetValueExA(key, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                     sizeof dwValue);
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::WriteString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue) {
    CRegKey key = OpenOrCreateKey(hRoot, pszPath);
    if (!key) {
        return FALSE;
    }
    m_lLastStatus = ::RegSetValueExA(key, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                                     static_cast<DWORD>(std::string(pszValue).size() + 1));
    return m_lLastStatus == ERROR_SUCCESS;
}

BOOL CRegistry::DeleteValue(HKEY hRoot, const char* pszPath, const char* pszName) {
    CRegKey key = OpenKey(hRoot, pszPath, KEY_READ | KEY_WRITE);
    if (!key) {
        return FALSE;
    }
    m_lLastStatus = ::RegDeleteValueA(key, pszName);
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
