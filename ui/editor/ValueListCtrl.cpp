#include "ValueListCtrl.h"

#include <iterator>

const CMessageTable* CValueListCtrl::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnMessage<&CValueListCtrl::OnGetDlgCode>(WM_GETDLGCODE),
    };
    static const CMessageTable table = {CListCtrl::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

LRESULT CValueListCtrl::OnGetDlgCode(WPARAM, LPARAM lParam) {
    LRESULT nCode = Default();
    const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
    // With no row chosen, Enter still presses the dialog's default button.
    if (pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && GetSelectedCount() > 0) {
        nCode |= DLGC_WANTMESSAGE;
    }
    return nCode;
}
