#include "Globals.h"

#include "Paths.h"
#include "res/Version.h"

CString g_strAddressBookPath = kAddressBookFileName;
CString g_strDataFolder;
CString g_strVersion = TBOOK_VERSION;
CString g_strProgramPath;
CString g_strProgramFolder;

const char kSystemCaption[] = "Tovano Address Book";
