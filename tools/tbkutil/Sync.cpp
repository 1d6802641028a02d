#include "Sync.h"

#include "BookAccess.h"
#include "Console.h"
#include "RunningProgram.h"
#include "data/ContactBook.h"
#include "framework/core/FileLock.h"
#include "interchange/Charset.h"
#include "interchange/ContactFiles.h"
#include "sync/Credentials.h"
#include "sync/DavUrl.h"
#include "sync/HttpClient.h"
#include "sync/SyncApply.h"
#include "sync/SyncEngine.h"
#include "ui/shell/BookLocation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] = "usage: tbkutil sync URL --user NAME [--password-file FILE] [--into FILE] "
                      "[--trust-certificate SHA256] [--confirm-deletions COUNT] [--quit-running]\n";

struct CSyncOptions {
    const char* pszUrl = nullptr;
    std::string strUrl; // with its scheme, as the program's window completes it
    const char* pszUser = nullptr;
    const char* pszPasswordFile = nullptr;
    const char* pszInto = nullptr;
    const char* pszTrust = nullptr;
    const char* pszConfirmedDeletions = nullptr;
    size_t nConfirmedDeletions = 0;
    bool bQuitRunning = false;

    bool Parse(int argc, char** argv) {
        for (int i = 0; i < argc; ++i) {
            const char** ppValue = std::strcmp(argv[i], "--user") == 0                ? &pszUser
                                   : std::strcmp(argv[i], "--password-file") == 0     ? &pszPasswordFile
                                   : std::strcmp(argv[i], "--into") == 0              ? &pszInto
                                   : std::strcmp(argv[i], "--trust-certificate") == 0 ? &pszTrust
                                   : std::strcmp(argv[i], "--confirm-deletions") == 0 ? &pszConfirmedDeletions
                                                                                      : nullptr;
            if (ppValue && i + 1 < argc) {
                *ppValue = argv[++i];
            } else if (std::strcmp(argv[i], "--quit-running") == 0) {
                bQuitRunning = true;
            } else if (ppValue || std::strncmp(argv[i], "--", 2) == 0 || pszUrl) {
                return false;
            } else {
                pszUrl = argv[i];
            }
        }
        if (pszUrl) {
            strUrl = CompleteAddress(pszUrl);
        }
        if (pszConfirmedDeletions) {
            char* pszEnd = nullptr;
            unsigned long long nCount = std::strtoull(pszConfirmedDeletions, &pszEnd, 10);
            if (*pszConfirmedDeletions < '0' || *pszConfirmedDeletions > '9' || *pszEnd != '\0') {
                return false;
            }
            nConfirmedDeletions = static_cast<size_t>(nCount);
        }
        return pszUrl && pszUser;
    }
};

// Whether the address given is the one of the program's account: the address the user typed
// in its Synchronisation window, or the address book that led to.
bool IsProgramAccount(const CProgramSyncAccount& account, const std::string& strUrl) {
    return (!account.strAddress.empty() && IsSameResource(account.strAddress, strUrl)) ||
           (!account.strBookUrl.empty() && IsSameResource(account.strBookUrl, strUrl));
}

// The password from the file (its first line), the account's stored credential, or the
// environment, in that order. The program keeps the credential under the address book's own
// address, which the state beside the book, or the program's account, knows when the address
// given led there before.
bool FindPassword(const CSyncOptions& options, const CSyncState& state, const CProgramSyncAccount& account,
                  std::string& strPassword) {
    if (options.pszPasswordFile) {
        CFileException error;
        if (!ReadWholeFile(options.pszPasswordFile, strPassword, error)) {
            Fail("the password file: %s", error.GetErrorMessage().GetString());
            return false;
        }
        // Notepad may save it as UTF-8 with a byte-order mark, or as UTF-16.
        DecodeByteOrderMark(strPassword);
        strPassword = strPassword.substr(0, strPassword.find_first_of("\r\n"));
        return true;
    }
    if (ReadPassword(options.strUrl, options.pszUser, strPassword) ||
        (state.strAccountUrl == options.strUrl &&
         ReadPassword(state.strBookUrl, options.pszUser, strPassword)) ||
        (IsProgramAccount(account, options.strUrl) &&
         ReadPassword(account.strBookUrl, options.pszUser, strPassword))) {
        return true;
    }
    if (const char* pszPassword = std::getenv("TBOOK_SYNC_PASSWORD")) {
        strPassword = pszPassword;
        return true;
    }
    Fail("%s", "no password: give --password-file FILE, store the account's password in the program's "
               "Synchronisation window, or set TBOOK_SYNC_PASSWORD (for a server that asks for none, an "
               "empty file or an empty TBOOK_SYNC_PASSWORD)");
    return false;
}

