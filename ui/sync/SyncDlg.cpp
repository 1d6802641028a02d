#include "SyncDlg.h"

#include "framework/core/WideText.h"
#include "framework/win/DpiIcon.h"
#include "res/resource.h"
#include "ui/controls/AccessibleName.h"
#include "sync/Credentials.h"
#include "sync/DavUrl.h"
#include "sync/HttpClient.h"
#include "ui/shell/Globals.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const char kUnencrypted[] = "Plain http: the password and the contacts travel unencrypted. Use https "
                            "unless the server runs on this computer.";
const char kUntrusted[] =
    "The certificate of %s is not one Windows trusts. It may be the server's own certificate, or "
    "someone else's between you and the server.\n\nIts SHA-256 fingerprint is\n%s\n\nCompare it with "
    "the fingerprint the server's administrator gives you. Trust this certificate for this account?";
const char kRemove[] = "Stop synchronising with %s?\n\nThe contacts stay as they are, here and on the server, "
                       "and the password is removed from Windows' Credential Manager.";

// The fingerprint in two lines of sixteen pairs: a message box breaks lines only at blanks, and
// cut the one long line off at its end.
std::string TwoLineFingerprint(const std::string& strSha256) {
    return GroupedFingerprint(strSha256.substr(0, 32)) + "\n" + GroupedFingerprint(strSha256.substr(32));
}

std::string BookLine(const CAddressBookInfo& book) {
    const std::string strUrl = DisplayUrl(book.strUrl);
    return book.strName.empty() ? strUrl : book.strName + " (" + strUrl + ")";
}

} // namespace

const CMessageTable* CSyncDlg::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnControlCode<&CSyncDlg::OnAddressChange>(IDC_SYNC_ADDRESS, EN_CHANGE),
        OnCommand<&CSyncDlg::OnConnect>(IDC_SYNC_CONNECT),
        OnCommand<&CSyncDlg::OnEveryClicked>(IDC_SYNC_EVERY),
        OnCommand<&CSyncDlg::OnRemove>(IDC_SYNC_REMOVE),
        OnCommand<&CSyncDlg::OnHelp>(IDC_SYNC_HELP),
        OnWmHelp<&CSyncDlg::OnHelpInfo>(),
        OnMessage<&CSyncDlg::OnBooksFound>(WM_SYNC_BOOKS_FOUND),
    };
    static const CMessageTable table = {CDialog::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

CSyncDlg::CSyncDlg(const CSyncAccount& account, std::string strStatePath, std::function<void()> help,
                   CWnd* pParent)
    : CDialog(IDD_SYNC, pParent), m_account(account), m_strTrustedSha256(account.strTrustedSha256),
      m_strStatePath(std::move(strStatePath)), m_help(std::move(help)) {}

void CSyncDlg::FitSpinToDpi() {
    // The arrows take a scroll bar's width at the window's dpi out of the minutes box's place,
    // where some systems give them the width of 96 dpi at any scaling.
    HWND hSpin = GetDlgItem(IDC_SYNC_MINUTES_SPIN);
    HWND hMinutes = GetDlgItem(IDC_SYNC_MINUTES);
    RECT spin;
    RECT minutes;
    if (!hSpin || !hMinutes || !::GetWindowRect(hSpin, &spin) || !::GetWindowRect(hMinutes, &minutes)) {
        return;
    }
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&spin), 2);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&minutes), 2);
    const int nWidth = GetSystemMetricForDpi(SM_CXVSCROLL, GetDpi());
    if (nWidth <= 0 || nWidth == spin.right - spin.left || spin.right - minutes.left <= 2 * nWidth) {
        return;
    }
    ::MoveWindow(hMinutes, minutes.left, minutes.top, spin.right - nWidth - minutes.left, minutes.bottom - minutes.top, TRUE);
    ::MoveWindow(hSpin, spin.right - nWidth, spin.top, nWidth, spin.bottom - spin.top, TRUE);
}

