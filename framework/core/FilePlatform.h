// The few system primitives behind CFile's portable logic; File_win.cpp and File_posix.cpp
// implement them.
#pragma once

#include <cstdint>

struct CFileInfo;

// Opens the file as CFile's open flags say. False on failure, with the cause left for LastOsError.
bool OpenOsFile(const char* pszFileName, unsigned nOpenFlags, intptr_t& hFile);
// The error number of the system call that just failed.
long LastOsError();

// Moves pszFrom over pszTo atomically; returns 0 or the system's error number.
long RenameReplacing(const char* pszFrom, const char* pszTo);
// True for errors that another program's brief hold on a file causes.
bool IsTransientOsError(long lOsError);
void SleepBriefly(int nMilliseconds);
// The identity, size and time of an open file (FileIdentity_win.cpp, FileIdentity_posix.cpp).
bool ReadOpenFileInfo(intptr_t hFile, CFileInfo& info);
