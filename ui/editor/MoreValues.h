// CMoreValues: the editor's part that lists a contact's further values and adds, edits and
// removes them (its Add, Edit and Remove buttons, a double click or Enter on a row, the Delete
// key). It works on its own copy of the values: a value the user did not touch stays as it came,
// where it came. A photo and the parts of an address field are not listed (the field shows them)
// and are kept. Belongs to one dialog, for every run of it. User-interface thread only.
#pragma once

#include "data/Contact.h"
#include "framework/win/Dialog.h"
#include "ui/editor/ValueListCtrl.h"

#include <vector>

class CMoreValues : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CMoreValues(CDialog& dialog) : m_dialog(dialog) {}
    CMoreValues(const CMoreValues&) = delete;
    CMoreValues& operator=(const CMoreValues&) = delete;

    // Binds the list of the dialog just made and shows the contact's values (stored form).
    void Init(const CContact& contact);
    // The values as the user left them, in stored form.
    const std::vector<CContactValue>& Values() const { return m_values; }

private:
    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnListDoubleClick(NMHDR* pHeader, LRESULT* pResult);
    void OnListReturn(NMHDR* pHeader, LRESULT* pResult);
    void OnListKeyDown(NMHDR* pHeader, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pHeader, LRESULT* pResult);

    // Runs the value dialog on the value; true when the user pressed OK.
    bool RunValueDialog(CContactValue& value, bool bNew);
    // The rows again, the one of value nSelect (an index of m_values) selected, if listed.
    void Refill(int nSelect);
    // The index in m_values of the selected row, or -1.
    int SelectedValue() const;
    void UpdateButtons() const;

    CDialog& m_dialog;
    CValueListCtrl m_list;
    std::vector<CContactValue> m_values;
    std::vector<bool> m_listed; // beside m_values
    bool m_bRefilling = false;
};