BOOL CSyncDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    NameCombosByTheirLabels(m_hWnd);
    SetDlgItemText(IDC_SYNC_ADDRESS, m_account.strAddress.c_str());
    SetDlgItemText(IDC_SYNC_USER, m_account.strUser.c_str());
    std::string strPassword;
    if (m_account.IsSetUp() && ReadPassword(m_account.strBookUrl, m_account.strUser, strPassword)) {
        SetDlgItemText(IDC_SYNC_PASSWORD, strPassword.c_str());
    }
    CheckDlgButton(IDC_SYNC_AT_START, m_account.bAtStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SYNC_AFTER_CHANGE, m_account.bAfterChange ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_SYNC_EVERY, m_account.bEvery ? BST_CHECKED : BST_UNCHECKED);
    FitSpinToDpi();
    ::SendMessageW(GetDlgItem(IDC_SYNC_MINUTES_SPIN), UDM_SETRANGE32, kMinSyncMinutes, kMaxSyncMinutes);
    ::SendMessageW(GetDlgItem(IDC_SYNC_MINUTES), EM_LIMITTEXT, 4, 0);
    ::SetDlgItemInt(m_hWnd, IDC_SYNC_MINUTES, static_cast<UINT>(m_account.nMinutes), FALSE);
    OnEveryClicked();
    if (m_account.IsSetUp()) {
        m_books = {{m_account.strBookUrl, m_account.strBookName}};
        m_strBooksAddress = CompleteAddress(m_account.strAddress);
        m_strBooksLogin = Login();
    }
    ShowBooks(m_account.strBookUrl);
    ::EnableWindow(GetDlgItem(IDC_SYNC_REMOVE), m_account.IsSetUp());
    ShowWarning();
    return TRUE;
}

void CSyncDlg::SetMessage(const char* pszText) const { SetDlgItemText(IDC_SYNC_MESSAGE, pszText); }

void CSyncDlg::ShowWarning() const {
    SetDlgItemText(IDC_SYNC_WARNING, IsUnencryptedToOtherHost(Text(IDC_SYNC_ADDRESS)) ? kUnencrypted : "");
}

void CSyncDlg::OnAddressChange() {
    ShowWarning();
    // The books found belong to the address they were found at.
    if (!m_books.empty() && CompleteAddress(Text(IDC_SYNC_ADDRESS)) != m_strBooksAddress) {
        m_books.clear();
        ShowBooks(std::string());
        SetMessage("");
    }
}

void CSyncDlg::OnEveryClicked() {
    bool bEvery = IsDlgButtonChecked(IDC_SYNC_EVERY) == BST_CHECKED;
    ::EnableWindow(GetDlgItem(IDC_SYNC_MINUTES), bEvery);
    ::EnableWindow(GetDlgItem(IDC_SYNC_MINUTES_SPIN), bEvery);
}

void CSyncDlg::ShowBooks(const std::string& strSelectUrl) {
    HWND hList = GetDlgItem(IDC_SYNC_BOOKS);
    ::SendMessageW(hList, CB_RESETCONTENT, 0, 0);
    int nSelect = m_books.empty() ? -1 : 0;
    for (size_t i = 0; i < m_books.size(); ++i) {
        ::SendMessageW(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(BookLine(m_books[i]).c_str()).c_str()));
        if (!strSelectUrl.empty() && IsSameResource(m_books[i].strUrl, strSelectUrl)) {
            nSelect = static_cast<int>(i);
        }
    }
    ::SendMessageW(hList, CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0);
    ::EnableWindow(hList, !m_books.empty());
    WidenDropDown(hList);
}

// A book's name and address together may be longer than the box: the list that drops down is
// made wide enough to show them whole, as far as the screen allows.
void CSyncDlg::WidenDropDown(HWND hList) const {
    RECT box = {};
    ::GetWindowRect(hList, &box);
    const int nBoxWidth = box.right - box.left;
    int nWidest = nBoxWidth;
    HDC hDC = ::GetDC(hList);
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageW(hList, WM_GETFONT, 0, 0)));
    for (const CAddressBookInfo& book : m_books) {
        std::wstring strLine = ToWide(BookLine(book).c_str());
        SIZE size = {};
        ::GetTextExtentPoint32W(hDC, strLine.c_str(), static_cast<int>(strLine.size()), &size);
        nWidest = std::max(nWidest, static_cast<int>(size.cx) + ::GetSystemMetrics(SM_CXVSCROLL) +
                                        4 * ::GetSystemMetrics(SM_CXEDGE));
    }
    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(hList, hDC);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoW(::MonitorFromWindow(hList, MONITOR_DEFAULTTONEAREST), &monitor)) {
        nWidest = std::max<int>(nBoxWidth, std::min<int>(nWidest, monitor.rcWork.right - box.left));
    }
    ::SendMessageW(hList, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(nWidest), 0);
}

