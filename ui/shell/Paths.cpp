#include "Paths.h"

CString ProgramFolderFromHelpPath(const CString& strHelpFilePath) {
    int nSlash = strHelpFilePath.ReverseFind('\\');
    return nSlash < 0 ? CString() : strHelpFilePath.Left(nSlash);
}

CString DataFolderBelow(const CString& strBase) { return strBase + "\\TovanoSoft\\Tovano Address Book"; }
CString LegacyDataFolderBelow(const CString& strWindowsFolder) {
    return strWindowsFolder + "\\Application Data\\TovanoSoft\\Tovano Address Book";
}

CString HelpPageUrl(const CString& strProgramFolder) {
    CString strFolder = strProgramFolder;
    strFolder.Replace("\\", "/");
    return "file:///" + strFolder + "Help/index.html";
}

CString ParentFolderOf(const CString& strFolder) {
    int nSlash = strFolder.ReverseFind('\\');
    return nSlash < 0 ? strFolder : strFolder.Left(nSlash);
}
