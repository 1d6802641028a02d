#include "AboutDlg.h"

#include "ui/shell/Globals.h"
#include "framework/core/WideText.h"
#include "framework/base/AppContext.h"
#include "res/resource.h"
#include "ui/about/BrowserLauncher.h"
#include "ui/about/BuildText.h"
#include "ui/about/FriendMailer.h"
#include "ui/about/Maker.h"
#include "ui/controls/ArtResources.h"

#include <shellapi.h>

#include <iterator>

namespace {

const char kMailClientError[] = "Error opening default mail client!";

} // namespace

const CMessageTable* CAboutDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CAboutDlg::OnSupportMail>(IDC_SUPPORT_MAIL),
        OnCommand<&CAboutDlg::OnHomePage>(IDC_OPEN_HOME_PAGE),
        OnCommand<&CAboutDlg::OnTellAFriend>(IDC_TELL_A_FRIEND),
        OnCommand<&CAboutDlg::OnTellAFriend>(ID_TRAY_TELL_A_FRIEND),
        OnCommand<&CAboutDlg::OnMorePrograms>(IDC_MORE_PROGRAMS),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent), m_strVersion(g_strVersion) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_MAKER, m_labelMaker);
    DDX_Control(pDX, IDC_ABOUT_PRODUCT, m_labelProduct);
    DDX_Control(pDX, IDC_ABOUT_VERSION, m_labelVersion);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetVersionText();
    m_labelProduct.SetTextColor(RGB(60, 60, 220));
    m_labelProduct.SetFontHeight(22, GetDpi());
    m_labelVersion.SetTextColor(RGB(190, 60, 60));
    m_labelVersion.SetFontHeight(17, GetDpi());
    m_labelMaker.SetTextColor(RGB(100, 100, 220));
    m_labelMaker.SetFontHeight(17, GetDpi());
    SetVersionText();
    ShowPicture();
    return TRUE;
}

void CAboutDlg::OnDpiChanged(int, int nNewDpi) {
    for (CColorLabel* pLabel : {&m_labelProduct, &m_labelVersion, &m_labelMaker}) {
        pLabel->SetDpi(nNewDpi);
    }
    ShowPicture();
}

void CAboutDlg::ShowPicture() {
    // The picture control has no id of its own: it is the static that shows a bitmap.
    HWND hPicture = nullptr;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild && !hPicture;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        char szClass[16] = "";
        ::GetClassNameA(hChild, szClass, sizeof szClass);
        if (lstrcmpiA(szClass, "Static") == 0 && (::GetWindowLongW(hChild, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            hPicture = hChild;
        }
    }
    CBitmap picture;
    picture.Attach(LoadArtBitmap(AfxGetResourceHandle(), IDB_ABOUT, GetDpi(), PaintsDarkFace(m_hWnd)));
    if (!hPicture || !picture) {
        return; // the picture of the template stays
    }
    HGDIOBJ hShown = reinterpret_cast<HGDIOBJ>(::SendMessageW(
        hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.GetSafeHandle())));
    // The control hands back the picture it showed: the one it loaded from the template, which
    // nobody else deletes, or ours from before, deleted as it is replaced.
    if (hShown && hShown != m_picture.GetSafeHandle()) {
        ::DeleteObject(hShown);
    }
    m_picture.Attach(picture.Detach());
}

CString CAboutDlg::GetBuildText() const { return BuildText(m_strVersion, kBuildDate); }

void CAboutDlg::SetVersionText() { SetDlgItemText(IDC_ABOUT_VERSION, "Version " + GetBuildText()); }

void CAboutDlg::OnSupportMail() {
    CString strAddress = CString("mailto:") + kSupportAddress + "?subject=Support request: Tovano Address Book " +
                         GetBuildText();
    HINSTANCE hResult = ::ShellExecuteW(nullptr, L"open", ToWide(strAddress).c_str(), nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<UINT_PTR>(hResult) <= 32) {
        AfxMessageBox(kMailClientError, MB_OK);
    }
}

void CAboutDlg::OnHomePage() { CBrowserLauncher().OpenPage(m_hWnd, kHomePageUrl); }

void CAboutDlg::OnTellAFriend() { CFriendMailer().SendRecommendation(m_hWnd); }

void CAboutDlg::OnMorePrograms() { CBrowserLauncher().OpenPage(m_hWnd, kMoreProgramsUrl); }
