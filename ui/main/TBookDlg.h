// CTBookDlg: the main window, a resizable dialog listing every contact, with the search box and
// the command buttons above the list and a status bar below it. It owns the contact list, the
// parsed address book, the tray icon and the watcher of the other instances' signals, for the
// whole run; hiding to the tray only hides the window. Runs on the user-interface thread; the
// watcher talks to it only by posted messages.
#pragma once

#include "app/SignalWatcher.h"
#include "app/TrayIcon.h"
#include "data/AddressBookStore.h"
#include "data/ContactArray.h"
#include "data/XML.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "ui/main/SettingsLogic.h"

#include <vector>

// The tray icon's notifications.
const UINT WM_TRAYNOTIFY = 0x8001;
// Shows what the load of the address book found wrong, once the window runs.
const UINT WM_SHOW_LOAD_PROBLEMS = WM_APP + 0x110;

class CTBookDlg : public CDialog {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CTBookDlg(CWnd* pParent = nullptr);
    ~CTBookDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The list view (ListView.cpp).
    void RefillList(BOOL bSort);
    void AddListRow(const char* pszLastName, const char* pszFirstName, const char* pszHomePhone,
                    const char* pszMobile, const char* pszHomeEMail, const char* pszCompany,
                    const char* pszOfficePhone, const char* pszOfficeEMail, int nIndex);
    void SelectRow(int nRow);
    int SelectAllRows();
    int DeselectAllRows();
    void JumpToLetter(const CString& strLetter);

    // The address book file (AddressBook.cpp).
    int LoadAddressBook();
    // Saves the list over the file; on failure tells the user why and returns false.
    bool SaveAddressBook();

    // Settings (Settings.cpp).
    void LoadSettings();
    void SaveSettings();
    void ReadColumnWidths();

    // Hides the window without ending the program while something still needs it.
    BOOL MayClose();
    // Ends a shown search result and shows the full list.
    void CancelSearch();

    CContactArray& GetContactsForTest() { return m_contacts; }
    bool IsHiddenToTray() const { return m_bHiddenToTray != 0; }
    CTrayIcon& GetTrayIcon() { return m_trayIcon; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Window set-up and geometry (TBookDlg.cpp).
    int OnCreate(CREATESTRUCTA* pCreate);
    void OnDestroy();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    void LayoutControls();
    void CreateColumns();

    // The list's notifications and the search focus (ListView.cpp).
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnSearchSetFocus();
    void OnSearchKillFocus();

    // The tray and the exit path (TrayCommands.cpp).
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnShowContacts();
    void OnTrayExit();
    LRESULT OnWatcherHide(WPARAM wParam, LPARAM lParam);
    LRESULT OnWatcherShow(WPARAM wParam, LPARAM lParam);
    void OnLaunchOnStartup();

    // The address book file (AddressBook.cpp).
    LRESULT OnShowLoadProblems(WPARAM wParam, LPARAM lParam);

    CButton m_btnHome;
    CButton m_btnExit;
    CButton m_btnSearch;
    CButton m_btnViewEdit;
    CButton m_btnHelp;
    CButton m_btnDelete;
    CButton m_btnAddNew;
    CListCtrl m_list;
    class CTBookDlgAutoProxy* m_pProxy = nullptr; // the automation object while a client holds the program
    HICON m_hIcon = nullptr;
    CTrayIcon m_trayIcon;
    bool m_bTrayIconAdded = false;
    int m_bHiddenToTray = 0;
    CSignalWatcher m_watcher;
    CContactArray m_contacts;
    CXML m_xml;
    CAddressBookStore m_store;
    CLoadResult m_loadResult;
    CString m_strFirstWarning;
    int m_bInitialised = 0;
    // Loading ends when the user has seen what went wrong with the file; until then the exit
    // path does not write the address book.
    bool m_bLoadFinished = false;
    int m_bSearchHasFocus = 0;
    CWindowRect m_rcWindow = {0, 0, 0, 0};
    int m_columnWidths[kColumnCount] = {};
    CStatusBarCtrl m_statusBar;
};