void CSyncDlg::OnConnect() {
    m_bOkAfterConnect = false;
    StartConnect();
}

std::string CSyncDlg::Login() const { return Text(IDC_SYNC_USER) + '\n' + Text(IDC_SYNC_PASSWORD); }

void CSyncDlg::StartConnect() {
    if (m_connect.IsRunning()) {
        return;
    }
    std::string strAddress = CompleteAddress(Text(IDC_SYNC_ADDRESS));
    if (strAddress.empty()) {
        m_bOkAfterConnect = false;
        MessageBox("Enter the address of the CardDAV server, of your account there, or of the address book.",
                   kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItem(IDC_SYNC_ADDRESS));
        return;
    }
    CHttpOptions options;
    options.strUser = Text(IDC_SYNC_USER);
    options.strPassword = Text(IDC_SYNC_PASSWORD);
    options.strCredentialOrigin = UrlOrigin(strAddress);
    m_strConnectingLogin = Login();
    options.strTrustedCertificateSha256 = m_strTrustedSha256;
    auto pSearch = std::make_shared<CSearch>();
    pSearch->strAddress = strAddress;
    bool bStarted = m_connect.Start(m_hWnd, WM_SYNC_BOOKS_FOUND, [pSearch, options]() mutable {
        pSearch->bOk = FindAddressBooks(*MakeHttpTransport(options), pSearch->strAddress, pSearch->books,
                                        pSearch->strError, pSearch->strCertificateSha256);
        WipeSecret(options.strPassword);
    });
    WipeSecret(options.strPassword);
    if (!bStarted) {
        m_bOkAfterConnect = false;
        SetMessage("The search for address books could not be started.");
        return;
    }
    m_pSearch = std::move(pSearch);
    SetMessage(("Connecting to " + UrlOrigin(strAddress) + "...").c_str());
    ::EnableWindow(GetDlgItem(IDC_SYNC_CONNECT), FALSE);
}

