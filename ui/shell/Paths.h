// How the program's paths are formed from what the system reports; no system calls here.
#pragma once

#include "framework/core/String.h"

// The folder of the executable, from its help-file path (the executable's path with another
// extension): everything before the last backslash.
CString ProgramFolderFromHelpPath(const CString& strHelpFilePath);

// The data folder below a per-user base folder.
CString DataFolderBelow(const CString& strBase);
// The same below the Windows folder, for systems without per-user folders.
CString LegacyDataFolderBelow(const CString& strWindowsFolder);
// Everything before the last backslash (the whole text when there is none).
CString ParentFolderOf(const CString& strFolder);
// The help page beside the program as a file URL: the folder (ending in a backslash) with
// forward slashes. Nothing else is escaped: a browser takes blanks in a file URL as they are.
CString HelpPageUrl(const CString& strProgramFolder);

const char kAddressBookFileName[] = "tbk.xml";
// The program's file name; its single-instance token is a file mapping of this name.
const char kProgramFileName[] = "tbook.exe";
const char kShowEventName[] = "ApplicationTovanoAddressBookShow";
const char kQuitEventName[] = "ApplicationTovanoAddressBookQuit";
// A file mapping holding the running program's main window, for later starts to hand it files.
const char kWindowBeaconName[] = "ApplicationTovanoAddressBookWindow";
// The synchronisation account's registry key below HKEY_CURRENT_USER, and the values tbkutil
// reads there too.
const char kSyncKeyPath[] = "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Sync";
const char kSyncAddressValue[] = "Address";
const char kSyncBookUrlValue[] = "BookUrl";
const char kSyncCertificateValue[] = "TrustedCertificate";
