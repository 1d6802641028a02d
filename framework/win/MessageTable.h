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
#pragma once

#include <windows.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

class CCmdTarget;

struct CMessageEntry {
    UINT nMessage;
    UINT nCode; // notification code of WM_COMMAND and WM_NOTIFY
    UINT nId;   // control or command id of WM_COMMAND and WM_NOTIFY
    LRESULT (*pfnCall)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);
};

struct CMessageTable {
    const CMessageTable* pBase;
    const CMessageEntry* pEntries;
    size_t nCount;
};

// Messages a control receives back from its parent when it handles its own notifications.
const UINT WM_REFLECT_BASE = 0xBC00;

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
LRESULT CallVoid(CCmdTarget* p, WPARAM, LPARAM) {
    (Target<Pmf>(p)->*Pmf)();
    return 0;
}
template <auto Pmf>
LRESULT CallRaw(CCmdTarget* p, WPARAM wParam, LPARAM lParam) {
    return (Target<Pmf>(p)->*Pmf)(wParam, lParam);
}
template <auto Pmf>
LRESULT CallNotify(CCmdTarget* p, WPARAM, LPARAM lParam) {
    LRESULT result = 0;
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<NMHDR*>(lParam), &result);
    return result;
}
template <auto Pmf>
LRESULT CallCreate(CCmdTarget* p, WPARAM, LPARAM lParam) {
    return (Target<Pmf>(p)->*Pmf)(reinterpret_cast<CREATESTRUCTA*>(lParam));
}
template <auto Pmf>
LRESULT CallSize(CCmdTarget* p, WPARAM wParam, LPARAM lParam) {
    (Target<Pmf>(p)->*Pmf)(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    return 0;
}
template <auto Pmf>
LRESULT CallMinMax(CCmdTarget* p, WPARAM, LPARAM lParam) {
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<MINMAXINFO*>(lParam));
    return 0;
}
template <auto Pmf>
LRESULT CallHelp(CCmdTarget* p, WPARAM, LPARAM lParam) {
    return (Target<Pmf>(p)->*Pmf)(reinterpret_cast<HELPINFO*>(lParam));
}
template <auto Pmf>
LRESULT CallQueryDragIcon(CCmdTarget* p, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((Target<Pmf>(p)->*Pmf)());
}
template <auto Pmf>
LRESULT CallDrawItem(CCmdTarget* p, WPARAM, LPARAM lParam) {
    (Target<Pmf>(p)->*Pmf)(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

} // namespace MessageTableDetail

// Any message, handled as LRESULT Handler(WPARAM, LPARAM).
template <auto Pmf>
CMessageEntry OnMessage(UINT nMessage) {
    return {nMessage, 0, 0, &MessageTableDetail::CallRaw<Pmf>};
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
template <auto Pmf>
CMessageEntry OnDrawItemReflect() {
    return {WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, &MessageTableDetail::CallDrawItem<Pmf>};
}

// Declares a class's message table. The definition lists the entries (see the top of this file).
#define TBOOK_DECLARE_MESSAGE_TABLE()                                                                    \
public:                                                                                                  \
    static const CMessageTable* GetThisMessageTable();                                                   \
    const CMessageTable* GetMessageTable() const override { return GetThisMessageTable(); }
