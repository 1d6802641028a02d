// CRegistry: the one way the program reads and writes the registry. It holds no open key:
// every operation opens its key, does its work and closes it again. Reads fall back to the
// caller's default for anything missing, too large, malformed or of another type (a number is
// a REG_DWORD, a text a REG_SZ or REG_EXPAND_SZ).
#pragma once

#include "framework/core/Object.h"
#include "framework/core/String.h"
#include "framework/base/Handles.h"

#include <windows.h>

class CRegistry : public CObject {
public:
    const char* GetRuntimeClassName() const override { return "CRegistry"; }

    // Remembers the key that ReadInt and ReadString use.
    BOOL SetKey(HKEY hRoot, const char* pszPath);
    // 0 (not the default) when no key was set.
    int ReadInt(const char* pszName, int nDefault);
    // Empty when no key was set.
    CString ReadString(const char* pszName, const char* pszDefault);

    BOOL WriteInt(HKEY hRoot, const char* pszPath, const char* pszName, int nValue);
    BOOL WriteString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszValue);
    BOOL DeleteValue(HKEY hRoot, const char* pszPath, const char* pszName);

    // The system's status code of the last write or delete (ERROR_SUCCESS when it worked).
    LONG GetLastStatus() const { return m_lLastStatus; }

    // The open key, or an empty owner (the status then in GetLastStatus).
    CRegKey OpenKey(HKEY hRoot, const char* pszPath, REGSAM access);
    CRegKey OpenOrCreateKey(HKEY hRoot, const char* pszPath);
    int QueryInt(HKEY hRoot, const char* pszPath, const char* pszName, int nDefault);
    CString QueryString(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszDefault);

private:
    HKEY m_hRoot = nullptr;
    CString m_strPath;
    LONG m_lLastStatus = ERROR_SUCCESS;
};

// The system's description of a status code, for messages.
CString DescribeSystemError(LONG lStatus);
