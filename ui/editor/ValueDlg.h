// CValueDlg: the modal dialog that adds or edits one further value of a contact: its kind, its
// type and label where the kind has them, and the value in the controls that suit the kind (a
// text, an address in its parts, a date with or without its year). It works on its own copy
// (m_value, stored form before and after a run); what the user left as it was shown comes back
// exactly as it came. User-interface thread only.
#pragma once

#include "data/ContactValue.h"
#include "framework/win/Dialog.h"
#include "ui/editor/ValueText.h"

#include <map>

class CValueDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CValueDlg(CWnd* pParent = nullptr);

    // The value to edit, or for a new one the kind to start with. A photo or a card's property
    // cannot be edited here.
    CContactValue m_value;
    bool m_bNew = true;

    // -1 when the dialog could not be made.
    INT_PTR DoModal() override;

protected:
    BOOL OnInitDialog() override;
    // Keeps the dialog open, with a message, while the value lacks what it needs.
    void OnOK() override;

private:
    void OnKindChange();
    void OnNoYear();

    EValueKind ChosenKind() const;
    // Shows the controls of the kind, stacked below the kind without gaps, and the buttons below them.
    void ShowControlsOf(EValueKind kind);
    void MoveControl(int nId, int nTop) const;
    void FillTypeChoices(EValueKind kind);
    void ShowDate(const CValueDate& date);
    CValueDate PickedDate() const;
    // The value as the controls give it; a text shown and not changed is taken as it came.
    CContactValue ValueFromControls() const;

    // What each control showed of m_value when the dialog opened.
    CString m_strShownType;
    CString m_strShownLabel;
    CString m_strShownText;
    CString m_strShownParts[kAddressPartCount];
    CValueDate m_shownDate;
    // Each control's top in the template, in pixels, before any was moved.
    std::map<int, int> m_templateTops;
};
