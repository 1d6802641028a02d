#include "ContactFiles.h"

#include "ImportSelection.h"
#include "VCardReader.h"
#include "VCardWriter.h"
#include "data/AddressBookWriter.h"
#include "framework/core/File.h"

#include <algorithm>
#include <cstring>

namespace {

bool EndsWith(const CString& str, const char* pszEnd) {
    return str.Right(static_cast<int>(strlen(pszEnd))) == pszEnd;
}

// How far into the data a card's beginning is looked for.
const size_t kSniffBytes = 4096;

} // namespace

ContactFileFormat FormatFromName(const CString& strName) {
    CString str = strName;
    str.MakeLower();
    if (str == "vcf" || str == "vcard" || EndsWith(str, ".vcf") || EndsWith(str, ".vcard")) {
        return ContactFileFormat::vcard;
    }
    if (str == "csv" || EndsWith(str, ".csv")) {
        return ContactFileFormat::csv;
    }
    return ContactFileFormat::unknown;
}

ContactFileFormat GuessFormat(const CString& strName, const std::string& strData) {
    ContactFileFormat format = FormatFromName(strName);
    if (format != ContactFileFormat::unknown) {
        return format;
    }
    // The zero bytes of UTF-16 dropped, a card's first line reads the same in every encoding.
    std::string strStart;
    for (size_t i = 0; i < std::min(strData.size(), kSniffBytes); ++i) {
        if (strData[i] != '\0') {
            strStart +=
                static_cast<char>(strData[i] >= 'a' && strData[i] <= 'z' ? strData[i] - 32 : strData[i]);
        }
    }
    return strStart.find("BEGIN:VCARD") != std::string::npos ? ContactFileFormat::vcard
                                                             : ContactFileFormat::csv;
}

std::string BuildExport(const CContactArray& contacts, ExportKind kind, const CPhotoFolder* pPhotos) {
    switch (kind) {
    case ExportKind::vcard30: return BuildVCards(contacts, VCardVersion::v30, pPhotos);
    case ExportKind::vcard40: return BuildVCards(contacts, VCardVersion::v40, pPhotos);
    case ExportKind::vcard21: return BuildVCards(contacts, VCardVersion::v21, pPhotos);
    case ExportKind::outlookCsv: return BuildCsv(contacts, CsvColumns::outlook);
    case ExportKind::googleCsv: return BuildCsv(contacts, CsvColumns::google);
    case ExportKind::thunderbirdCsv: return BuildCsv(contacts, CsvColumns::thunderbird);
    }
    return std::string();
}

namespace {

// "300.1 MB", rounded up so that a file just over a limit never reads as the limit; "900 bytes"
// below a megabyte.
std::string SizeText(uint64_t nBytes) {
    const uint64_t kMB = uint64_t(1) << 20;
    if (nBytes < kMB) {
        return std::to_string(nBytes) + " bytes";
    }
    uint64_t nTenths = nBytes / kMB * 10 + ((nBytes % kMB) * 10 + kMB - 1) / kMB;
    std::string strText = std::to_string(nTenths / 10);
    if (nTenths % 10 != 0) {
        strText += "." + std::to_string(nTenths % 10);
    }
    return strText + " MB";
}

// The refusal of a file above the limit, with its size where that is known (nSize above the
// limit).
CString TooLargeMessage(const char* pszPath, uint64_t nSize, uint64_t nLimit) {
    std::string strSize =
        nSize > nLimit ? " is " + SizeText(nSize) + ", more than the " : " holds more than the ";
    return CString(
        (pszPath + strSize + SizeText(nLimit) +
         " an import reads, so nothing was imported from it. Split it into smaller files (or export "
         "fewer contacts at a time) and import them one after another.")
            .c_str());
}

} // namespace

