#include "ContactFiles.h"

#include "ContactMerge.h"
#include "VCardReader.h"
#include "VCardWriter.h"
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

ContactFileFormat FormatOf(ExportKind kind) {
    return kind == ExportKind::vcard30 || kind == ExportKind::vcard40 || kind == ExportKind::vcard21
               ? ContactFileFormat::vcard
               : ContactFileFormat::csv;
}

std::string BuildExport(const CContactArray& contacts, ExportKind kind) {
    switch (kind) {
    case ExportKind::vcard30: return BuildVCards(contacts, VCardVersion::v30);
    case ExportKind::vcard40: return BuildVCards(contacts, VCardVersion::v40);
    case ExportKind::vcard21: return BuildVCards(contacts, VCardVersion::v21);
    case ExportKind::outlookCsv: return BuildCsv(contacts, CsvColumns::outlook);
    case ExportKind::googleCsv: return BuildCsv(contacts, CsvColumns::google);
    case ExportKind::thunderbirdCsv: return BuildCsv(contacts, CsvColumns::thunderbird);
    }
    return std::string();
}

bool ReadWholeFile(const char* pszPath, std::string& strData, CFileException& error) {
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        return false;
    }
    char buffer[65536];
    unsigned nRead;
    while ((nRead = file.Read(buffer, sizeof buffer)) > 0) {
        strData.append(buffer, nRead);
    }
    error = file.GetFailure();
    error.m_strFileName = pszPath;
    return error.m_cause == CFileException::none;
}

bool WriteFileAtomically(const char* pszPath, const std::string& strData, CFileException& error) {
    CString strTemp = CString(pszPath) + ".tmp";
    CFile file;
    if (!file.Open(strTemp, CFile::modeCreate | CFile::modeWrite, &error)) {
        error.m_strFileName = pszPath;
        return false;
    }
    bool bDone = true;
    for (size_t nDone = 0; bDone && nDone < strData.size();) {
        unsigned nChunk = static_cast<unsigned>(std::min<size_t>(strData.size() - nDone, 1u << 24));
        bDone = file.Write(strData.data() + nDone, nChunk, &error);
        nDone += nChunk;
    }
    bDone = bDone && file.Flush(&error) && file.Close(&error) && file.Rename(strTemp, pszPath, &error);
    if (!bDone) {
        file.Close(nullptr);
        file.Remove(strTemp, nullptr);
        error.m_strFileName = pszPath;
    }
    return bDone;
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
                                const CString& strName, CImportReport& report) {
    CImportSelection selection =
        SelectNewContacts(book.Contacts(), std::move(imported), bKeepDuplicates, strName, report);
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
