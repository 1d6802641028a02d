// CContactListView: the main window's list control 1000, showing contacts as rows of eight
// columns, and a ninth, Birthday, that the user shows or hides from the header's menu and sorts
// by with a click on its header. It is an owner-data list: the control holds no rows, only their
// number and their selection; the texts of the rows it draws come from the shown order
// (CShownOrder), the index of each row's contact in the book's sorted array, so the rows keep
// pointing at their contacts whatever order or subset they show. The contacts belong to the caller
// and must outlive the rows that show them. User-interface thread only.
#pragma once

#include "data/ContactArray.h"
#include "framework/win/Controls.h"
#include "ui/main/ListLogic.h"
#include "ui/main/SettingsLogic.h"

#include <vector>

class CContactListView : public CListCtrl {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    // The eight columns, "Last Name" first, right-aligned, with the given widths, and the
    // Birthday column after them if it is to show. The widths given and read are those of 96 dpi,
    // shown at nDpi.
    void CreateColumns(const CListColumns& columns, int nDpi);
    void ReadColumns(CListColumns& columns) const;
    // The window has scaled the columns for a screen of another scaling.
    void SetDpi(int nDpi) { m_nDpi = nDpi; }
    // Shows or hides the Birthday column; hiding it puts the rows back in name order.
    void ShowBirthdayColumn(bool bShow);
    bool IsBirthdayColumnShown() const { return m_bBirthdayShown; }

    // Shows every contact of the array, in its order, from the top, nothing selected.
    void RefillList(const CContactArray& contacts);
    // Shows the contacts at these indexes of the array (a search result), from the top, nothing
    // selected. Either way the rows are in name order again.
    void ShowContacts(const CContactArray& contacts, std::vector<int> rowContacts);
    // Orders the rows shown by the next birthday from today (BirthdayOrder), or back in name
    // order; the selected contacts stay selected, the focused one in view.
    void SortByBirthday(bool bByBirthday);
    bool IsSortedByBirthday() const { return m_bByBirthday; }

    void SelectRow(int nRow);
    // Selects these rows besides any selected already, the first one focused and in view.
    void SelectRows(const std::vector<int>& rows);
    // Both return the number of rows.
    int SelectAllRows();
    int DeselectAllRows();
    // Selects the row for a typed letter (only that row) and gives the list the focus.
    void JumpToLetter(const CContactArray& contacts, const CString& strLetter);

    bool HasSelection() const { return GetNextItem(-1, LVNI_SELECTED) != -1; }
    std::vector<int> SelectedRows() const;
    // The contact index a row shows (-1 for none), and that of every row, top to bottom.
    int RowContact(int nRow) const { return m_order.ContactAt(nRow); }
    const std::vector<int>& RowContacts() const { return m_order.RowContacts(); }
    // The contact of nRow has just left the book: the row goes, every other row keeps its contact
    // and its selection, and the view stays where it is.
    void RemoveRow(int nRow);
    // Every contact shown has left the book.
    void RemoveAllRows();

protected:
    BOOL OnGetDispInfo(NMHDR* pHeader, LRESULT* pResult);
    BOOL OnFindItem(NMHDR* pHeader, LRESULT* pResult);
    BOOL OnColumnClick(NMHDR* pHeader, LRESULT* pResult);
    // A right click on the header opens the menu of the columns; any other goes to the window.
    BOOL OnContextMenu(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

private:
    // Tells the control how many rows there are; dwFlags as LVM_SETITEMCOUNT takes them.
    void SetRowCount(DWORD dwFlags);
    // Empties the selection and the focus, so that a new order starts with none.
    void ForgetSelection();
    // The header's menu of the columns at ptScreen: the fixed ones checked and greyed, Birthday
    // checked while it shows; choosing Birthday shows or hides it.
    void ShowColumnMenu(POINT ptScreen);
    // The Birthday header's arrow while the rows are in birthday order.
    void ShowSortMark();

    const CContactArray* m_pContacts = nullptr;
    CShownOrder m_order;
    int m_nBirthdayWidth = kDefaultColumnWidth; // kept while the column is hidden, at 96 dpi
    int m_nDpi = kBaseDpi;
    bool m_bBirthdayShown = false;
    bool m_bByBirthday = false;
};
