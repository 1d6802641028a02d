#include "BookAccess.h"

#include "Console.h"

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
