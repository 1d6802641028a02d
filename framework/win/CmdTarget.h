// CCmdTarget: an object that receives messages through its class's message table. Windows
// (CWnd) and the application (CWinApp) are command targets.
#pragma once

#include "MessageTable.h"
#include "framework/core/Object.h"

class CCmdTarget : public CObject {
public:
    static const CMessageTable* GetThisMessageTable();
    virtual const CMessageTable* GetMessageTable() const { return GetThisMessageTable(); }

    // The first entry for the message, searching from this class towards the base classes;
    // null when no table handles it. nCode and nId matter for WM_COMMAND and WM_NOTIFY, and
    // nCode for their reflected forms.
    const CMessageEntry* FindMessageEntry(UINT nMessage, UINT nCode, UINT nId) const;
    // Calls the entry's handler with the message's arguments and stores its result; false when
    // the handler declined the message.
    BOOL CallHandler(const CMessageEntry& entry, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
        return entry.pfnCall(this, nMessage, wParam, lParam, pResult);
    }
    // Runs the handler of the message in this target's tables; false when there is none or it
    // declined the message.
    BOOL Dispatch(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Runs a command's handler; false when this target has none.
    virtual BOOL OnCmdMsg(UINT nId, UINT nCode);
};

// The target of the commands that the main window leaves unhandled (the application object,
// which names itself); null for none.
void AfxSetFallbackCommandTarget(CCmdTarget* pTarget);
CCmdTarget* AfxGetFallbackCommandTarget();