bool ReadImportFile(const char* pszPath, std::string& strData, CString& strError, uint64_t nLimit) {
    CFile file;
    CFileException error;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        strError = error.GetErrorMessage();
        return false;
    }
    // The size first, so that a file too large is refused before any of it takes memory, and a
    // file that is not is read into room made once at its size. A file that tells no size (a
    // pipe) is read until it passes the limit.
    const int64_t nSize = file.Seek(0, CFile::end);
    if (nSize > 0 && static_cast<uint64_t>(nSize) > nLimit) {
        strError = TooLargeMessage(pszPath, static_cast<uint64_t>(nSize), nLimit);
        return false;
    }
    if (nSize > 0 && file.Seek(0, CFile::begin) != 0) {
        error = file.GetFailure();
        error.m_strFileName = pszPath;
        strError = error.GetErrorMessage();
        return false;
    }
    strData.clear();
    strData.reserve(nSize > 0 ? static_cast<size_t>(nSize) : 0);
    char buffer[65536];
    unsigned nRead;
    while ((nRead = file.Read(buffer, sizeof buffer)) > 0) {
        if (strData.size() + nRead > nLimit) {
            strData = std::string();
            strError = TooLargeMessage(pszPath, 0, nLimit); // it grew while it was read
            return false;
        }
        strData.append(buffer, nRead);
    }
    error = file.GetFailure();
    error.m_strFileName = pszPath;
    if (error.m_cause != CFileException::none) {
        strData = std::string();
        strError = error.GetErrorMessage();
        return false;
    }
    return true;
}

CString NetworkComputerOf(const CString& strPath) {
    const std::string& str = strPath.GetStdString();
    auto isSlash = [&](size_t i) { return i < str.size() && (str[i] == '\\' || str[i] == '/'); };
    if (!isSlash(0) || !isSlash(1)) {
        return CString();
    }
    size_t nServer = 2;
    // "\\?\" and "\\.\" open the system's own names: a drive of this computer, or "UNC\" and a
    // server.
    if (str.size() > 3 && (str[2] == '?' || str[2] == '.') && isSlash(3)) {
        std::string strRest = str.substr(4, 4);
        for (char& ch : strRest) {
            ch = ch == '/' ? '\\' : static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
        }
        if (strRest != "UNC\\") {
            return CString();
        }
        nServer = 8;
    }
    size_t nEnd = nServer;
    // A WebDAV share's "server@SSL@443" is the computer "server".
    while (nEnd < str.size() && !isSlash(nEnd) && str[nEnd] != '@') {
        ++nEnd;
    }
    return CString(("\\\\" + str.substr(nServer, nEnd - nServer)).c_str());
}

bool ReadContacts(const std::string& strData, const CString& strName, ContactFileFormat format,
                  CContactArray& contacts, CImportReport& report, CString& strError,
                  CWorkProgress* pProgress) {
    if (format == ContactFileFormat::unknown) {
        format = GuessFormat(strName, strData);
    }
    return format == ContactFileFormat::vcard
               ? ReadVCards(strData, strName, contacts, report, strError, pProgress)
               : ReadCsv(strData, strName, contacts, report, strError, pProgress);
}

CBookChange AddImportedContacts(CContactBook& book, CContactArray imported, bool bKeepDuplicates,
                                const CImportSources& sources, CImportReport& report) {
    CImportSelection selection =
        SelectNewContacts(book.Contacts(), std::move(imported), bKeepDuplicates, sources, report);
    if (selection.replaced.empty()) {
        return book.AddContacts(std::move(selection.added)); // moves the contacts, copies none
    }
    // The contacts that gained values are taken out and put back changed in the same change as
    // the new ones, so that one undo takes the whole import back. The book copies what it is
    // given: the new contacts are moved into that list, and the import's own freed.
    std::vector<CContact> contacts = std::move(selection.merged);
    contacts.reserve(contacts.size() + static_cast<size_t>(selection.added.GetSize()));
    for (int i = 0; i < selection.added.GetSize(); ++i) {
        contacts.push_back(std::move(selection.added[i]));
    }
    selection.added = CContactArray();
    return book.ReplaceContacts(std::move(selection.replaced), contacts);
}
