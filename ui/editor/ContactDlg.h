// CContactDlg: the modal editor of one contact, all sixteen fields at once and the further values
// beside them (CMoreValues and CPhotoBox, parts of it). It works on its own
// copy of the record (m_contact, in stored form before and after a run) and reports what the
// user did through its result and flags; it never touches the list or the file. One object may
// run several times, for one contact after another. User-interface thread only.
#pragma once

#include "data/Contact.h"
#include "framework/win/Dialog.h"
#include "ui/editor/ColorEdit.h"
#include "ui/editor/MoreValues.h"
#include "ui/editor/PhotoBox.h"

class CContactDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CContactDlg(CWnd* pParent = nullptr);

    // Ctrl+Alt (or AltGr) with S, D or C presses Save, Delete or Close.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CContact m_contact;
    int m_bNew = 0;     // a contact still to be added: nothing to delete yet
    int m_bSaved = 0;   // Save accepted the record
    int m_bDeleted = 0; // the user confirmed Delete
    // Where the contact's photo is read from; without it only a photo not yet stored shows.
    const CPhotoFolder* m_pPhotos = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Save: the record is taken back from the fields and the list of further values, unless it
    // would be empty.
    void OnOK() override;
    void OnDelete();
    void OnPaint();
    void OnThemeChanged() override;
    // The note's colours for the theme the window shows.
    void ColorNote();

    CColorEdit m_editNote;
    CMoreValues m_moreValues;
    CPhotoBox m_photoBox;

private:
    HICON m_hIcon;
    // The record as it came in, and the text each edit showed of it: a field the user did not
    // touch is stored back exactly as it came, although an edit cannot show every byte (it ends
    // a text at a zero byte).
    CContact m_stored;
    CString m_strShown[CContact::kFieldCount];
};
