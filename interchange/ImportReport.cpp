#include "ImportReport.h"

#include <iterator>

void CImportReport::Warn(const CString& strFile, int nLine, const CString& strText) {
    CString strLine;
    if (nLine > 0) {
        strLine.Format("%s:%d: %s", strFile.GetString(), nLine, strText.GetString());
    } else {
        strLine.Format("%s: %s", strFile.GetString(), strText.GetString());
    }
    warnings.push_back(strLine);
}

void CImportReport::Append(CImportReport&& next) {
    nAdded += next.nAdded;
    nDuplicates += next.nDuplicates;
    nReplaced += next.nReplaced;
    nMovedToNote += next.nMovedToNote;
    nPhotosSkipped += next.nPhotosSkipped;
    nLinesSkipped += next.nLinesSkipped;
    warnings.insert(warnings.end(), std::make_move_iterator(next.warnings.begin()),
                    std::make_move_iterator(next.warnings.end()));
}

CString CImportReport::Summary() const {
    CString str;
    str.Format("added %d, skipped as duplicates %d, characters replaced %d, properties moved into notes %d, "
               "photos skipped %d, lines skipped %d",
               nAdded, nDuplicates, nReplaced, nMovedToNote, nPhotosSkipped, nLinesSkipped);
    return str;
}
