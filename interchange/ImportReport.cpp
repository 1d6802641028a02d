#include "ImportReport.h"

void CImportReport::Warn(const CString& strFile, int nLine, const CString& strText) {
    CString strLine;
    if (nLine > 0) {
        strLine.Format("%s:%d: %s", strFile.GetString(), nLine, strText.GetString());
    } else {
        strLine.Format("%s: %s", strFile.GetString(), strText.GetString());
    }
    warnings.push_back(strLine);
}

CString CImportReport::Summary() const {
    CString str;
    str.Format("added %d, skipped as duplicates %d, characters replaced %d, properties moved into notes %d, "
               "photos skipped %d, lines skipped %d",
               nAdded, nDuplicates, nReplaced, nMovedToNote, nPhotosSkipped, nLinesSkipped);
    return str;
}
