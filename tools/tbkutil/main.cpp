// tbkutil: loads and writes address book files exactly as the program does.
//   tbkutil resave IN OUT   load IN, sort, and save the list to OUT (an OUT written over after a
//                           partial read of IN is kept as a numbered backup first)
//   tbkutil check FILE      print how many contacts FILE holds
//   --legacy-codepage N     (any command) a book written before UTF-8 was in code page N
//   tbkutil export / import move contacts to and from vCard and CSV files (Interchange.h)
//   tbkutil duplicates / merge-duplicates find and merge the contacts that are one person
//   tbkutil tidy-notes      lift the "Label: value" lines earlier imports wrote into values
//   tbkutil groups / birthdays  the groups with their counts, the birthdays coming up (Groups.h)
//   tbkutil sync            two-way synchronisation with a CardDAV address book (Sync.h)
#include "data/AddressBookLoader.h"
#include "framework/core/FileIdentity.h"
#include "BookAccess.h"
#include "Console.h"
#include "Duplicates.h"
#include "Groups.h"
#include "Interchange.h"
#include "Sync.h"
#include "TidyNotes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

unsigned g_nLegacyCodePage = 0; // of books not yet in UTF-8; 0: the system's

int Usage() {
    Print(stderr, "usage: tbkutil resave IN OUT\n"
                  "       tbkutil check FILE\n"
                  "       tbkutil export FILE OUT.vcf|OUT.csv [options]\n"
                  "       tbkutil import IN.vcf|IN.csv [--into FILE] [options]\n"
                  "       tbkutil duplicates FILE\n"
                  "       tbkutil merge-duplicates FILE [--dry-run]\n"
                  "       tbkutil tidy-notes FILE [--dry-run]\n"
                  "       tbkutil groups FILE\n"
                  "       tbkutil birthdays FILE [--days N] [--from YYYY-MM-DD]\n"
                  "       tbkutil sync URL --user NAME [--password-file FILE] [--into FILE]\n"
                  "                    [--trust-certificate SHA256] [--confirm-deletions COUNT]\n"
                  "                    [--quit-running]\n"
                  "every command takes --legacy-codepage N: the code page of a book written before UTF-8\n");
    return kExitFailed;
}

// Loads the file; on failure prints why and returns false.
bool Load(const char* pszPath, CContactArray& contacts, CLoadResult& result) {
    CXML root;
    CStderrSink sink;
    result = ReadAddressBook(pszPath, root, contacts, &sink, g_nLegacyCodePage);
    if (result.status == LoadStatus::missing || result.status == LoadStatus::unreadable) {
        Print(stderr, "tbkutil: %s\n", result.failure.GetErrorMessage().GetString());
        return false;
    }
    return true;
}

// Says that pszPath was read only in part, unless the reader's warnings already said so.
void ReportPartialRead(const char* pszPath, const CLoadResult& result) {
    if (result.nWarnings == 0) {
        Print(stderr, "tbkutil: %s was read only in part: it has no complete root element, "
                             "or data follows it.\n", pszPath);
    }
}

int Resave(const char* pszIn, const char* pszOut) {
    // Through the contact book, as every write of a book goes: the output is claimed from the
    // read to the replace (the input may be the output), and a file read only in part is kept.
    CBookAccess out(pszOut, g_nLegacyCodePage);
    bool bSameFile = IsSameFile(pszIn, pszOut);
    // Another output is only written over: its own warnings are none of this command's business.
    if (!out.Open(CBookAccess::EUse::change, !bSameFile, "nothing was written", !bSameFile)) {
        return kExitFailed;
    }
    CContactArray contacts;
    CLoadResult result = out.GetLoadResult();
    if (bSameFile) {
        contacts = out.Book().Contacts();
    } else if (!Load(pszIn, contacts, result)) {
        return kExitFailed;
    }
    bool bComplete = result.status == LoadStatus::complete;
    if (!bComplete && !bSameFile) {
        ReportPartialRead(pszIn, result); // the output's own read has said so of the same file
    } else if (bComplete && result.nLegacyCodePage) {
        Print(stderr, "tbkutil: %s was written before UTF-8; it was read in code page %u\n", pszIn,
              result.nLegacyCodePage);
    }
    CFileException error;
    // What the file held beyond the part that was read, or its bytes before the conversion,
    // would be gone with the save: as the program does, the file written over is kept under a
    // numbered name first.
    if (!out.Commit(out.Book().ReplaceAllContacts(std::move(contacts)), !bComplete || result.nLegacyCodePage,
                    error)) {
        Print(stderr, "tbkutil: %s\n", error.GetErrorMessage().GetString());
        return kExitFailed;
    }
    if (!out.Book().GetBackupPath().IsEmpty()) {
        Print(stderr, "tbkutil: the previous %s is kept as %s\n", pszOut, out.Book().GetBackupPath().GetString());
    }
    return bComplete ? kExitClean : kExitWarned;
}

int Check(const char* pszPath) {
    CContactArray contacts;
    CLoadResult result;
    if (!Load(pszPath, contacts, result)) {
        return kExitFailed;
    }
    Print(stdout, "%d\n", contacts.GetSize());
    if (result.status == LoadStatus::complete) {
        return kExitClean;
    }
    ReportPartialRead(pszPath, result);
    return kExitWarned;
}

} // namespace

int main(int nArgs, char** ppArgs) {
    // In UTF-8 on every system, so that files of any name can be named.
    std::vector<std::string> args = CommandLineArguments(nArgs, ppArgs);
    // Books written before they held UTF-8 are read in this code page, for every command.
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--legacy-codepage") {
            char* pEnd = nullptr;
            unsigned long nCodePage = std::strtoul(args[i + 1].c_str(), &pEnd, 10);
            if (*pEnd || nCodePage == 0 || nCodePage > 65535) {
                Print(stderr, "tbkutil: --legacy-codepage takes the number of a code page, such as 1251\n");
                return kExitFailed;
            }
            g_nLegacyCodePage = static_cast<unsigned>(nCodePage);
            args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
            break;
        }
    }
    std::vector<char*> argPointers = {ppArgs[0]};
    for (std::string& strArg : args) {
        argPointers.push_back(&strArg[0]);
    }
    int argc = static_cast<int>(argPointers.size());
    char** argv = argPointers.data();
    if (argc == 4 && std::strcmp(argv[1], "resave") == 0) {
        return Resave(argv[2], argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) {
        return Check(argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "export") == 0) {
        return RunExport(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "import") == 0) {
        return RunImport(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "duplicates") == 0) {
        return RunDuplicates(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "merge-duplicates") == 0) {
        return RunMergeDuplicates(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "tidy-notes") == 0) {
        return RunTidyNotes(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "groups") == 0) {
        return RunGroups(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "birthdays") == 0) {
        return RunBirthdays(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    if (argc >= 2 && std::strcmp(argv[1], "sync") == 0) {
        return RunSync(argc - 2, argv + 2, g_nLegacyCodePage);
    }
    return Usage();
}
