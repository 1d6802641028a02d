// CSyncCommands: the main window's synchronisation. It opens the Synchronisation window, runs a
// sync when the user asks (Synchronise Now), when the program starts, a few seconds after the
// last change and every few minutes, as the account says, and tells in the status bar how it
// went. Only Synchronise Now shows a message box; the others never interrupt the user. It hears
// of the changes from the book itself, and the list shows a sync's outcome as the book
// announces it (CBookRefresh).
//
// A sync works on a worker (CBackgroundTask) with a copy of the contacts, so the window never
// waits for the server. Its outcome is applied on the user-interface thread (ApplySyncOutcome:
// no undo step, the book saved and then the sync state written), unless the book changed
// meanwhile, here or on disk, or a command holds contacts by their places: the outcome is then
// dropped, keeping only what both sides settled on, and another sync runs a few seconds later
// (the server has every change already, and the next sync finds each contact again). Ending the
// program waits a few seconds for a running sync and applies nothing of it.
#pragma once

#include "data/ContactBook.h"
#include "framework/core/FileLock.h"
#include "framework/win/Controls.h"
#include "framework/win/Dialog.h"
#include "sync/HttpClient.h"
#include "sync/SyncEngine.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/OutreachCommands.h"
#include "ui/sync/BackgroundTask.h"
#include "ui/sync/SyncSettings.h"

#include <memory>
#include <string>

// Posted to the main window by the worker when a sync has ended.
const UINT WM_SYNC_DONE = WM_APP + 0x120;

class CSyncCommands : public CCmdTarget, private CBookListener {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CSyncCommands(CDialog& window, CContactBook& book, CExitCoordinator& exit, CStatusBarCtrl& statusBar,
                  COutreachCommands& help)
        : m_window(window), m_book(book), m_exit(exit), m_statusBar(statusBar), m_help(help) {
        m_book.AddListener(*this);
    }
    CSyncCommands(const CSyncCommands&) = delete;
    CSyncCommands& operator=(const CSyncCommands&) = delete;

    // Reads the account and sets its triggers going; once the book is loaded.
    void Start();
    // The end of the window: waits a few seconds at most for a running sync, whose outcome is
    // then never applied.
    void Stop();

private:
    // The user's changes, and those another program brought (the book read again), are
    // synchronised a few seconds after the last; a sync's own changes do not count.
    void OnBookChanged(const CBookChange& change) override;
    void OnBookReread(const CContactArray&, const CBookChange&) override { NoteChange(); }
    void NoteChange();

    struct CJob {
        CContactArray contacts; // the book's when the sync started
        const CPhotoFolder* pPhotos = nullptr; // the book's, whose files only a save removes
        std::string strStatePath;
        CSyncState given; // the state the sync was given, as the file held it
        std::string strBookUrl, strUser;
        CHttpOptions http;
        unsigned nChanges = 0; // the window's change count when the sync started
        size_t nConfirmedDeletions = 0;
        CSyncOutcome outcome;
        // One sync of the book at a time (tbkutil's beside the window's), from the state's read
        // until the outcome is applied.
        CFileLock syncLock;
    };

    void OnSettings();
    void OnSyncNow();
    LRESULT OnSyncDone(WPARAM wParam, LPARAM lParam);
    // Declines the timers that are not synchronisation's.
    BOOL OnTimer(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The tray's menu and the list's: Synchronise Now is greyed while no account is set up. The
    // menu is then left to the window's default handling.
    BOOL OnInitMenuPopup(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Sets the timer for every few minutes as the account says.
    void SetTriggers();
    // A sync nDelayMs from now (a later call moves it).
    void Schedule(UINT nDelayMs);
    // nConfirmedDeletions: as many deletions on the server as the user agreed to.
    void StartSync(bool bInteractive, size_t nConfirmedDeletions = 0);
    // A sync that would delete many contacts on the server: Synchronise Now asks the user and
    // runs again when they agree; in the background, the status bar says so.
    void ConfirmDeletions(const CSyncOutcome& outcome, bool bInteractive);
    // The outcome into the book, the file and the state.
    void Apply(const CJob& job, bool bInteractive);
    // The state both sides settled on, for an outcome that is not applied.
    void KeepSettled(const CJob& job);
    void Fail(const CString& strError, bool bInteractive);
    void SetStatus(const CString& strText) { m_statusBar.SetText(strText, 0, 0); }
    std::string StatePath() const;

    CDialog& m_window;
    CContactBook& m_book;
    CExitCoordinator& m_exit;
    CStatusBarCtrl& m_statusBar;
    COutreachCommands& m_help;
    CSyncAccount m_account;
    CBackgroundTask m_task;
    std::shared_ptr<CJob> m_pJob; // of the running sync
    bool m_bInteractive = false;  // the running sync was asked for by the user
    unsigned m_nChanges = 0;      // changes made to the book this run
};
