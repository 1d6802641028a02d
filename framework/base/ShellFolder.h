// The system's folders as the shell names them, for the program and tbkutil alike. The lookup
// goes through Shfolder.dll, which every system with per-user folders has, found at run time.
#pragma once

#include "framework/core/String.h"

// CSIDL_LOCAL_APPDATA: the per-user local application-data folder.
const int kCsidlLocalAppData = 0x001C;

// The shell's folder for a CSIDL, or an empty text.
CString GetShellFolderPath(int nCsidl);
// Creates a folder (not its parents); an existing one is fine. False when it is not there after.
bool CreateFolder(const char* pszPath);
