#include "SettingsLogic.h"

const char* const kWindowValueNames[4] = {"WindowLeft", "WindowTop", "WindowRight", "WindowBottom"};
const char* const kColumnWidthValueNames[kColumnCount] = {
    "LastNameWidth", "FirstNameWidth",   "HomePhoneWidth",  "MobileWidth",
    "HomeEMailWidth", "CompanyWidth", "OfficePhoneWidth", "OfficeEMailWidth",
};

bool ShouldStoreWindowRect(const CRectI& rect) {
    return rect.left >= 0 && rect.top >= 0 && rect.right >= 0 && rect.bottom >= 0;
}

CString MakeRunValue(const CString& strProgramPath) { return "\"" + strProgramPath + "\" -m"; }

bool IsRegisteredToRun(const CString& strRunValue) { return strRunValue != kRunValueMissing; }
