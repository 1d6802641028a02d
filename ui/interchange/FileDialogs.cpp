#include "FileDialogs.h"

#include "framework/core/WideText.h"

#include <commdlg.h>

#include <string>

namespace {

// Room for the names of many files picked at once.
const size_t kNameBufferChars = 65536;

// A filter list as the dialogs take it: pairs of texts, each ending in a zero, and one more.
std::wstring FilterList(std::initializer_list<const wchar_t*> texts) {
    std::wstring strList;
    for (const wchar_t* pszText : texts) {
        strList += pszText;
        strList += L'\0';
    }
    return strList;
}

// The Save As types, in the order of ExportKind.
const struct {
    const wchar_t* pszName;
    const wchar_t* pszPattern;
    const wchar_t* pszExtension;
} kExportTypes[] = {
    {L"vCard 3.0 (*.vcf)", L"*.vcf", L"vcf"},  {L"vCard 4.0 (*.vcf)", L"*.vcf", L"vcf"},
    {L"vCard 2.1 (*.vcf)", L"*.vcf", L"vcf"},  {L"Outlook CSV (*.csv)", L"*.csv", L"csv"},
    {L"Google CSV (*.csv)", L"*.csv", L"csv"}, {L"Thunderbird CSV (*.csv)", L"*.csv", L"csv"},
};

} // namespace

std::vector<CString> AskFilesToImport(HWND hOwner) {
    std::wstring strFilter =
        FilterList({L"Contacts (*.vcf; *.csv)", L"*.vcf;*.vcard;*.csv", L"vCard (*.vcf)", L"*.vcf;*.vcard",
                    L"CSV (*.csv)", L"*.csv", L"All files (*.*)", L"*.*"});
    std::wstring strNames(kNameBufferChars, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = strFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = strNames.data();
    ofn.nMaxFile = static_cast<DWORD>(strNames.size());
    ofn.lpstrTitle = L"Import Contacts";
    ofn.Flags =
        OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    std::vector<CString> files;
    if (!::GetOpenFileNameW(&ofn)) {
        return files;
    }
    // One file: its full path. Several: the folder, then each name, each ending in a zero.
    const wchar_t* pszFirst = strNames.c_str();
    const wchar_t* pszName = pszFirst + wcslen(pszFirst) + 1;
    if (*pszName == L'\0') {
        files.push_back(FromWide(pszFirst));
        return files;
    }
    std::wstring strFolder = pszFirst;
    if (!strFolder.empty() && strFolder.back() != L'\\') {
        strFolder += L'\\';
    }
    for (; *pszName; pszName += wcslen(pszName) + 1) {
        files.push_back(FromWide((strFolder + pszName).c_str()));
    }
    return files;
}

bool AskExportTarget(HWND hOwner, const CString& strSuggestedName, CExportTarget& target) {
    std::wstring strFilter;
    for (const auto& type : kExportTypes) {
        strFilter += type.pszName;
        strFilter += L'\0';
        strFilter += type.pszPattern;
        strFilter += L'\0';
    }
    std::wstring strName = ToWide(strSuggestedName);
    strName.resize(kNameBufferChars, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = strFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = strName.data();
    ofn.nMaxFile = static_cast<DWORD>(strName.size());
    ofn.lpstrTitle = L"Export Contacts";
    // With a default extension, a name typed without one gets that of the chosen type.
    ofn.lpstrDefExt = L"vcf";
    ofn.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    if (!::GetSaveFileNameW(&ofn)) {
        return false;
    }
    DWORD nType = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= std::size(kExportTypes) ? ofn.nFilterIndex : 1;
    target.kind = static_cast<ExportKind>(nType - 1);
    target.strPath = FromWide(strName.c_str());
    return true;
}
