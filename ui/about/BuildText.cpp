#include "BuildText.h"

const char kBuildDate[] = "Oct 22 2004";

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

CString BuildNumber(const CString& strVersion, const CString& strBuildDate) {
    CString strDay = strBuildDate.Mid(4, 2);
    strDay.Replace(" ", "0");
    CString strMonth = strBuildDate.Left(3);
    for (int i = 0; i < 12; ++i) {
        if (strMonth == kMonths[i]) {
            strMonth.Format("%02d", i + 1);
            break;
        }
    }
    CString strDigits = strVersion;
    strDigits.Replace(".", "");
    return strDigits + strBuildDate.Right(2) + strMonth + strDay;
}

CString BuildText(const CString& strVersion, const CString& strBuildDate) {
    return strVersion + " (build " + BuildNumber(strVersion, strBuildDate) + ")";
}
