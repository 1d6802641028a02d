// No address book program runs on these systems.
#include "RunningProgram.h"

bool IsProgramRunning() {
    return false;
}

bool QuitRunningProgram(unsigned) {
    return true;
}

bool DefaultAddressBookPath(CString&) {
    return false;
}

bool IsProgramBook(const CString&) { return false; }

CProgramSyncAccount ProgramSyncAccount() { return CProgramSyncAccount(); }
