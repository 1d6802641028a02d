// CAboutDlg: the modal About box, with the version and build, the maker, and buttons for a
// support mail, the home page, a recommendation to a friend and the maker's further programs.
// It has no OK button: Escape or the close box end it. It changes nothing of the program.
#pragma once

#include "framework/win/Dialog.h"
#include "framework/win/Gdi.h"
#include "ui/controls/ColorLabel.h"

class CAboutDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CAboutDlg(CWnd* pParent = nullptr);

    // "1.0 (build 10041022)".
    CString GetBuildText() const;
    void SetVersionText();
    // Shows the product picture drawn for the dialog's dots per inch and for the face it paints,
    // light or dark; again after either changed.
    void ShowPicture();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnDpiChanged(int nOldDpi, int nNewDpi) override;
    void OnThemeChanged() override { ShowPicture(); }
    void OnSupportMail();
    void OnHomePage();
    void OnTellAFriend();
    void OnMorePrograms();

    CColorLabel m_labelMaker;
    CColorLabel m_labelProduct;
    CColorLabel m_labelVersion;
    CString m_strVersion;
    CBitmap m_picture; // shown by the picture control, which does not own it
};
