#include "Interchange.h"

#include "Console.h"
#include "RunningProgram.h"
#include "data/AddressBookLoader.h"
#include "data/ContactBook.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "interchange/ContactMerge.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kExitClean = 0;
const int kExitWarned = 1;
const int kExitFailed = 2;
const unsigned kQuitTimeoutMs = 10000;

enum class Format { unknown, vcard, csv };

class CStderrSink : public CXMLWarningSink {
public:
    void OnWarning(const CString& strText) override { Print(stderr, "%s\n", strText.GetString()); }
};

int Fail(const char* pszFormat, const char* pszArgument) {
    Print(stderr, "tbkutil: ");
    Print(stderr, pszFormat, pszArgument);
    Print(stderr, "\n");
    return kExitFailed;
}

Format FormatOf(const char* pszName) {
    CString str(pszName);
    str.MakeLower();
    if (str == "vcf" || str == "vcard" || str.Right(4) == ".vcf" || str.Right(6) == ".vcard") {
        return Format::vcard;
    }
    if (str == "csv" || str.Right(4) == ".csv") {
        return Format::csv;
    }
    return Format::unknown;
}

// Reads the whole file; false with the cause.
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

// Writes a temporary file beside the target and moves it over the target, so a failure leaves
// any earlier file as it was.
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

// Reads an address book as the program does; a missing file is an empty book when bMayBeMissing.
// False, after saying why, when it could not be read.
bool CheckLoad(const char* pszPath, const CLoadResult& result, bool bMayBeMissing, bool& bPartial) {
    if (result.status == LoadStatus::unreadable || (result.status == LoadStatus::missing && !bMayBeMissing)) {
        Fail("%s", result.failure.GetErrorMessage().GetString());
        return false;
    }
    bPartial = result.status == LoadStatus::partial;
    if (bPartial && result.nWarnings == 0) {
        Print(stderr, "tbkutil: %s was read only in part: it has no complete root element, or data follows it.\n",
              pszPath);
    }
    return true;
}

bool LoadBook(const char* pszPath, unsigned nLegacyCodePage, CContactArray& contacts, bool& bPartial) {
    CXML root;
    CStderrSink sink;
    return CheckLoad(pszPath, ReadAddressBook(pszPath, root, contacts, &sink, nLegacyCodePage), false, bPartial);
}

// Options "--name value" and flags "--name"; the rest are positional.
struct COptions {
    std::vector<const char*> positional;
    const char* pszFormat = nullptr;
    const char* pszVersion = nullptr;
    const char* pszColumns = nullptr;
    const char* pszInto = nullptr;
    bool bKeepDuplicates = false;
    bool bQuitRunning = false;

    bool Parse(int argc, char** argv) {
        for (int i = 0; i < argc; ++i) {
            const char** ppValue = std::strcmp(argv[i], "--format") == 0          ? &pszFormat
                                   : std::strcmp(argv[i], "--vcard-version") == 0 ? &pszVersion
                                   : std::strcmp(argv[i], "--columns") == 0       ? &pszColumns
                                   : std::strcmp(argv[i], "--into") == 0          ? &pszInto
                                                                                  : nullptr;
            if (ppValue) {
                if (i + 1 >= argc) {
                    Fail("%s needs a value", argv[i]);
                    return false;
                }
                *ppValue = argv[++i];
            } else if (std::strcmp(argv[i], "--keep-duplicates") == 0) {
                bKeepDuplicates = true;
            } else if (std::strcmp(argv[i], "--quit-running") == 0) {
                bQuitRunning = true;
            } else if (std::strncmp(argv[i], "--", 2) == 0) {
                Fail("unknown option %s", argv[i]);
                return false;
            } else {
                positional.push_back(argv[i]);
            }
        }
        return true;
    }
};

bool ChooseFormat(const COptions& options, const char* pszFile, Format& format) {
    format = FormatOf(options.pszFormat ? options.pszFormat : pszFile);
    if (format == Format::unknown) {
        if (options.pszFormat) {
            Fail("unknown format %s (use vcf or csv)", options.pszFormat);
        } else {
            Fail("%s: cannot tell the format from the name; add --format vcf or --format csv", pszFile);
        }
        return false;
    }
    return true;
}

bool BuildExport(const COptions& options, Format format, const CContactArray& contacts,
                 std::string& strData) {
    if (format == Format::vcard) {
        const char* pszVersion = options.pszVersion ? options.pszVersion : "3.0";
        VCardVersion version = VCardVersion::v30;
        if (std::strcmp(pszVersion, "2.1") == 0) {
            version = VCardVersion::v21;
        } else if (std::strcmp(pszVersion, "4.0") == 0) {
            version = VCardVersion::v40;
        } else if (std::strcmp(pszVersion, "3.0") != 0) {
            Fail("unknown vCard version %s (use 2.1, 3.0 or 4.0)", pszVersion);
            return false;
        }
        strData = BuildVCards(contacts, version);
        return true;
    }
    const char* pszColumns = options.pszColumns ? options.pszColumns : "outlook";
    CsvColumns columns = CsvColumns::outlook;
    if (std::strcmp(pszColumns, "google") == 0) {
        columns = CsvColumns::google;
    } else if (std::strcmp(pszColumns, "thunderbird") == 0) {
        columns = CsvColumns::thunderbird;
    } else if (std::strcmp(pszColumns, "outlook") != 0) {
        Fail("unknown column set %s (use outlook, google or thunderbird)", pszColumns);
        return false;
    }
    strData = BuildCsv(contacts, columns);
    return true;
}

