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

int SaneColumnWidth(int nStored) {
    return nStored >= kMinColumnWidth && nStored <= kMaxColumnWidth ? nStored : kDefaultColumnWidth;
}

namespace {

// Moves [nLow, nLow + nSize) into [nMin, nMax), which is at least nSize long.
int Within(int nLow, int nSize, int nMin, int nMax) {
    if (nLow + nSize > nMax) {
        nLow = nMax - nSize;
    }
    return nLow < nMin ? nMin : nLow;
}

} // namespace

CRectI FitWindowRect(const CRectI& rcStored, const CRectI& rcDefault, const CRectI* pWorkArea) {
    if (rcStored.Width() <= 0 || rcStored.Height() <= 0 || !pWorkArea) {
        return rcDefault;
    }
    const CRectI& work = *pWorkArea;
    bool bMeets = rcStored.left < work.right && rcStored.right > work.left && rcStored.top < work.bottom &&
                  rcStored.bottom > work.top;
    if (!bMeets) {
        return rcDefault;
    }
    int nWidth = rcStored.Width() < work.Width() ? rcStored.Width() : work.Width();
    int nHeight = rcStored.Height() < work.Height() ? rcStored.Height() : work.Height();
    int nLeft = Within(rcStored.left, nWidth, work.left, work.right);
    int nTop = Within(rcStored.top, nHeight, work.top, work.bottom);
    return {nLeft, nTop, nLeft + nWidth, nTop + nHeight};
}
