// CTBookDlg: the main window, a resizable dialog listing every contact, with the search box and
// the command buttons above the list and a status bar below it. It holds its parts, each of which
// owns its state for the whole run and handles its own commands and messages, which the window's
// routing hands it: the contact commands, the search, the list's menu, contacts in and out, the
// files that come in, synchronisation, the book as other programs change it, the notification-
// area presence, and the ways out to help and the web. The window itself sets up, lays out,
// takes the keys, and ends the program by the rules of ending. Hiding to the tray only hides the
// window. Runs on the user-interface thread; the watchers and the sync's worker talk to it only
// by posted messages.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Controls.h"
#include "ui/main/BookRefresh.h"
#include "framework/win/Dialog.h"
#include "ui/main/ContactCommands.h"
#include "ui/main/ContactListView.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/GroupBar.h"
#include "ui/main/GroupCommands.h"
#include "ui/main/IncomingFiles.h"
#include "ui/main/InterchangeCommands.h"
#include "ui/main/ListMenu.h"
#include "ui/main/MainButtons.h"
#include "ui/main/MainContext.h"
#include "ui/main/MainSearch.h"
#include "ui/main/MainTray.h"
#include "ui/main/OutreachCommands.h"
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
    BOOL OnCmdMsg(UINT nId, UINT nCode) override;
    void AttachAutomationClient(CAutomationClient* pClient) override { m_pProxy = pClient; }

    // Hides the window without ending the program while something still needs it.
    BOOL MayClose();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { m_tray.HideWindow(); }

private:
    // Tests and benchmarks look at the parts through it, beside the window's messages.
    friend class CMainWindowProbe;

    // Window set-up and geometry.
    int OnCreate(CREATESTRUCTA* pCreate);
    void OnDestroy();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    void LayoutControls();
    void OnDpiChanged(int nOldDpi, int nNewDpi) override;
    void OnThemeChanged() override;
    void SetStatusBarFont();
    // The lowest edge of the search box and the buttons above the list, in client pixels.
    int TopRowBottom() const;
    void PlaceWindow();
    CRectI GetWindowRectI() const;
    LRESULT OnShowLoadProblems(WPARAM wParam, LPARAM lParam);

    // The exit path.
    void OnClose();
    void OnTrayExit() { PostMessage(WM_COMMAND, IDOK, 0); }
    LRESULT OnWatcherQuit(WPARAM wParam, LPARAM lParam);
    // The exit path of Exit (bQuitSignal false) and of another start's quit signal; true when
    // the program ends.
    bool EndProgram(bool bQuitSignal);
    // Writes the address book before the end; false when the program is to keep running.
    bool SaveBeforeEnd(bool bQuitSignal);
    void OnLaunchOnStartup();
    // The tray menu's switch of the birthday reminders, kept in the registry.
    void OnBirthdayReminders();

    CMainContext m_context;
    CMainButtons m_buttons;
    CContactListView m_list;
    CStatusBarCtrl m_statusBar;
    CFont m_statusFont; // the system's, at the window's dpi
    CContactBook m_book;
    CExitCoordinator m_exit;
    CWindowSettings m_settings;
    COutreachCommands m_outreach;
    CMainSearch m_search;
    CGroupBar m_groupBar;
    CContactCommands m_contactCommands;
    CGroupCommands m_groupCommands;
    CInterchangeCommands m_interchange;
    CIncomingFiles m_incoming;
    CListMenu m_listMenu;
    CSyncCommands m_sync;
    CBookRefresh m_refresh;
    CMainTray m_tray;
    CSignalWatcher m_watcher;
    CAutomationClient* m_pProxy = nullptr; // the automation object while a client holds the program
    HICON m_hIcon = nullptr;
    bool m_bInitialised = false;
};
