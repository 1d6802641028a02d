#include "CommandLogic.h"

void ReindexRowContacts(std::vector<int>& rowContacts, int nRemovedIndex) {
    for (int& nContact : rowContacts) {
        if (nContact > nRemovedIndex) {
            --nContact;
        }
    }
}

CString CountOf(size_t nCount, const char* pszOne, const char* pszMany) {
    CString str;
    str.Format("%llu %s", static_cast<unsigned long long>(nCount), nCount == 1 ? pszOne : pszMany);
    return str;
}