LRESULT CSyncDlg::OnBooksFound(WPARAM wParam, LPARAM) {
    if (!m_connect.Finish(wParam)) {
        return 0;
    }
    ::EnableWindow(GetDlgItem(IDC_SYNC_CONNECT), TRUE);
    std::shared_ptr<CSearch> pSearch = std::move(m_pSearch);
    if (!pSearch->bOk) {
        std::string strSha256 = CanonicalSha256(pSearch->strCertificateSha256);
        if (!strSha256.empty() && strSha256 != m_strTrustedSha256) {
            CString strQuestion;
            strQuestion.Format(kUntrusted, UrlOrigin(pSearch->strAddress).c_str(),
                               TwoLineFingerprint(strSha256).c_str());
            SetMessage("The server's certificate is not trusted.");
            if (MessageBox(strQuestion, kSystemCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION) == IDYES) {
                m_strTrustedSha256 = strSha256;
                StartConnect();
                return 0;
            }
            // The question said all there is to say; a second box would repeat it.
            m_bOkAfterConnect = false;
            SetMessage("Not connected: the server's certificate is not trusted.");
            return 0;
        }
        m_bOkAfterConnect = false;
        SetMessage("Not connected.");
        MessageBox(pSearch->strError.c_str(), kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    m_books = pSearch->books;
    m_strBooksAddress = pSearch->strAddress;
    m_strBooksLogin = m_strConnectingLogin;
    ShowBooks(m_account.strBookUrl);
    CString strFound;
    if (m_books.empty()) {
        strFound = "No address book found at this address.";
    } else if (m_books.size() == 1) {
        strFound = "Found 1 address book.";
    } else {
        strFound.Format("Found %d address books: choose one.", static_cast<int>(m_books.size()));
    }
    SetMessage(strFound);
    bool bOk = m_bOkAfterConnect;
    m_bOkAfterConnect = false;
    if (bOk && m_books.size() == 1) {
        OnOK();
    } else if (m_books.size() > 1) {
        ::SetFocus(GetDlgItem(IDC_SYNC_BOOKS));
    }
    return 0;
}

void CSyncDlg::OnOK() {
    if (m_connect.IsRunning()) {
        m_bOkAfterConnect = true; // stored once the address books are found
        return;
    }
    std::string strAddress = CompleteAddress(Text(IDC_SYNC_ADDRESS));
    if (strAddress.empty()) {
        if (!m_account.IsSetUp()) {
            EndDialog(IDCANCEL); // nothing to store
            return;
        }
        MessageBox("To stop synchronising, press Remove Account.", kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // A changed user name or password is tried before it is stored, not at the next sync.
    if (m_books.empty() || strAddress != m_strBooksAddress || Login() != m_strBooksLogin) {
        m_bOkAfterConnect = true;
        StartConnect();
        return;
    }
    if (Store()) {
        m_eResult = EResult::stored;
        EndDialog(IDOK);
    }
}

bool CSyncDlg::Store() {
    int nBook = static_cast<int>(::SendMessageW(GetDlgItem(IDC_SYNC_BOOKS), CB_GETCURSEL, 0, 0));
    if (nBook < 0 || nBook >= static_cast<int>(m_books.size())) {
        MessageBox("Choose the address book to synchronise with.", kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItem(IDC_SYNC_BOOKS));
        return false;
    }
    CSyncAccount account;
    account.strAddress = CompleteAddress(Text(IDC_SYNC_ADDRESS));
    account.strBookUrl = m_books[static_cast<size_t>(nBook)].strUrl;
    account.strBookName = m_books[static_cast<size_t>(nBook)].strName;
    account.strUser = Text(IDC_SYNC_USER);
    account.strTrustedSha256 = m_strTrustedSha256;
    account.bAtStart = IsDlgButtonChecked(IDC_SYNC_AT_START) == BST_CHECKED;
    account.bAfterChange = IsDlgButtonChecked(IDC_SYNC_AFTER_CHANGE) == BST_CHECKED;
    account.bEvery = IsDlgButtonChecked(IDC_SYNC_EVERY) == BST_CHECKED;
    BOOL bNumber = FALSE;
    int nMinutes = static_cast<int>(::GetDlgItemInt(m_hWnd, IDC_SYNC_MINUTES, &bNumber, FALSE));
    if (account.bEvery && (!bNumber || nMinutes < kMinSyncMinutes || nMinutes > kMaxSyncMinutes)) {
        CString strText;
        strText.Format("Enter a number of minutes from %d to %d.", kMinSyncMinutes, kMaxSyncMinutes);
        MessageBox(strText, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItem(IDC_SYNC_MINUTES));
        return false;
    }
    account.nMinutes = SaneSyncMinutes(bNumber ? nMinutes : m_account.nMinutes);

    std::string strPassword = Text(IDC_SYNC_PASSWORD);
    if (!strPassword.empty() && !StorePassword(account.strBookUrl, account.strUser, strPassword)) {
        WipeSecret(strPassword);
        MessageBox("Windows' Credential Manager did not take the password, so the account was not stored.",
                   kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (strPassword.empty()) {
        DeletePassword(account.strBookUrl); // a server without a password
    }
    WipeSecret(strPassword);
    if (m_account.IsSetUp() && m_account.strBookUrl != account.strBookUrl) {
        DeletePassword(m_account.strBookUrl);
    }
    CString strError;
    if (!account.Save(&strError)) {
        MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_account = account;
    return true;
}

void CSyncDlg::OnRemove() {
    if (!m_account.IsSetUp()) {
        return;
    }
    CString strQuestion;
    strQuestion.Format(kRemove, UrlOrigin(m_account.strBookUrl).c_str());
    if (MessageBox(strQuestion, kSystemCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) != IDYES) {
        return;
    }
    CSyncAccount::Remove(m_account.strBookUrl);
    // A later account starts with a first sync, which finds the contacts again by their fields.
    ::DeleteFileW(ToWide(m_strStatePath.c_str()).c_str());
    m_account = CSyncAccount();
    m_eResult = EResult::removed;
    EndDialog(IDOK);
}

void CSyncDlg::OnCancel() {
    m_connect.Abandon(0);
    CDialog::OnCancel();
}
