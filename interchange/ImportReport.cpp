#include "ImportReport.h"

#include <iterator>
#include <string>

void CImportReport::Warn(const CString& strFile, int nLine, const CString& strText) {
    // Put together in one text made at its length rather than formatted: a large import may
    // warn for every contact.
    const std::string& strName = strFile.GetStdString();
    std::string strLine;
    strLine.reserve(strName.size() + 14 + static_cast<size_t>(strText.GetLength()));
    strLine += strName;
    if (nLine > 0) {
        strLine += ':';
        strLine += std::to_string(nLine);
    }
    strLine += ": ";
    strLine += strText.GetStdString();
    warnings.push_back(CString(std::move(strLine)));
}

void CImportReport::Append(CImportReport&& next) {
    nAdded += next.nAdded;
    nDuplicates += next.nDuplicates;
    nMerged += next.nMerged;
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
               "photos skipped %d, lines skipped %d, duplicates merged %d",
               nAdded, nDuplicates, nReplaced, nMovedToNote, nPhotosSkipped, nLinesSkipped, nMerged);
    return str;
}

const CString& CImportSources::NameOf(int nContact) const {
    static const CString s_strNone;
    const CString* pName = &s_strNone;
    for (const auto& [nFirst, strName] : m_starts) {
        if (nFirst <= nContact) {
            pName = &strName;
        }
    }
    return *pName;
}
