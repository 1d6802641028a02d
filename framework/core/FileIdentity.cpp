#include "FileIdentity.h"

#include <algorithm>

namespace {

// The folder part and the name part of a path; both separators count, since Windows takes
// either.
void SplitPath(const CString& strPath, CString& strFolder, CString& strName) {
    int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    strFolder = nSlash < 0 ? CString(".") : strPath.Left(nSlash == 0 ? 1 : nSlash);
    strName = strPath.Mid(nSlash + 1);
}

} // namespace

bool IsSameFile(const char* pszA, const char* pszB) {
    CFileInfo a;
    CFileInfo b;
    bool bA = ReadFileInfo(pszA, a, nullptr);
    bool bB = ReadFileInfo(pszB, b, nullptr);
    if (bA || bB) {
        return bA && bB && a.identity == b.identity;
    }
    CString strFolderA, strNameA, strFolderB, strNameB;
    SplitPath(pszA, strFolderA, strNameA);
    SplitPath(pszB, strFolderB, strNameB);
    if (!IsSameFileName(strNameA, strNameB)) {
        return false;
    }
    bA = ReadFileInfo(strFolderA, a, nullptr);
    bB = ReadFileInfo(strFolderB, b, nullptr);
    if (bA || bB) {
        return bA && bB && a.identity == b.identity;
    }
    return strFolderA == strFolderB;
}
