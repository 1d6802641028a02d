// Message tables: per-class, static data listing which handler runs for which message.
// A table is an array of CMessageEntry rows built by the helpers below. The handler is a
// template argument, so each row gets its own small calling function, and a handler with the
// wrong signature for its message does not compile. Each class's table names its base class's
// table, and lookup walks from the most derived class to CCmdTarget.
//
//   const CMessageTable* CMyDlg::GetThisMessageTable() {
//       static const CMessageEntry entries[] = {
//           OnWmPaint<&CMyDlg::OnPaint>(),
//           OnCommand<&CMyDlg::OnAdd>(IDC_ADD),
//       };
//       static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
//       return &table;
//   }
//
// Reflection: a control's wrapper may handle the notifications its parent receives about it
// (OnCommandReflect, OnNotifyReflect, OnCtlColorReflect, OnDrawItemReflect). Reflected command
// and notify rows match on their notification code; their handlers return TRUE when the parent
// is not to see the notification any more, FALSE to let it through to the parent's own table.
#pragma once

#include "DC.h"

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

class CCmdTarget;

struct CMessageEntry {
    UINT nMessage;
    UINT nCode; // notification code of WM_COMMAND and WM_NOTIFY, reflected or not
    UINT nId;   // control or command id of WM_COMMAND and WM_NOTIFY (0 when reflected)
    // Runs the handler with the message as it arrived and stores its result; false when the
    // handler declined the message (a reflected notification left for the parent).
    BOOL (*pfnCall)(CCmdTarget* pTarget, UINT nMessage, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

struct CMessageTable {
    const CMessageTable* pBase;
    const CMessageEntry* pEntries;
    size_t nCount;
};

// Messages a control receives back from its parent when it handles its own notifications.
const UINT WM_REFLECT_BASE = 0xBC00;
// The one reflected row for every colour message (WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC, ...),
// numbered after the colour message of old that they replaced.
const UINT WM_REFLECT_CTLCOLOR = WM_REFLECT_BASE + 0x0019;

// Whether rows of this message are told apart by notification code and id.
inline bool IsRoutedMessage(UINT nMessage) {
    return nMessage == WM_COMMAND || nMessage == WM_NOTIFY || nMessage == WM_REFLECT_BASE + WM_COMMAND ||
           nMessage == WM_REFLECT_BASE + WM_NOTIFY;
}

namespace MessageTableDetail {

template <typename Pmf>
struct ClassOf;
template <typename R, typename T, typename... Args>
struct ClassOf<R (T::*)(Args...)> {
    using Type = T;
};

template <auto Pmf>
auto* Target(CCmdTarget* pTarget) {
    using T = typename ClassOf<decltype(Pmf)>::Type;
    static_assert(std::is_base_of<CCmdTarget, T>::value, "handlers belong to a CCmdTarget");
    return static_cast<T*>(pTarget);
}

template <auto Pmf>
BOOL CallVoid(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT* pResult) {
    (Target<Pmf>(p)->*Pmf)();
    *pResult = 0;
    return TRUE;
}
template <auto Pmf>
BOOL CallRaw(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = (Target<Pmf>(p)->*Pmf)(wParam, lParam);
    return TRUE;
}
template <auto Pmf>
BOOL CallUnlessDeclined(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    return (Target<Pmf>(p)->*Pmf)(wParam, lParam, pResult);
}
template <auto Pmf>
BOOL CallNotify(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<NMHDR*>(lParam), pResult);
    return TRUE;
}
template <auto Pmf>
BOOL CallCreate(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    *pResult = (Target<Pmf>(p)->*Pmf)(reinterpret_cast<CREATESTRUCTA*>(lParam));
    return TRUE;
}
template <auto Pmf>
BOOL CallSize(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (Target<Pmf>(p)->*Pmf)(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    *pResult = 0;
    return TRUE;
}
template <auto Pmf>
BOOL CallMinMax(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<MINMAXINFO*>(lParam));
    *pResult = 0;
    return TRUE;
}
template <auto Pmf>
BOOL CallHelp(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    *pResult = (Target<Pmf>(p)->*Pmf)(reinterpret_cast<HELPINFO*>(lParam));
    return TRUE;
}
template <auto Pmf>
BOOL CallQueryDragIcon(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT* pResult) {
    *pResult = reinterpret_cast<LRESULT>((Target<Pmf>(p)->*Pmf)());
    return TRUE;
}
template <auto Pmf>
BOOL CallDrawItem(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *pResult = TRUE;
    return TRUE;
}
template <auto Pmf>
BOOL CallCommandReflect(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT* pResult) {
    *pResult = 0;
    return (Target<Pmf>(p)->*Pmf)();
}
template <auto Pmf>
BOOL CallNotifyReflect(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult) {
    *pResult = 0;
    return (Target<Pmf>(p)->*Pmf)(reinterpret_cast<NMHDR*>(lParam), pResult);
}
template <auto Pmf>
BOOL CallCtlColorReflect(CCmdTarget* p, UINT nMessage, WPARAM wParam, LPARAM, LRESULT* pResult) {
    CDC dc(reinterpret_cast<HDC>(wParam));
    HBRUSH hBrush = (Target<Pmf>(p)->*Pmf)(&dc, nMessage - WM_CTLCOLORMSGBOX);
    *pResult = reinterpret_cast<LRESULT>(hBrush);
    return hBrush != nullptr;
}

} // namespace MessageTableDetail

// Any message, handled as LRESULT Handler(WPARAM, LPARAM).
template <auto Pmf>
CMessageEntry OnMessage(UINT nMessage) {
    return {nMessage, 0, 0, &MessageTableDetail::CallRaw<Pmf>};
}
// Any message, handled as BOOL Handler(WPARAM, LPARAM, LRESULT* pResult) that returns FALSE to
// decline it: the window's other parts are asked next, then its default processing (a timer that
// another part set, a context menu of another control).
template <auto Pmf>
CMessageEntry OnMessageUnlessDeclined(UINT nMessage) {
    return {nMessage, 0, 0, &MessageTableDetail::CallUnlessDeclined<Pmf>};
}
// A button click or a menu command: void Handler().
template <auto Pmf>
CMessageEntry OnCommand(UINT nId) {
    return {WM_COMMAND, 0, nId, &MessageTableDetail::CallVoid<Pmf>};
}
// A control's WM_COMMAND notification with the given code (EN_CHANGE, EN_SETFOCUS, ...).
template <auto Pmf>
CMessageEntry OnControlCode(UINT nId, UINT nCode) {
    return {WM_COMMAND, nCode, nId, &MessageTableDetail::CallVoid<Pmf>};
}
// void Handler(NMHDR*, LRESULT* pResult).
template <auto Pmf>
CMessageEntry OnNotify(UINT nId, UINT nCode) {
    return {WM_NOTIFY, nCode, nId, &MessageTableDetail::CallNotify<Pmf>};
}
// int OnCreate(CREATESTRUCTA*), returning -1 to refuse the window.
template <auto Pmf>
CMessageEntry OnWmCreate() {
    return {WM_CREATE, 0, 0, &MessageTableDetail::CallCreate<Pmf>};
}
template <auto Pmf>
CMessageEntry OnWmPaint() {
    return {WM_PAINT, 0, 0, &MessageTableDetail::CallVoid<Pmf>};
}
template <auto Pmf>
CMessageEntry OnWmClose() {
    return {WM_CLOSE, 0, 0, &MessageTableDetail::CallVoid<Pmf>};
}
template <auto Pmf>
CMessageEntry OnWmDestroy() {
    return {WM_DESTROY, 0, 0, &MessageTableDetail::CallVoid<Pmf>};
}
// void OnSize(UINT nType, int cx, int cy).
template <auto Pmf>
CMessageEntry OnWmSize() {
    return {WM_SIZE, 0, 0, &MessageTableDetail::CallSize<Pmf>};
}
// void OnGetMinMaxInfo(MINMAXINFO*).
template <auto Pmf>
CMessageEntry OnWmGetMinMaxInfo() {
    return {WM_GETMINMAXINFO, 0, 0, &MessageTableDetail::CallMinMax<Pmf>};
}
// BOOL OnHelpInfo(HELPINFO*).
template <auto Pmf>
CMessageEntry OnWmHelp() {
    return {WM_HELP, 0, 0, &MessageTableDetail::CallHelp<Pmf>};
}
// HCURSOR OnQueryDragIcon().
template <auto Pmf>
CMessageEntry OnWmQueryDragIcon() {
    return {WM_QUERYDRAGICON, 0, 0, &MessageTableDetail::CallQueryDragIcon<Pmf>};
}
// WM_DRAWITEM reflected by the parent to the owner-drawn control itself: void DrawItem(DRAWITEMSTRUCT*).
// The control draws itself; the parent does not see the message.
template <auto Pmf>
CMessageEntry OnDrawItemReflect() {
    return {WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, &MessageTableDetail::CallDrawItem<Pmf>};
}
// The control's own WM_COMMAND notification with this code: BOOL Handler(), TRUE when the parent
// is not to see it.
template <auto Pmf>
CMessageEntry OnCommandReflect(UINT nCode) {
    return {WM_REFLECT_BASE + WM_COMMAND, nCode, 0, &MessageTableDetail::CallCommandReflect<Pmf>};
}
// The control's own WM_NOTIFY with this code: BOOL Handler(NMHDR*, LRESULT* pResult), TRUE when
// the parent is not to see it.
template <auto Pmf>
CMessageEntry OnNotifyReflect(UINT nCode) {
    return {WM_REFLECT_BASE + WM_NOTIFY, nCode, 0, &MessageTableDetail::CallNotifyReflect<Pmf>};
}
// The colours of the control, for every WM_CTLCOLOR* message its parent receives about it:
// HBRUSH Handler(CDC* pDC, UINT nCtlColor) with nCtlColor CTLCOLOR_EDIT, CTLCOLOR_STATIC, ...
// A null brush leaves the colours to the parent.
template <auto Pmf>
CMessageEntry OnCtlColorReflect() {
    return {WM_REFLECT_CTLCOLOR, 0, 0, &MessageTableDetail::CallCtlColorReflect<Pmf>};
}

// Declares a class's message table. The definition lists the entries (see the top of this file).
#define TBOOK_DECLARE_MESSAGE_TABLE()                                                                    \
public:                                                                                                  \
    static const CMessageTable* GetThisMessageTable();                                                   \
    const CMessageTable* GetMessageTable() const override { return GetThisMessageTable(); }
