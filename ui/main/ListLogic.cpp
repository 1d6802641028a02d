#include "ListLogic.h"

int FindJumpRow(const CContactArray& contacts, const std::vector<int>& rowContacts, char chLetter) {
    if (rowContacts.empty()) {
        return -1;
    }
    int nTarget = 0;
    for (size_t r = 0; r < rowContacts.size(); ++r) {
        CString strInitial = contacts.ElementAt(rowContacts[r]).lastname.Left(1);
        strInitial.MakeUpper();
        if (strInitial == CString(chLetter, 1)) {
            return static_cast<int>(r);
        }
        // The initial's byte is compared as a signed char, so letters with accents (0x80 and
        // above) count as lower than every letter.
        signed char chInitial = strInitial.IsEmpty() ? 0 : static_cast<signed char>(strInitial[0]);
        if (chInitial < static_cast<signed char>(chLetter)) {
            nTarget = static_cast<int>(r);
        }
    }
    return nTarget;
}

CMainLayout ComputeMainLayout(int nClientWidth, int nClientHeight) {
    const int kMargin = 11;
    const int kListTop = 74;
    const int kStatusHeight = 24;
    CMainLayout layout;
    layout.listX = kMargin;
    layout.listY = kListTop;
    layout.listWidth = nClientWidth - 2 * kMargin;
    layout.listHeight = nClientHeight - kListTop - kStatusHeight;
    layout.statusX = 0;
    layout.statusY = nClientHeight - kStatusHeight;
    layout.statusWidth = nClientWidth;
    layout.statusHeight = kStatusHeight;
    return layout;
}