// Waits for the program to end when asked to; otherwise refuses, since the program would write
// its own list over the file at its next change and the import would be lost.
bool MakeWayForImport(bool bQuitRunning) {
    if (!IsProgramRunning()) {
        return true;
    }
    if (!bQuitRunning) {
        Print(stderr, "tbkutil: the address book program is running, and would overwrite the imported "
                             "contacts at its next save. Exit it first, or add --quit-running to have it "
                             "saved and closed. Nothing was imported.\n");
        return false;
    }
    if (!QuitRunningProgram(kQuitTimeoutMs)) {
        Print(stderr, "tbkutil: the address book program did not end within ten seconds. Nothing was "
                             "imported.\n");
        return false;
    }
    Print(stdout, "tbkutil: the address book program was closed for the import; start it again to see the "
                "contacts.\n");
    return true;
}

} // namespace

int RunExport(int argc, char** argv, unsigned nLegacyCodePage) {
    COptions options;
    Format format;
    if (!options.Parse(argc, argv) || options.positional.size() != 2 || options.pszInto ||
        options.bKeepDuplicates || options.bQuitRunning) {
        Print(stderr, "usage: tbkutil export FILE OUT.vcf [--vcard-version 2.1|3.0|4.0]\n"
                             "       tbkutil export FILE OUT.csv [--columns outlook|google|thunderbird]\n");
        return kExitFailed;
    }
    if (!ChooseFormat(options, options.positional[1], format)) {
        return kExitFailed;
    }
    if ((format == Format::vcard && options.pszColumns) || (format == Format::csv && options.pszVersion)) {
        return Fail("%s", format == Format::vcard ? "--columns is for CSV files; a vCard file has no columns"
                                                  : "--vcard-version is for vCard files");
    }
    CContactArray contacts;
    bool bPartial = false;
    std::string strData;
    if (!LoadBook(options.positional[0], nLegacyCodePage, contacts, bPartial)) {
        return kExitFailed;
    }
    SortContacts(contacts); // in the order the program lists them
    if (!BuildExport(options, format, contacts, strData)) {
        return kExitFailed;
    }
    CFileException error;
    if (!WriteFileAtomically(options.positional[1], strData, error)) {
        return Fail("%s", error.GetErrorMessage().GetString());
    }
    Print(stdout, "tbkutil: exported %d contacts to %s\n", contacts.GetSize(), options.positional[1]);
    return bPartial ? kExitWarned : kExitClean;
}

int RunImport(int argc, char** argv, unsigned nLegacyCodePage) {
    COptions options;
    Format format;
    if (!options.Parse(argc, argv) || options.positional.size() != 1 || options.pszVersion ||
        options.pszColumns) {
        Print(stderr, "usage: tbkutil import IN.vcf|IN.csv [--into FILE] [--keep-duplicates] "
                             "[--quit-running]\n");
        return kExitFailed;
    }
    const char* pszIn = options.positional[0];
    if (!ChooseFormat(options, pszIn, format)) {
        return kExitFailed;
    }
    CString strBook = options.pszInto ? CString(options.pszInto) : CString();
    if (strBook.IsEmpty() && !DefaultAddressBookPath(strBook)) {
        return Fail("%s", "this system has no address book of the program; name one with --into FILE");
    }

    std::string strData;
    CFileException error;
    if (!ReadWholeFile(pszIn, strData, error)) {
        return Fail("%s", error.GetErrorMessage().GetString());
    }
    CContactArray imported;
    CImportReport report;
    CString strError;
    bool bRead = format == Format::vcard ? ReadVCards(strData, pszIn, imported, report, strError)
                                         : ReadCsv(strData, pszIn, imported, report, strError);
    for (const CString& strWarning : report.warnings) {
        Print(stderr, "%s\n", strWarning.GetString());
    }
    if (!bRead) {
        return Fail("%s; nothing was imported", strError.GetString());
    }
    if (!MakeWayForImport(options.bQuitRunning)) {
        return kExitFailed;
    }

    // Held from the read to the replace: a second import waits for this one instead of writing
    // over it from the same old book.
    CContactBook book(strBook);
    book.SetLegacyCodePage(nLegacyCodePage);
    if (!book.Lock(&error)) {
        return Fail("%s; nothing was imported", error.GetErrorMessage().GetString());
    }
    bool bPartial = false;
    CStderrSink sink;
    if (!CheckLoad(strBook, book.LoadAddressBook(&sink), true, bPartial)) {
        return kExitFailed;
    }
    size_t nWarnings = report.warnings.size();
    CBookChange change =
        book.AddContacts(SelectNewContacts(book.Contacts(), imported, options.bKeepDuplicates, pszIn, report));
    for (size_t i = nWarnings; i < report.warnings.size(); ++i) {
        Print(stderr, "%s\n", report.warnings[i].GetString());
    }
    bool bWarned = bPartial || nWarnings > 0 || report.nPhotosSkipped > 0;
    if (change.bChanged) {
        // The previous file stays beside the new one, as the program keeps a damaged one.
        book.KeepBackupBeforeNextSave();
        if (!book.Commit(change, &error)) {
            return Fail("%s; nothing was imported", error.GetErrorMessage().GetString());
        }
        if (!book.GetBackupPath().IsEmpty()) {
            Print(stdout, "tbkutil: the previous address book was kept as %s\n", book.GetBackupPath().GetString());
        }
    }
    Print(stdout, "tbkutil: %s into %s: %s\n", report.nAdded > 0 ? "imported" : "nothing new to import",
                strBook.GetString(), report.Summary().GetString());
    return bWarned ? kExitWarned : kExitClean;
}
