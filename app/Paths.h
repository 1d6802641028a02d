// How the program's paths are formed from what the system reports; no system calls here.
#pragma once

#include "framework/core/String.h"

// The folder of the executable, from its help-file path (the executable's path with another
// extension): everything before the last backslash.
CString ProgramFolderFromHelpPath(const CString& strHelpFilePath);

// The data folder below a per-user base folder, and its parent.
CString DataFolderBelow(const CString& strBase);
CString DataParentBelow(const CString& strBase);
// The same below the Windows folder, for systems without per-user folders.
CString LegacyDataFolderBelow(const CString& strWindowsFolder);
CString LegacyDataParentBelow(const CString& strWindowsFolder);

const char kAddressBookFileName[] = "tbk.xml";
// The program's file name; its single-instance token is a file mapping of this name.
const char kProgramFileName[] = "tbook.exe";
const char kShowEventName[] = "ApplicationTovanoAddressBookShow";
const char kQuitEventName[] = "ApplicationTovanoAddressBookQuit";
