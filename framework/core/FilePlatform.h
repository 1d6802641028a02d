// The few system primitives behind CFile's portable logic; File_win.cpp and File_posix.cpp
// implement them.
#pragma once

// Moves pszFrom over pszTo atomically; returns 0 or the system's error number.
long RenameReplacing(const char* pszFrom, const char* pszTo);
// True for errors that another program's brief hold on a file causes.
bool IsTransientOsError(long lOsError);
void SleepBriefly(int nMilliseconds);
