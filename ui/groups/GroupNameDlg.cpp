#include "GroupNameDlg.h"

#include "data/ContactGroups.h"
#include "data/ContactValue.h"
#include "framework/core/WideText.h"
#include "res/resource.h"
#include "ui/controls/AccessibleName.h"

CGroupNameDlg::CGroupNameDlg(const CString& strCaption, const CString& strPrompt, const CString& strName,
                             std::vector<CString> offered, CWnd* pParent)
    : CDialog(IDD_GROUP_NAME, pParent), m_strCaption(strCaption), m_strPrompt(strPrompt), m_strName(strName),
      m_offered(std::move(offered)) {}

BOOL CGroupNameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextW(m_hWnd, ToWide(m_strCaption).c_str());
    SetDlgItemText(IDC_GROUP_NAME_PROMPT, m_strPrompt);
    NameCombosByTheirLabels(m_hWnd);
    HWND hName = GetDlgItem(IDC_GROUP_NAME);
    for (const CString& strOffered : m_offered) {
        ::SendMessageW(hName, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(DisplayTextOf(strOffered)).c_str()));
    }
    SetDlgItemText(IDC_GROUP_NAME, DisplayTextOf(m_strName));
    // The name is typed over or edited from the start.
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hName), TRUE);
    ::SendMessageW(hName, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    return FALSE;
}

void CGroupNameDlg::OnOK() {
    CString strName = GroupNameFromInput(GetDlgItemText(IDC_GROUP_NAME));
    if (strName.IsEmpty()) {
        ::MessageBeep(MB_OK);
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_GROUP_NAME)), TRUE);
        return;
    }
    m_strName = strName;
    CDialog::OnOK();
}
