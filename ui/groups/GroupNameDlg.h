// CGroupNameDlg: asks for the name of a group: a new group for the selected contacts, or a new
// name for one. The drop-down offers the book's groups, so a group not in the menu can be chosen
// too. OK takes the name without the blanks around it; a name of nothing keeps the window open.
// User-interface thread only.
#pragma once

#include "framework/win/Dialog.h"

#include <vector>

class CGroupNameDlg : public CDialog {
public:
    // strName and offered in stored form.
    CGroupNameDlg(const CString& strCaption, const CString& strPrompt, const CString& strName,
                  std::vector<CString> offered, CWnd* pParent = nullptr);

    // The name given, in stored form, once OK has ended the window.
    const CString& Name() const { return m_strName; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CString m_strCaption;
    CString m_strPrompt;
    CString m_strName;
    std::vector<CString> m_offered;
};
