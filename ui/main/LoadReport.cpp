#include "LoadReport.h"

namespace {

const char kKept[] = "\n\nThe file is kept as it is: before the first change is saved, it is copied to a backup "
                     "in the same folder.";

} // namespace

CString DescribeIncompleteLoad(const CString& strPath, const CLoadResult& result) {
    CString strText;
    if (result.status == LoadStatus::unreadable) {
        strText.Format("The address book file could not be read:\n%s", result.failure.GetErrorMessage().GetString());
    } else if (result.nWarnings > 1) {
        strText.Format("The address book file %s could not be read completely: %d more warnings followed the "
                       "first one.",
                       strPath.GetString(), result.nWarnings - 1);
    } else {
        strText.Format("The address book file %s could not be read completely: it is damaged or cut off, "
                       "so some contacts may be missing from the list.",
                       strPath.GetString());
    }
    return strText + kKept;
}

CString ShortenWarning(const CString& strWarning) {
    if (strWarning.GetLength() <= kMaxShownWarning) {
        return strWarning;
    }
    // Not inside a character of several bytes (UTF-8 continues with 10xxxxxx).
    int nCut = kMaxShownWarning;
    while (nCut > 0 && (static_cast<unsigned char>(strWarning[nCut]) & 0xC0) == 0x80) {
        --nCut;
    }
    return strWarning.Left(nCut) + "...";
}
