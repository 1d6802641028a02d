// No address book program runs on these systems.
#include "RunningProgram.h"

CProgramSyncAccount ProgramSyncAccount() { return CProgramSyncAccount(); }