// Says why the sync failed, and what to do about it.
int ReportFailedSync(const CSyncOutcome& outcome, const std::string& strStatePath) {
    Fail("%s", outcome.strError.c_str());
    if (!outcome.strStateBook.empty()) {
        Print(stderr,
              "tbkutil: check the address. To synchronise with the other address book from now on, delete "
              "%s first: the contacts are then merged with those there, and nothing is deleted. Nothing "
              "was synchronised.\n",
              strStatePath.c_str());
    }
    if (outcome.nDeletionsToConfirm > 0) {
        Print(stderr,
              "tbkutil: if they were deleted on purpose, add --confirm-deletions %s to delete them on "
              "the server too. If the address book was restored from an old copy or replaced, delete %s "
              "instead: the next sync then brings the missing contacts back.\n",
              std::to_string(outcome.nDeletionsToConfirm).c_str(), strStatePath.c_str());
    }
    if (outcome.nLocalDeletionsToConfirm > 0) {
        Print(stderr,
              "tbkutil: if they were deleted there on purpose, add --confirm-deletions %s to delete them "
              "here too. While the server's address book is being moved or restored, wait: nothing here "
              "changes until then.\n",
              std::to_string(std::max(outcome.nDeletionsToConfirm, outcome.nLocalDeletionsToConfirm)).c_str());
    }
    if (!outcome.strCertificateSha256.empty()) {
        Print(stderr, "tbkutil: to trust this server's certificate, add --trust-certificate %s\n",
              outcome.strCertificateSha256.c_str());
    }
    return kExitFailed;
}

// The fingerprint of the certificate to trust: the one given, or the one the user trusted in the
// program's window for this address (a scheduled sync would otherwise fail where the program
// succeeds). False after saying why a given one is no fingerprint.
bool FindTrustedCertificate(const CSyncOptions& options, const CProgramSyncAccount& account, std::string& strSha256) {
    if (!options.pszTrust) {
        strSha256 = IsProgramAccount(account, options.strUrl) ? CanonicalSha256(account.strTrustedSha256) : "";
        return true;
    }
    strSha256 = CanonicalSha256(options.pszTrust);
    if (strSha256.empty()) {
        Fail("%s is not a SHA-256 fingerprint (64 hexadecimal digits)", options.pszTrust);
        return false;
    }
    return true;
}

struct CSyncResult {
    CSyncOutcome outcome;
    CSyncApplied applied;
};

// Synchronises the book and applies the outcome, asking the server again (up to three times in
// all) when the program saved a change while the server was asked: its contacts are then read
// again, and the server, which has this sync's changes already, answers with what is left. False
// after saying why the book could not be read.
bool SynchroniseBook(const CSyncOptions& options, const CString& strBook, const std::string& strStatePath,
                     const CHttpOptions& http, unsigned nLegacyCodePage, CSyncResult& result) {
    for (int nTry = 0;; ++nTry) {
        CBookAccess access(strBook, nLegacyCodePage);
        if (!access.Open(CBookAccess::EUse::read, true, "nothing was synchronised")) {
            return false;
        }
        if (access.IsPartial()) {
            // The contacts not read would look deleted here, and be deleted on the server.
            Fail("%s was read only in part; repair it (tbkutil resave) before synchronising. Nothing "
                 "was synchronised.", strBook.GetString());
            return false;
        }
        CSyncState state;
        CFileException error;
        if (!ReadSyncState(strStatePath.c_str(), state, error)) {
            Fail("%s", SyncStateReadError(strStatePath.c_str(), error).c_str());
            return false;
        }
        result.outcome = Synchronise(access.Book().Contacts(), state, *MakeHttpTransport(http), options.strUrl,
                                     options.pszUser, options.nConfirmedDeletions, true, &access.Book().Photos());
        result.applied = ApplySyncOutcome(access.Book(), result.outcome, state, strStatePath, true, false);
        const bool bOvertaken = result.outcome.bOk && result.applied.result != CSyncApplied::Result::applied &&
                                result.applied.result != CSyncApplied::Result::failed;
        if (!bOvertaken || nTry == 2) {
            return true;
        }
    }
}

