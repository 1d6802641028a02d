// CSyncDlg: the Synchronisation window. The user gives the server's address, the user name and
// the password; Connect finds the address books there (on a worker, so the window stays
// responsive) and the user picks one. OK stores the account: its values in the registry, the
// password in the Credential Manager. Remove Account forgets it, with the book's sync state, so
// that a later first sync matches the contacts anew. A certificate the system does not trust is
// shown by its fingerprint for the user to trust or not. User-interface thread only.
#pragma once

#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "sync/DavClient.h"
#include "ui/sync/BackgroundTask.h"
#include "ui/sync/SyncSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Posted to the dialog when a search for address books has ended.
const UINT WM_SYNC_BOOKS_FOUND = WM_APP + 0x121;

class CSyncDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    enum class EResult { unchanged, stored, removed };

    // strStatePath: the book's sync state, removed with the account.
    CSyncDlg(const CSyncAccount& account, std::string strStatePath, std::function<void()> help,
             CWnd* pParent = nullptr);

    EResult Result() const { return m_eResult; }
    const CSyncAccount& Account() const { return m_account; }

protected:
    BOOL OnInitDialog() override;
    void FitSpinToDpi();
    void OnOK() override;
    void OnCancel() override;
    void OnConnect();
    void OnAddressChange();
    void OnEveryClicked();
    void OnRemove();
    void OnHelp() { m_help(); }
    BOOL OnHelpInfo(HELPINFO*) {
        m_help();
        return TRUE;
    }
    LRESULT OnBooksFound(WPARAM wParam, LPARAM lParam);

private:
    struct CSearch {
        std::string strAddress;
        std::vector<CAddressBookInfo> books;
        std::string strError, strCertificateSha256;
        bool bOk = false;
    };

    void StartConnect();
    // The user name and password as typed, as one text to compare.
    std::string Login() const;
    void ShowBooks(const std::string& strSelectUrl);
    void WidenDropDown(HWND hList) const;
    // Stores what the window shows; false (and a message) when something is missing or refused.
    bool Store();
    std::string Text(int nId) const { return GetDlgItemText(nId).GetStdString(); }
    void SetMessage(const char* pszText) const;
    // The warning under the address while it sends the password unencrypted.
    void ShowWarning() const;

    CSyncAccount m_account;       // as stored when the window opened, then as stored by OK
    std::string m_strTrustedSha256; // the certificate trusted in this window
    std::string m_strStatePath;
    std::function<void()> m_help;
    std::vector<CAddressBookInfo> m_books; // in the list, in its order
    std::string m_strBooksAddress;         // the address they were found at
    std::string m_strBooksLogin;           // and the user name and password (Login())
    std::string m_strConnectingLogin;      // those of the search under way
    CBackgroundTask m_connect;
    std::shared_ptr<CSearch> m_pSearch;
    bool m_bOkAfterConnect = false; // OK was pressed before a book was chosen
    EResult m_eResult = EResult::unchanged;
};
