// CContactListView: the main window's list control 1000, showing contacts as rows of eight
// columns. Every row carries the index of its contact in the list it was filled from as its item
// data, so the rows keep pointing at their contacts whatever order or subset they show. The view
// owns nothing but its rows; the contacts belong to the caller. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Controls.h"
#include "ui/main/SettingsLogic.h"

#include <vector>

class CContactListView : public CListCtrl {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    // The eight columns, "Last Name" first, right-aligned, with the given widths.
    void CreateColumns(const int columnWidths[kColumnCount]);
    void ReadColumnWidths(int columnWidths[kColumnCount]) const;

    // Empties the list and adds one row per contact of the book, sorting it first when bSort.
    void RefillList(CContactBook& book, BOOL bSort);
    // Empties the list and adds one row per contact, in their order.
    void RefillList(const CContactArray& contacts);
    // Appends one row showing the contact, with nIndex (its place in the list) as its item data.
    void AddContactRow(const CContact& contact, int nIndex);
    // Appends one row showing these texts, with nIndex as its item data; nothing is selected.
    void AddListRow(const char* pszLastName, const char* pszFirstName, const char* pszHomePhone,
                    const char* pszMobile, const char* pszHomeEMail, const char* pszCompany,
                    const char* pszOfficePhone, const char* pszOfficeEMail, int nIndex);

    void SelectRow(int nRow);
    // Selects these rows besides any selected already, the first one focused and in view.
    void SelectRows(const std::vector<int>& rows);
    // Both return the number of rows.
    int SelectAllRows();
    int DeselectAllRows();
    // Selects the row for a typed letter (only that row) and gives the list the focus.
    void JumpToLetter(const CContactArray& contacts, const CString& strLetter);

    bool HasSelection() const { return GetNextItem(-1, LVNI_SELECTED) != -1; }
    // The contact index a row shows, and that of every row, top to bottom.
    int RowContact(int nRow) const { return static_cast<int>(GetItemData(nRow)); }
    std::vector<int> RowContacts() const;
    // After the contact at nIndex left the book, every row but nRow (which goes next) keeps
    // showing its own contact.
    void ReindexRows(int nRow, int nIndex);

protected:
    // The rows own nothing, so emptying the list asks for no notice per row: with one per row,
    // emptying a list of 100,000 rows took seconds.
    BOOL OnDeleteAllItems(NMHDR*, LRESULT* pResult) {
        *pResult = TRUE;
        return TRUE;
    }
};
