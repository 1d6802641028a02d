#include "Paths.h"

CString ProgramFolderFromHelpPath(const CString& strHelpFilePath) {
    int nSlash = strHelpFilePath.ReverseFind('\\');
    return nSlash < 0 ? CString() : strHelpFilePath.Left(nSlash);
}

CString DataParentBelow(const CString& strBase) { return strBase + "\\TovanoSoft"; }
CString DataFolderBelow(const CString& strBase) { return DataParentBelow(strBase) + "\\Tovano Address Book"; }
CString LegacyDataParentBelow(const CString& strWindowsFolder) {
    return strWindowsFolder + "\\Application Data\\TovanoSoft";
}
CString LegacyDataFolderBelow(const CString& strWindowsFolder) {
    return LegacyDataParentBelow(strWindowsFolder) + "\\Tovano Address Book";
}
