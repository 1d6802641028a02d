#include "FileDialogs.h"

#include "framework/core/WideText.h"

#include <commdlg.h>

#include <string>

namespace {

// Room for the names of many files picked at once.
const size_t kNameBufferChars = 65536;

struct CFileType {
    const wchar_t* pszName;
    const wchar_t* pszPattern;
};

const CFileType kImportTypes[] = {
    {L"Contacts (*.vcf; *.csv)", L"*.vcf;*.vcard;*.csv"},
    {L"vCard (*.vcf)", L"*.vcf;*.vcard"},
    {L"CSV (*.csv)", L"*.csv"},
    {L"All files (*.*)", L"*.*"},
};

const CFileType kPictureTypes[] = {
    {L"Pictures (*.jpg; *.png; *.gif; *.bmp)", L"*.jpg;*.jpeg;*.png;*.gif;*.bmp;*.tif;*.tiff"},
    {L"All files (*.*)", L"*.*"},
};

// The Save As types, in the order of ExportKind.
const CFileType kExportTypes[] = {
    {L"vCard 3.0 (*.vcf)", L"*.vcf"},   {L"vCard 4.0 (*.vcf)", L"*.vcf"},  {L"vCard 2.1 (*.vcf)", L"*.vcf"},
    {L"Outlook CSV (*.csv)", L"*.csv"}, {L"Google CSV (*.csv)", L"*.csv"}, {L"Thunderbird CSV (*.csv)", L"*.csv"},
};

// What both dialogs are given. The filter list and the name buffer live in the object, which
// must outlive the dialog's run.
class CDialogOptions {
public:
    template <size_t N>
    CDialogOptions(HWND hOwner, const wchar_t* pszTitle, const CFileType (&types)[N], const CString& strName) {
        for (const CFileType& type : types) {
            // Pairs of texts, each ending in a zero, and one more zero after the last.
            m_strFilter += type.pszName + std::wstring(1, L'\0') + type.pszPattern + std::wstring(1, L'\0');
        }
        m_strName = ToWide(strName);
        m_strName.resize(kNameBufferChars, L'\0');
        m_ofn.lStructSize = sizeof m_ofn;
        m_ofn.hwndOwner = hOwner;
        m_ofn.lpstrFilter = m_strFilter.c_str();
        m_ofn.nFilterIndex = 1;
        m_ofn.lpstrFile = m_strName.data();
        m_ofn.nMaxFile = static_cast<DWORD>(m_strName.size());
        m_ofn.lpstrTitle = pszTitle;
    }
    CDialogOptions(const CDialogOptions&) = delete;
    CDialogOptions& operator=(const CDialogOptions&) = delete;

    OPENFILENAMEW m_ofn = {};
    std::wstring m_strName;

private:
    std::wstring m_strFilter;
};

} // namespace

std::vector<CString> AskFilesToImport(HWND hOwner) {
    CDialogOptions options(hOwner, L"Import Contacts", kImportTypes, CString());
    options.m_ofn.Flags =
        OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    std::vector<CString> files;
    if (!::GetOpenFileNameW(&options.m_ofn)) {
        return files;
    }
    // One file: its full path. Several: the folder, then each name, each ending in a zero.
    const wchar_t* pszFirst = options.m_strName.c_str();
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
    CDialogOptions options(hOwner, L"Export Contacts", kExportTypes, strSuggestedName);
    // With a default extension, a name typed without one gets that of the chosen type.
    options.m_ofn.lpstrDefExt = L"vcf";
    options.m_ofn.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    if (!::GetSaveFileNameW(&options.m_ofn)) {
        return false;
    }
    DWORD nType = options.m_ofn.nFilterIndex;
    target.kind = static_cast<ExportKind>(nType >= 1 && nType <= std::size(kExportTypes) ? nType - 1 : 0);
    target.strPath = FromWide(options.m_strName.c_str());
    return true;
}

CString AskPictureFile(HWND hOwner) {
    CDialogOptions options(hOwner, L"Choose Photo", kPictureTypes, CString());
    options.m_ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return ::GetOpenFileNameW(&options.m_ofn) ? FromWide(options.m_strName.c_str()) : CString();
}
