#include "Interchange.h"

#include "BookAccess.h"
#include "Console.h"
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "data/ContactGroups.h"
#include "data/ContactSort.h"
#include "interchange/ContactFiles.h"
#include "ui/shell/BookLocation.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Options "--name value" and flags "--name"; the rest are positional.
struct COptions {
    std::vector<const char*> positional;
    const char* pszFormat = nullptr;
    const char* pszVersion = nullptr;
    const char* pszColumns = nullptr;
    const char* pszInto = nullptr;
    const char* pszGroup = nullptr;
    bool bKeepDuplicates = false;
    bool bQuitRunning = false;

    bool Parse(int argc, char** argv) {
        for (int i = 0; i < argc; ++i) {
            const char** ppValue = std::strcmp(argv[i], "--format") == 0          ? &pszFormat
                                   : std::strcmp(argv[i], "--vcard-version") == 0 ? &pszVersion
                                   : std::strcmp(argv[i], "--columns") == 0       ? &pszColumns
                                   : std::strcmp(argv[i], "--into") == 0          ? &pszInto
                                   : std::strcmp(argv[i], "--group") == 0         ? &pszGroup
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

bool ChooseFormat(const COptions& options, const char* pszFile, ContactFileFormat& format) {
    format = FormatFromName(options.pszFormat ? options.pszFormat : pszFile);
    if (format == ContactFileFormat::unknown) {
        if (options.pszFormat) {
            Fail("unknown format %s (use vcf or csv)", options.pszFormat);
        } else {
            Fail("%s: cannot tell the format from the name; add --format vcf or --format csv", pszFile);
        }
        return false;
    }
    return true;
}

// The kind of export the options ask for; false after saying what is wrong with them.
bool ChooseExportKind(const COptions& options, ContactFileFormat format, ExportKind& kind) {
    static const struct {
        ContactFileFormat format;
        const char* pszName;
        ExportKind kind;
    } kinds[] = {
        {ContactFileFormat::vcard, "3.0", ExportKind::vcard30},
        {ContactFileFormat::vcard, "2.1", ExportKind::vcard21},
        {ContactFileFormat::vcard, "4.0", ExportKind::vcard40},
        {ContactFileFormat::csv, "outlook", ExportKind::outlookCsv},
        {ContactFileFormat::csv, "google", ExportKind::googleCsv},
        {ContactFileFormat::csv, "thunderbird", ExportKind::thunderbirdCsv},
    };
    bool bVCard = format == ContactFileFormat::vcard;
    const char* pszName = bVCard ? (options.pszVersion ? options.pszVersion : "3.0")
                                 : (options.pszColumns ? options.pszColumns : "outlook");
    for (const auto& entry : kinds) {
        if (entry.format == format && std::strcmp(entry.pszName, pszName) == 0) {
            kind = entry.kind;
            return true;
        }
    }
    Fail(bVCard ? "unknown vCard version %s (use 2.1, 3.0 or 4.0)"
                : "unknown column set %s (use outlook, google or thunderbird)",
         pszName);
    return false;
}

} // namespace

int RunExport(int argc, char** argv, unsigned nLegacyCodePage) {
    COptions options;
    ContactFileFormat format;
    if (!options.Parse(argc, argv) || options.positional.size() != 2 || options.pszInto ||
        options.bKeepDuplicates || options.bQuitRunning) {
        Print(stderr, "usage: tbkutil export FILE OUT.vcf [--vcard-version 2.1|3.0|4.0] [--group NAME]\n"
                             "       tbkutil export FILE OUT.csv [--columns outlook|google|thunderbird] [--group NAME]\n");
        return kExitFailed;
    }
    if (!ChooseFormat(options, options.positional[1], format)) {
        return kExitFailed;
    }
    if ((format == ContactFileFormat::vcard && options.pszColumns) ||
        (format == ContactFileFormat::csv && options.pszVersion)) {
        return Fail("%s", format == ContactFileFormat::vcard
                              ? "--columns is for CSV files; a vCard file has no columns"
                              : "--vcard-version is for vCard files");
    }
    CContactArray contacts;
    bool bPartial = false;
    if (!LoadBook(options.positional[0], nLegacyCodePage, contacts, bPartial)) {
        return kExitFailed;
    }
    SortContacts(contacts); // in the order the program lists them
    if (options.pszGroup) {
        const CString strGroup = StoredTextOf(options.pszGroup);
        CContactArray members;
        for (int i = 0; i < contacts.GetSize(); ++i) {
            if (IsInGroup(contacts[i], strGroup)) {
                members.Add(contacts[i]);
            }
        }
        if (members.GetSize() == 0) {
            return Fail("no contact is in the group \"%s\"; nothing was exported", options.pszGroup);
        }
        contacts = std::move(members);
    }
    ExportKind kind;
    if (!ChooseExportKind(options, format, kind)) {
        return kExitFailed;
    }
    const CPhotoFolder photos(options.positional[0]);
    std::string strData = BuildExport(contacts, kind, &photos);
    CFileException error;
    if (!WriteFileAtomically(options.positional[1], strData, error)) {
        return Fail("%s", error.GetErrorMessage().GetString());
    }
    Print(stdout, "tbkutil: exported %d contacts to %s\n", contacts.GetSize(), options.positional[1]);
    return bPartial ? kExitWarned : kExitClean;
}

int RunImport(int argc, char** argv, unsigned nLegacyCodePage) {
    COptions options;
    ContactFileFormat format;
    if (!options.Parse(argc, argv) || options.positional.size() != 1 || options.pszVersion ||
        options.pszColumns || options.pszGroup) {
        Print(stderr, "usage: tbkutil import IN.vcf|IN.csv [--into FILE] [--keep-duplicates] "
                             "[--quit-running]\n");
        return kExitFailed;
    }
    const char* pszIn = options.positional[0];
    if (!ChooseFormat(options, pszIn, format)) {
        return kExitFailed;
    }
    CString strBook = options.pszInto ? CString(options.pszInto) : CString();
    if (strBook.IsEmpty() && !ProgramBookPath(strBook)) {
        return Fail("%s", "this system has no address book of the program; name one with --into FILE");
    }
    // The running program keeps what is imported here (it reads its book again before it writes
    // it), so it is asked to end only when the user wants that.
    bool bProgramsBook = options.bQuitRunning && WritesRunningProgramsBook(options.pszInto);

    std::string strData;
    CFileException error;
    CString strReadError;
    if (!ReadImportFile(pszIn, strData, strReadError)) {
        return Fail("%s", strReadError.GetString());
    }
    CContactArray imported;
    CImportReport report;
    CString strError;
    bool bRead = ReadContacts(strData, pszIn, format, imported, report, strError);
    for (const CString& strWarning : report.warnings) {
        Print(stderr, "%s\n", strWarning.GetString());
    }
    if (!bRead) {
        return Fail("%s; nothing was imported", strError.GetString());
    }
    // Only a file that could be read is worth closing the program for.
    if (bProgramsBook && !QuitProgramFor("import", "Nothing was imported.")) {
        return kExitFailed;
    }

    CBookAccess access(strBook, nLegacyCodePage);
    if (!access.Open(CBookAccess::EUse::change, true, "nothing was imported")) {
        return kExitFailed;
    }
    CContactBook& book = access.Book();
    size_t nWarnings = report.warnings.size();
    CBookChange change =
        AddImportedContacts(book, std::move(imported), options.bKeepDuplicates, pszIn, report);
    for (size_t i = nWarnings; i < report.warnings.size(); ++i) {
        Print(stderr, "%s\n", report.warnings[i].GetString());
    }
    bool bWarned = access.IsPartial() || nWarnings > 0 || report.nPhotosSkipped > 0;
    if (change.bChanged) {
        if (!access.Commit(change, true, error)) {
            return Fail("%s; nothing was imported", error.GetErrorMessage().GetString());
        }
        if (!book.GetBackupPath().IsEmpty()) {
            Print(stdout, "tbkutil: the previous address book was kept as %s\n", book.GetBackupPath().GetString());
        }
    }
    Print(stdout, "tbkutil: %s into %s: %s\n",
          report.nAdded + report.nMerged > 0 ? "imported" : "nothing new to import", strBook.GetString(),
          report.Summary().GetString());
    return bWarned ? kExitWarned : kExitClean;
}
