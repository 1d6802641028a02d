// The ways of filling a report list view that list_refill_bench compares with the main
// window's own refill, the check that a fill produced the expected rows, and a bare list view
// (no framework wrapper) shaped like the main window's. User-interface thread only.
#pragma once

#include "data/ContactArray.h"

#include <windows.h>

#include <string>

// The main window's eight columns.
const int kListColumns = 8;
// A contact's text in one of those columns, in the window's column order.
const char* ColumnText(const CContact& contact, int nColumn);

// LVM_DELETEALLITEMS, then per row LVM_INSERTITEMW (last name and row index as item data) and
// seven LVM_SETITEMW, with drawing left as it is.
void FillRows(HWND hList, const CContactArray& rows);
// The same between WM_SETREDRAW FALSE and TRUE, invalidating the list at the end.
void FillRowsWithoutDrawing(HWND hList, const CContactArray& rows);

// Empty when the list shows exactly the rows (every row's last name and, with bItemData, its item
// data, every column of some rows); otherwise the first difference. An owner-data list has no
// item data.
std::string CompareRows(HWND hList, const CContactArray& expected, bool bItemData);

// Runs everything posted to this thread, painting included, until nothing new comes.
void DrainMessages();
// Paints at once whatever the window and its children left invalid.
void PaintNow(HWND hWnd);
// Whether the window is on the screen with the list showing rows.
bool IsListShown(HWND hTop, HWND hList);

// A plain top-level window holding only a list view made like hModel (styles, font, columns,
// place and size), with neither of them wrapped: what filling costs without the framework. Its
// list holds its rows even when the model is an owner-data list.
class CBareListWindow {
public:
    CBareListWindow() = default;
    CBareListWindow(const CBareListWindow&) = delete;
    CBareListWindow& operator=(const CBareListWindow&) = delete;
    ~CBareListWindow();

    bool Create(HWND hModelTop, HWND hModelList);
    HWND Frame() const { return m_hFrame; }
    HWND List() const { return m_hList; }

private:
    HWND m_hFrame = nullptr;
    HWND m_hList = nullptr;
};
