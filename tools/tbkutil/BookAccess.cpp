#include "BookAccess.h"

#include "Console.h"
#include "ui/shell/BookLocation.h"

namespace {

const unsigned kQuitTimeoutMs = 10000;

} // namespace

void CStderrSink::OnWarning(const CString& strText, int64_t) { Print(stderr, "%s\n", strText.GetString()); }

int Fail(const char* pszFormat, const char* pszArgument) {
    Print(stderr, "tbkutil: ");
    Print(stderr, pszFormat, pszArgument);
    Print(stderr, "\n");
    return kExitFailed;
}

bool CheckLoad(const char* pszPath, const CLoadResult& result, bool bMayBeMissing, bool& bPartial) {
    if (result.status == LoadStatus::unreadable || (result.status == LoadStatus::missing && !bMayBeMissing)) {
        Fail("%s", result.failure.GetErrorMessage().GetString());
        return false;
    }
    bPartial = result.status == LoadStatus::partial;
    if (bPartial && result.nWarnings == 0) {
        Print(stderr,
              "tbkutil: %s was read only in part: it has no complete root element, or data follows it.\n",
              pszPath);
    }
    return true;
}

bool LoadBook(const char* pszPath, unsigned nLegacyCodePage, CContactArray& contacts, bool& bPartial) {
    CXML root;
    CStderrSink sink;
    return CheckLoad(pszPath, ReadAddressBook(pszPath, root, contacts, &sink, nLegacyCodePage), false,
                     bPartial);
}

CBookAccess::CBookAccess(const CString& strPath, unsigned nLegacyCodePage) : m_book(strPath) {
    m_book.SetLegacyCodePage(nLegacyCodePage);
}

bool CBookAccess::Open(EUse use, bool bMayBeMissing, const char* pszNothing, bool bQuiet) {
    CFileException error;
    // Held from the read to the replace: a second import waits for this one instead of writing
    // over it from the same old book.
    if (use == EUse::change && !m_book.Lock(&error)) {
        Print(stderr, "tbkutil: %s; %s\n", error.GetErrorMessage().GetString(), pszNothing);
        return false;
    }
    CStderrSink sink;
    CLoadResult result = m_book.LoadAddressBook(bQuiet ? nullptr : &sink);
    if (bQuiet && result.status == LoadStatus::unreadable) {
        Fail("%s", result.failure.GetErrorMessage().GetString());
        return false;
    }
    if (bQuiet) {
        return true;
    }
    return CheckLoad(m_book.GetPath(), result, bMayBeMissing, m_bPartial);
}

bool CBookAccess::Commit(const CBookChange& change, bool bKeepBackup, CFileException& error) {
    if (bKeepBackup && change.bChanged) {
        // The previous file stays beside the new one, as the program keeps a damaged one.
        m_book.KeepBackupBeforeNextSave();
    }
    return m_book.Commit(change, &error);
}

bool WritesRunningProgramsBook(const char* pszInto) {
    return IsProgramRunning() && (!pszInto || IsProgramBook(pszInto));
}

bool QuitProgramFor(const char* pszWork, const char* pszNothing) {
    if (!IsProgramRunning()) {
        return true; // it ended in the meantime
    }
    if (!QuitRunningProgram(kQuitTimeoutMs)) {
        Print(stderr, "tbkutil: the address book program did not end within ten seconds. %s\n", pszNothing);
        return false;
    }
    Print(stdout, "tbkutil: the address book program was closed for the %s; start it again to see the contacts.\n",
          pszWork);
    return true;
}
