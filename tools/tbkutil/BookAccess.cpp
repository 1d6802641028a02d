#include "BookAccess.h"

#include "Console.h"
#include "RunningProgram.h"

namespace {

const unsigned kQuitTimeoutMs = 10000;

} // namespace

void CStderrSink::OnWarning(const CString& strText) { Print(stderr, "%s\n", strText.GetString()); }

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