// Says what the sync did, or why it did not, and gives the exit code.
int ReportSync(const CSyncResult& result, const CString& strBook, const std::string& strStatePath) {
    const CSyncOutcome& outcome = result.outcome;
    if (!outcome.bOk) {
        return ReportFailedSync(outcome, strStatePath);
    }
    switch (result.applied.result) {
    case CSyncApplied::Result::applied: break;
    case CSyncApplied::Result::failed:
        if (result.applied.bBookSaved) {
            return Fail("%s; the next sync compares every card again",
                        result.applied.error.GetErrorMessage().GetString());
        }
        return Fail("%s; the server has this sync's changes, the next sync brings them here",
                    result.applied.error.GetErrorMessage().GetString());
    default:
        return Fail("%s", (std::string(strBook.GetString()) + " kept changing while it was synchronised; the "
                           "server has this sync's changes, the next sync brings them here")
                              .c_str());
    }
    for (const std::string& strWarning : outcome.warnings) {
        Print(stderr, "tbkutil: %s\n", strWarning.c_str());
    }
    const CSyncSummary& sum = outcome.summary;
    Print(
        stdout,
        "tbkutil: synchronised %s with %s: sent %d, received %d, merged %d, deleted here %d, deleted on the "
        "server %d, conflicts %d\n",
        strBook.GetString(), DisplayUrl(outcome.state.strBookUrl).c_str(), sum.nSent, sum.nReceived,
        sum.nMerged, sum.nDeletedHere, sum.nDeletedOnServer, sum.nConflicts);
    return sum.nConflicts > 0 || !outcome.warnings.empty() ? kExitWarned : kExitClean;
}

} // namespace

int RunSync(int argc, char** argv, unsigned nLegacyCodePage) {
    CSyncOptions options;
    if (!options.Parse(argc, argv)) {
        Print(stderr, kUsage);
        return kExitFailed;
    }
    CHttpOptions http;
    http.strUser = options.pszUser;
    http.strCredentialOrigin = UrlOrigin(options.strUrl);
    const CProgramSyncAccount account = ProgramSyncAccount();
    if (!FindTrustedCertificate(options, account, http.strTrustedCertificateSha256)) {
        return kExitFailed;
    }
    CString strBook = options.pszInto ? CString(options.pszInto) : CString();
    if (strBook.IsEmpty() && !ProgramBookPath(strBook)) {
        return Fail("%s", "this system has no address book of the program; name one with --into FILE");
    }
    const std::string strStatePath = SyncStatePath(strBook);
    CSyncState state;
    CFileException error;
    // The password before the running program is asked to end: a sync that cannot start must
    // not close it.
    if (!ReadSyncState(strStatePath.c_str(), state, error)) {
        return Fail("%s", SyncStateReadError(strStatePath.c_str(), error).c_str());
    }
    if (!FindPassword(options, state, account, http.strPassword)) {
        return kExitFailed;
    }
    // The password leaves memory on every way out.
    struct CWipeOnExit {
        std::string& str;
        ~CWipeOnExit() { WipeSecret(str); }
    } wipe{http.strPassword};
    // The running program keeps what the sync brings (it reads its book again before it writes
    // it), so it is asked to end only when the user wants that.
    if (options.bQuitRunning && WritesRunningProgramsBook(options.pszInto) &&
        !QuitProgramFor("synchronisation", "Nothing was synchronised.")) {
        return kExitFailed;
    }

    // One sync of a book at a time (the program's, another tbkutil's), or both would send the
    // same new contacts as two cards. The book itself stays free for the program's edits while
    // the server is asked: the outcome is applied only over the file the sync read.
    CFileLock syncLock;
    if (!syncLock.Acquire(strStatePath.c_str(), CAddressBookStore::kLockWaitMs, &error)) {
        return Fail("%s", ("another synchronisation of " + std::string(strBook.GetString()) +
                           " is running; nothing was synchronised")
                              .c_str());
    }
    CSyncResult result;
    if (!SynchroniseBook(options, strBook, strStatePath, http, nLegacyCodePage, result)) {
        return kExitFailed;
    }
    return ReportSync(result, strBook, strStatePath);
}
