#include "BrowserCommand.h"

CString ExtractBrowserProgram(const CString& strCommandLine) {
    CString strProgram = strCommandLine;
    strProgram.TrimLeft();
    if (strProgram.Find('"') != -1) {
        strProgram.TrimLeft("\"");
        int nQuote = strProgram.Find('"');
        if (nQuote != -1) {
            strProgram = strProgram.Left(nQuote);
        }
    }
    strProgram.TrimLeft();
    strProgram.MakeLower();
    const char kExe[] = ".exe";
    int nExe = strProgram.Find(kExe);
    if (nExe != -1) {
        strProgram = strProgram.Left(nExe + static_cast<int>(sizeof kExe) - 1);
    }
    return strProgram;
}

CString MakeBrowserParameters(const CString& strUrl) {
    // A URL holds no double quote of its own, so quoting it cannot be misread.
    if (strUrl.Find(' ') == -1 && strUrl.Find('\t') == -1) {
        return strUrl;
    }
    return "\"" + strUrl + "\"";
}
