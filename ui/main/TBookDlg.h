// CTBookDlg: the main window, a resizable dialog listing every contact, with the search box and
// the command buttons above the list and a status bar below it. It keeps the message table and
// wires its parts, each of which owns its state for the whole run: the buttons, the contact
// list view, the contact book (contacts, file, search), the contact commands, the search, the
// window settings, the notification-area presence, the watcher of the other instances' signals,
// synchronisation, the book as other programs change it, and the rules of ending. Hiding to the
// tray only hides the window. Runs on the user-interface thread; the watchers and the sync's
// worker talk to it only by posted messages.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Controls.h"
#include "ui/main/BookRefresh.h"
#include "framework/win/Dialog.h"
#include "ui/main/ContactCommands.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/IncomingFiles.h"
#include "ui/main/InterchangeCommands.h"
#include "ui/main/ListMenu.h"
#include "ui/main/MainButtons.h"
#include "ui/main/MainContext.h"
#include "ui/main/MainSearch.h"
#include "ui/main/MainTray.h"
#include "ui/main/SyncCommands.h"
#include "ui/main/WindowSettings.h"
#include "ui/shell/AutomationHost.h"
#include "ui/shell/SignalWatcher.h"

// Shows what the load of the address book found wrong, once the window runs.
const UINT WM_SHOW_LOAD_PROBLEMS = WM_APP + 0x110;

class CTBookDlg : public CDialog, public CAutomationHost {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    explicit CTBookDlg(const CMainContext& context, CWnd* pParent = nullptr);
    ~CTBookDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void AttachAutomationClient(CAutomationClient* pClient) override { m_pProxy = pClient; }

    // Hides the window without ending the program while something still needs it.
    BOOL MayClose();

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
    void PlaceWindow();

    // The list's notifications, the contact commands and the search, handled by their parts.
    void OnListDblClk(NMHDR* pHeader, LRESULT* pResult);
    void OnViewEdit() { m_contactCommands.OnViewEdit(); }
    void OnAddNew() { m_contactCommands.OnAddNew(); }
    void OnDelete() { m_contactCommands.OnDelete(); }
    void OnUndo() { m_contactCommands.OnUndo(); }
    void OnFindDuplicates();
    void OnMergeSelected() { m_contactCommands.OnMergeSelected([this] { ShowHelp("#duplicates"); }); }
    void OnSearch() { m_search.OnSearch(); }
    void OnSearchChange() { m_search.OnSearchChange(); }
    void OnSearchSetFocus() { m_search.OnSearchSetFocus(); }
    void OnSearchKillFocus() { m_search.OnSearchKillFocus(); }
    LRESULT OnShowLoadProblems(WPARAM wParam, LPARAM lParam);

    // Contacts in and out: the list's menu, the interchange commands and the files that come in.
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnSendEmail() { m_listMenu.OnSendEmail(m_hWnd); }
    void OnOpenWebPage() { m_listMenu.OnOpenWebPage(m_hWnd); }
    void OnCall() { m_listMenu.OnCall(m_hWnd); }
    void OnImport();
    void OnExport();
    void OnCopy() { m_interchange.OnCopy(); }
    void OnPaste() { m_interchange.OnPaste(); }
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam) { return m_incoming.OnCopyData(wParam, lParam); }
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam) { return m_incoming.OnDropFiles(wParam, lParam); }
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam) {
        return m_refresh.OnTimer(wParam) || m_sync.OnTimer(wParam) ? 0 : m_incoming.OnTimer(wParam, lParam);
    }
    LRESULT OnBookFolderChanged(WPARAM wParam, LPARAM lParam) { return m_refresh.OnFolderChanged(wParam, lParam); }

    // Synchronisation: its window, Synchronise Now and the worker's end.
    // From the tray as well: the window comes up first, so that its status bar can say how it went.
    void OnSyncSettings() {
        OnShowContacts();
        m_sync.OnSettings([this] { ShowHelp("#sync"); });
    }
    void OnSyncNow() {
        OnShowContacts();
        m_sync.OnSyncNow();
    }
    LRESULT OnSyncDone(WPARAM wParam, LPARAM lParam) { return m_sync.OnSyncDone(wParam, lParam); }
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);

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
    // The help page, at the section of the anchor ("#duplicates") when one is given.
    void ShowHelp(const char* pszAnchor = "");
    void ShowHelpPage() { ShowHelp(); }
    void OnHome();
    // F1 anywhere in the window: the help page, and nothing more.
    BOOL OnHelpInfo(HELPINFO*) {
        ShowHelp();
        return TRUE;
    }
    void OnAbout();
    void OnTellAFriend();

    CRectI GetWindowRectI() const;

    CMainContext m_context;
    CMainButtons m_buttons;
    CContactListView m_list;
    CStatusBarCtrl m_statusBar;
    CContactBook m_book;
    CExitCoordinator m_exit;
    CContactCommands m_contactCommands;
    CInterchangeCommands m_interchange;
    CIncomingFiles m_incoming;
    CListMenu m_listMenu;
    CSyncCommands m_sync;
    CMainSearch m_search;
    CBookRefresh m_refresh;
    CWindowSettings m_settings;
    CMainTray m_tray;
    CSignalWatcher m_watcher;
    CAutomationClient* m_pProxy = nullptr; // the automation object while a client holds the program
    HICON m_hIcon = nullptr;
    int m_bInitialised = 0;
};
