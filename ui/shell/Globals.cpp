#include "Globals.h"

#include "Paths.h"
#include "res/Version.h"

CString g_strAddressBookPath = kAddressBookFileName;
CString g_strDataFolder;
CString g_strVersion = TBOOK_VERSION;
CString g_strProgramPath;
CString g_strProgramFolder;
std::atomic<int> g_bStartHidden{0};
int g_bLaunchOnStartup = 0;

const char kSystemCaption[] = "Tovano Address Book";
