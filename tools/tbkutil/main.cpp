// tbkutil: loads and writes address book files exactly as the program does.
//   tbkutil resave IN OUT   load IN, sort, and save the list to OUT (an OUT written over after a
//                           partial read of IN is kept as a numbered backup first)
//   tbkutil check FILE      print how many contacts FILE holds
//   tbkutil export / import move contacts to and from vCard and CSV files (Interchange.h)
#include "data/AddressBookLoader.h"
#include "data/AddressBookStore.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "Interchange.h"

#include <cstdio>
#include <cstring>

namespace {

const int kExitClean = 0;
const int kExitWarned = 1;
const int kExitFailed = 2;

class CStderrSink : public CXMLWarningSink {
public:
    void OnWarning(const CString& strText) override { std::fprintf(stderr, "%s\n", strText.GetString()); }
};

int Usage() {
    std::fprintf(stderr, "usage: tbkutil resave IN OUT\n"
                         "       tbkutil check FILE\n"
                         "       tbkutil export FILE OUT.vcf|OUT.csv [options]\n"
                         "       tbkutil import IN.vcf|IN.csv [--into FILE] [options]\n");
    return kExitFailed;
}

// Loads the file; on failure prints why and returns false.
bool Load(const char* pszPath, CXML& root, CContactArray& contacts, CLoadResult& result) {
    CStderrSink sink;
    result = ReadAddressBook(pszPath, root, contacts, &sink);
    if (result.status == LoadStatus::missing || result.status == LoadStatus::unreadable) {
        std::fprintf(stderr, "tbkutil: %s\n", result.failure.GetErrorMessage().GetString());
        return false;
    }
    return true;
}

// Says that pszPath was read only in part, unless the reader's warnings already said so.
void ReportPartialRead(const char* pszPath, const CLoadResult& result) {
    if (result.nWarnings == 0) {
        std::fprintf(stderr, "tbkutil: %s was read only in part: it has no complete root element, "
                             "or data follows it.\n", pszPath);
    }
}

int Resave(const char* pszIn, const char* pszOut) {
    // From the read to the replace no other writer comes between (the input may be the output).
    CFileLock lock;
    CFileException lockError;
    if (!lock.Acquire(pszOut, CAddressBookStore::kLockWaitMs, &lockError)) {
        std::fprintf(stderr, "tbkutil: %s\n", lockError.GetErrorMessage().GetString());
        return kExitFailed;
    }
    CXML root;
    CContactArray contacts;
    CLoadResult result;
    if (!Load(pszIn, root, contacts, result)) {
        return kExitFailed;
    }
    bool bComplete = result.status == LoadStatus::complete;
    if (!bComplete) {
        ReportPartialRead(pszIn, result);
        // What the file held beyond the part that was read would be gone with the save: as the
        // program does, the file written over is kept under a numbered name first.
        CFileException error;
        CString strBackup;
        if (BackUpFile(pszOut, &strBackup, &error)) {
            std::fprintf(stderr, "tbkutil: the previous %s is kept as %s\n", pszOut, strBackup.GetString());
        } else if (!error.IsMissingFile()) { // a file that is not there holds nothing to keep
            std::fprintf(stderr, "tbkutil: %s\n", error.GetErrorMessage().GetString());
            return kExitFailed;
        }
    }
    SortContacts(contacts);
    CFileException error;
    if (!SaveAddressBook(contacts, pszOut, &error)) {
        std::fprintf(stderr, "tbkutil: %s\n", error.GetErrorMessage().GetString());
        return kExitFailed;
    }
    return bComplete ? kExitClean : kExitWarned;
}

int Check(const char* pszPath) {
    CXML root;
    CContactArray contacts;
    CLoadResult result;
    if (!Load(pszPath, root, contacts, result)) {
        return kExitFailed;
    }
    std::printf("%d\n", contacts.GetSize());
    if (result.status == LoadStatus::complete) {
        return kExitClean;
    }
    ReportPartialRead(pszPath, result);
    return kExitWarned;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "resave") == 0) {
        return Resave(argv[2], argv[3]);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) {
        return Check(argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "export") == 0) {
        return RunExport(argc - 2, argv + 2);
    }
    if (argc >= 2 && std::strcmp(argv[1], "import") == 0) {
        return RunImport(argc - 2, argv + 2);
    }
    return Usage();
}
