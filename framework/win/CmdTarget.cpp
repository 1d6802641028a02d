#include "CmdTarget.h"

namespace {

CCmdTarget* g_pFallbackTarget = nullptr;

} // namespace

const CMessageTable* CCmdTarget::GetThisMessageTable() {
    static const CMessageTable table = {nullptr, nullptr, 0};
    return &table;
}

const CMessageEntry* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nId) const {
    bool bRouted = IsRoutedMessage(nMessage);
    for (const CMessageTable* pTable = GetMessageTable(); pTable; pTable = pTable->pBase) {
        for (size_t i = 0; i < pTable->nCount; ++i) {
            const CMessageEntry& entry = pTable->pEntries[i];
            if (entry.nMessage == nMessage && (!bRouted || (entry.nCode == nCode && entry.nId == nId))) {
                return &entry;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::Dispatch(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const CMessageEntry* pEntry = FindMessageEntry(nMessage, nCode, nId);
    return pEntry && CallHandler(*pEntry, nMessage, wParam, lParam, pResult);
}

BOOL CCmdTarget::OnCmdMsg(UINT nId, UINT nCode) {
    LRESULT result = 0;
    return Dispatch(WM_COMMAND, nCode, nId, MAKEWPARAM(nId, nCode), 0, &result);
}

void AfxSetFallbackCommandTarget(CCmdTarget* pTarget) { g_pFallbackTarget = pTarget; }
CCmdTarget* AfxGetFallbackCommandTarget() { return g_pFallbackTarget; }
