// CTBookDlg: the main window, a resizable dialog listing every contact, with the search box and
// the command buttons above the list and a status bar below it. It keeps the message table and
// wires its parts, each of which owns its state for the whole run: the contact list view, the
// address book (contacts, parsed file, store), the window settings, the notification-area
// presence and the watcher of the other instances' signals. Hiding to the tray only hides the
// window. Runs on the user-interface thread; the watcher talks to it only by posted messages.
#pragma once

#include "ui/shell/AutomationHost.h"
#include "ui/shell/SignalWatcher.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "ui/controls/HoverButtonEx.h"
#include "ui/controls/SkinButton.h"
#include "ui/main/AddressBook.h"
#include "ui/main/ContactListView.h"
#include "ui/main/MainTray.h"
#include "ui/main/WindowSettings.h"

// Shows what the load of the address book found wrong, once the window runs.
const UINT WM_SHOW_LOAD_PROBLEMS = WM_APP + 0x110;

class CContactDlg;

class CTBookDlg : public CDialog, public CAutomationHost {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CTBookDlg(CWnd* pParent = nullptr);
    ~CTBookDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void AttachAutomationClient(CAutomationClient* pClient) override { m_pProxy = pClient; }

    // Sorts the contacts when bSort and shows them all.
    void RefillList(BOOL bSort);
    // Hides the window without ending the program while something still needs it.
    BOOL MayClose();
    // Ends a shown search result and shows the full list.
    void CancelSearch();
    // Shows the row of a contact the search found, with its index as item data.
    void AddSearchHit(int nIndex);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Window set-up and geometry.
    int OnCreate(CREATESTRUCTA* pCreate);
    void OnDestroy();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    void LayoutControls();
    // The image buttons' strips and tooltips, and the search toggle's pictures.
    void SetUpButtons();
    void PlaceWindow();

    // The list's notifications and the search.
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnSearch();
    void OnSearchChange();
    void OnSearchSetFocus() { m_bSearchHasFocus = 1; }
    void OnSearchKillFocus() { m_bSearchHasFocus = 0; }
    CString GetSearchText() const;
    void FocusSearchEdit();

    // The contact commands.
    void OnViewEdit();
    void OnAddNew();
    void OnDelete();
    // Removes the row and its contact; the other rows keep theirs.
    void DeleteRow(int nRow);
    // After the contact at nIndex left the list (the rows still show nRow), every row keeps
    // pointing at its own contact.
    void ReindexRows(int nRow, int nIndex);
    // Removes every row shown and its contact.
    void DeleteShownRows();
    int FindMarkedContact() const { return m_book.Contacts().FindMarkedContact(); }
    // Replaces the contact at nIndex by the edited one, shows the full sorted list and selects
    // the contact at its new place.
    void StoreEditedContact(int nIndex, CContact& contact);
    INT_PTR RunEditor(CContactDlg& dlg);
    // While a command runs, a request to end the program waits for it to end.
    class CCommandScope {
    public:
        explicit CCommandScope(CTBookDlg& dlg);
        ~CCommandScope();
        CCommandScope(const CCommandScope&) = delete;
        CCommandScope& operator=(const CCommandScope&) = delete;

    private:
        CTBookDlg& m_dlg;
    };

    // The tray, the other instances' signals and the exit path.
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam) { return m_tray.OnTrayNotify(this, wParam, lParam); }
    void OnClose();
    void OnShowContacts() { m_tray.ShowWindow(this); }
    void OnTrayExit() { PostMessage(WM_COMMAND, IDOK, 0); }
    LRESULT OnWatcherHide(WPARAM wParam, LPARAM lParam);
    LRESULT OnWatcherShow(WPARAM wParam, LPARAM lParam);
    LRESULT OnWatcherQuit(WPARAM wParam, LPARAM lParam);
    // The exit path of Exit (bQuitSignal false) and of another start's quit signal; true when
    // the program ends.
    bool EndProgram(bool bQuitSignal);
    // Writes the address book before the end; false when the program is to keep running.
    bool SaveBeforeEnd(bool bQuitSignal);
    void OnLaunchOnStartup();

    // Help, the home page, About and the recommendation mail.
    void ShowHelp();
    void OnHome();
    // F1 anywhere in the window: the help page, and nothing more.
    BOOL OnHelpInfo(HELPINFO*) {
        ShowHelp();
        return TRUE;
    }
    void OnAbout();
    void OnTellAFriend();
    LRESULT OnShowLoadProblems(WPARAM wParam, LPARAM lParam);

    CRectI GetWindowRectI() const;

    CHoverButtonEx m_btnHome;
    CHoverButtonEx m_btnExit;
    CSkinButton m_btnSearch;
    CHoverButtonEx m_btnViewEdit;
    CHoverButtonEx m_btnHelp;
    CHoverButtonEx m_btnDelete;
    CHoverButtonEx m_btnAddNew;
    CContactListView m_list;
    CAutomationClient* m_pProxy = nullptr; // the automation object while a client holds the program
    HICON m_hIcon = nullptr;
    CMainTray m_tray;
    CSignalWatcher m_watcher;
    CAddressBook m_book;
    CWindowSettings m_settings;
    CStatusBarCtrl m_statusBar;
    int m_bInitialised = 0;
    int m_bSearchHasFocus = 0;
    bool m_bEnding = false;          // the exit path runs (and may show a message)
    bool m_bQuitRefusalShown = false; // a quit signal was refused over unsaved changes
    int m_nCommandDepth = 0;               // contact commands running
    enum class EPendingEnd { none, quitSignal, exit };
    EPendingEnd m_pendingEnd = EPendingEnd::none; // a request to end waits for them
    CContactDlg* m_pOpenEditor = nullptr;  // the editor while it runs
};
