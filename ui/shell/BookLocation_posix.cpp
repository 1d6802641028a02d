// The program runs only on Windows: here it has no data folder and never runs.
#include "BookLocation.h"

CString ProgramDataFolder() { return CString(); }

void MakeProgramDataFolder(const CString&) {}

bool IsProgramRunning() { return false; }

bool QuitRunningProgram(unsigned) { return true; }
