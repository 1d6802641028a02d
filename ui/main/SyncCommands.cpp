#include "SyncCommands.h"

#include "framework/core/WideText.h"
#include "framework/base/FileError.h"
#include "res/resource.h"
#include "sync/Credentials.h"
#include "sync/DavUrl.h"
#include "sync/SyncApply.h"
#include "sync/SyncState.h"
#include "ui/main/CommandLogic.h"
#include "ui/main/CommandScope.h"
#include "ui/shell/Globals.h"
#include "ui/sync/SyncDlg.h"

#include <algorithm>

namespace {

const UINT_PTR kSoonTimerId = 0x1F20;  // the next sync: at start, after a change, or again
const UINT_PTR kEveryTimerId = 0x1F21; // every few minutes
const UINT kAtStartDelayMs = 1000;     // the window shows first
const UINT kAfterChangeDelayMs = 5000; // after the last of several quick changes
const DWORD kEndWaitMs = 3000;
const unsigned kSyncLockWaitMs = 2000;
const char kDeleteThereToo[] =
    "\n\nDelete them on the server too?\n\nYes deletes them there. No brings them back here from the "
    "server, as when this address book was restored from an old copy or replaced. Cancel changes nothing "
    "for now.";
const char kDeleteHereToo[] =
    "\n\nDelete them here too?\n\nYes deletes them, as they were deleted elsewhere. No changes nothing: "
    "the contacts stay as they are, and the next synchronisation asks again (as it should while the "
    "server's address book is being moved or restored).";

// The time of day in the user's format, without seconds.
CString TimeOfDay() {
    wchar_t szTime[64] = L"";
    if (!::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, szTime,
                           static_cast<int>(std::size(szTime)))) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        CString strTime;
        strTime.Format("%02d:%02d", now.wHour, now.wMinute);
        return strTime;
    }
    return FromWide(szTime);
}

// "Synchronised 14:32", with what moved when anything did.
CString SyncedStatus(const CSyncSummary& summary) {
    const std::pair<int, const char*> counts[] = {
        {summary.nReceived, "received"},
        {summary.nSent, "sent"},
        {summary.nMerged, "merged"},
        {summary.nDeletedHere, "deleted here"},
        {summary.nDeletedOnServer, "deleted on the server"},
    };
    CString strDetails;
    for (const auto& [nCount, pszWhat] : counts) {
        if (nCount > 0) {
            strDetails += (strDetails.IsEmpty() ? "" : ", ") + CountOf(static_cast<size_t>(nCount), "contact", "contacts") +
                          " " + pszWhat;
        }
    }
    if (summary.nConflicts > 0) {
        strDetails += (strDetails.IsEmpty() ? "" : "; ") +
                      CountOf(static_cast<size_t>(summary.nConflicts), "field", "fields") +
                      " changed on both sides kept as here, the server's " +
                      (summary.nConflicts == 1 ? "value" : "values") + " kept beside " +
                      (summary.nConflicts == 1 ? "it" : "them");
    }
    return "Synchronised " + TimeOfDay() + (strDetails.IsEmpty() ? CString() : ": " + strDetails + ".");
}

// What a sync that succeeded left undone, one card a line.
CString WarningLines(const std::vector<std::string>& warnings) {
    CString strLines;
    for (const std::string& strWarning : warnings) {
        strLines += (strLines.IsEmpty() ? "" : "\n") + CString(strWarning.c_str());
    }
    return strLines;
}

} // namespace

const CMessageTable* CSyncCommands::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CSyncCommands::OnSettings>(ID_SYNC_SETTINGS),
        OnCommand<&CSyncCommands::OnSyncNow>(ID_SYNC_NOW),
        OnMessage<&CSyncCommands::OnSyncDone>(WM_SYNC_DONE),
        OnMessageUnlessDeclined<&CSyncCommands::OnTimer>(WM_TIMER),
        OnMessageUnlessDeclined<&CSyncCommands::OnInitMenuPopup>(WM_INITMENUPOPUP),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

std::string CSyncCommands::StatePath() const { return SyncStatePath(m_book.GetPath()); }

void CSyncCommands::Start() {
    m_account = CSyncAccount::Load();
    SetTriggers();
    if (m_account.IsSetUp() && m_account.bAtStart) {
        Schedule(kAtStartDelayMs);
    }
}

void CSyncCommands::Stop() {
    ::KillTimer(m_window.m_hWnd, kSoonTimerId);
    ::KillTimer(m_window.m_hWnd, kEveryTimerId);
    m_task.Abandon(kEndWaitMs);
    m_pJob.reset();
}

void CSyncCommands::SetTriggers() {
    ::KillTimer(m_window.m_hWnd, kEveryTimerId);
    if (m_account.IsSetUp() && m_account.bEvery) {
        ::SetTimer(m_window.m_hWnd, kEveryTimerId, static_cast<UINT>(m_account.nMinutes) * 60 * 1000, nullptr);
    }
}

void CSyncCommands::Schedule(UINT nDelayMs) { ::SetTimer(m_window.m_hWnd, kSoonTimerId, nDelayMs, nullptr); }

BOOL CSyncCommands::OnTimer(WPARAM nTimer, LPARAM, LRESULT*) {
    if (nTimer != kSoonTimerId && nTimer != kEveryTimerId) {
        return FALSE;
    }
    // A command holds contacts by their places, and a book not yet seen by the user may be
    // damaged: wait for both.
    if (m_exit.IsCommandRunning() || !m_book.IsLoadFinished()) {
        Schedule(kAfterChangeDelayMs);
        return TRUE;
    }
    if (nTimer == kSoonTimerId) {
        ::KillTimer(m_window.m_hWnd, kSoonTimerId);
    }
    StartSync(false);
    return TRUE;
}

void CSyncCommands::OnBookChanged(const CBookChange& change) {
    if (!change.bSynchronised) {
        NoteChange();
    }
}

void CSyncCommands::NoteChange() {
    ++m_nChanges;
    if (m_account.IsSetUp() && m_account.bAfterChange) {
        Schedule(kAfterChangeDelayMs);
    }
}

BOOL CSyncCommands::OnInitMenuPopup(WPARAM wParam, LPARAM, LRESULT*) {
    ::EnableMenuItem(reinterpret_cast<HMENU>(wParam), ID_SYNC_NOW,
                     MF_BYCOMMAND | (m_account.IsSetUp() ? MF_ENABLED : MF_GRAYED));
    return FALSE;
}

void CSyncCommands::OnSettings() {
    CCommandScope command(m_exit, m_window);
    CSyncDlg dlg(m_account, StatePath(), [this] { m_help.ShowHelp("#sync"); }, &m_window);
    m_exit.SetOpenEditor(&dlg);
    dlg.DoModal();
    m_exit.SetOpenEditor(nullptr);
    switch (dlg.Result()) {
    case CSyncDlg::EResult::unchanged: return;
    case CSyncDlg::EResult::removed:
        m_account = CSyncAccount();
        ::KillTimer(m_window.m_hWnd, kSoonTimerId);
        SetTriggers();
        SetStatus("Synchronisation stopped: the account was removed.");
        return;
    case CSyncDlg::EResult::stored:
        m_account = dlg.Account();
        SetTriggers();
        Schedule(kAtStartDelayMs); // the new account's first sync
        return;
    }
}

void CSyncCommands::OnSyncNow() {
    if (!m_account.IsSetUp()) {
        ::MessageBeep(MB_OK);
        return;
    }
    ::KillTimer(m_window.m_hWnd, kSoonTimerId);
    StartSync(true);
}

void CSyncCommands::StartSync(bool bInteractive, size_t nConfirmedDeletions) {
    if (!m_account.IsSetUp()) {
        return;
    }
    if (m_task.IsRunning()) {
        m_bInteractive = m_bInteractive || bInteractive; // its end is told as the user asked
        return;
    }
    if (m_book.HasLoadProblems()) {
        // The contacts not read would look deleted, and be deleted on the server too.
        Fail("The address book was read only in part. Repair it before synchronising.", bInteractive);
        return;
    }
    auto pJob = std::make_shared<CJob>();
    pJob->contacts = m_book.Contacts();
    pJob->pPhotos = &m_book.Photos();
    pJob->strStatePath = StatePath();
    pJob->strBookUrl = m_account.strBookUrl;
    pJob->strUser = m_account.strUser;
    pJob->http.strUser = m_account.strUser;
    pJob->http.strCredentialOrigin = UrlOrigin(m_account.strBookUrl);
    ReadPassword(m_account.strBookUrl, m_account.strUser, pJob->http.strPassword);
    pJob->http.strTrustedCertificateSha256 = m_account.strTrustedSha256;
    pJob->nChanges = m_nChanges;
    pJob->nConfirmedDeletions = nConfirmedDeletions;
    bool bStarted = m_task.Start(m_window.m_hWnd, WM_SYNC_DONE, [pJob] {
        CFileException error;
        if (!pJob->syncLock.Acquire(pJob->strStatePath.c_str(), kSyncLockWaitMs, &error)) {
            pJob->outcome.strError = "Another synchronisation of this address book is running (tbkutil); "
                                     "this one waits for the next time.";
        } else if (ReadSyncState(pJob->strStatePath.c_str(), pJob->given, error)) {
            pJob->outcome = Synchronise(pJob->contacts, pJob->given, *MakeHttpTransport(pJob->http),
                                        pJob->strBookUrl, pJob->strUser, pJob->nConfirmedDeletions, false,
                                        pJob->pPhotos);
        } else {
            pJob->outcome.strError = SyncStateReadError(pJob->strStatePath.c_str(), error);
        }
        WipeSecret(pJob->http.strPassword); // its transport has ended with the statement above
    });
    if (!bStarted) {
        Fail("The synchronisation could not be started.", bInteractive);
        return;
    }
    m_pJob = std::move(pJob);
    m_bInteractive = bInteractive;
    SetStatus("Synchronising...");
}

LRESULT CSyncCommands::OnSyncDone(WPARAM wParam, LPARAM) {
    if (!m_task.Finish(wParam)) {
        return 0;
    }
    std::shared_ptr<CJob> pJob = std::move(m_pJob);
    bool bInteractive = m_bInteractive;
    m_bInteractive = false;
    if (pJob->strBookUrl != m_account.strBookUrl || pJob->strUser != m_account.strUser) {
        return 0; // the account was changed or removed meanwhile: its outcome is not wanted
    }
    if (pJob->outcome.nDeletionsToConfirm > 0 || pJob->outcome.nLocalDeletionsToConfirm > 0) {
        ConfirmDeletions(pJob->outcome, bInteractive);
        return 0;
    }
    if (!pJob->outcome.bOk) {
        KeepSettled(*pJob);
        CString strError = pJob->outcome.strError.c_str();
        if (bInteractive && !pJob->outcome.strCertificateSha256.empty()) {
            strError += "\n\nTo check the server's certificate and trust it, open Synchronisation... and press Connect.";
        } else if (bInteractive && pJob->outcome.bLoginRefused) {
            strError += "\n\nTo change the user name or the password, open Synchronisation...";
        }
        Fail(strError, bInteractive);
        return 0;
    }
    if (pJob->nChanges != m_nChanges || m_exit.IsCommandRunning()) {
        // The outcome's places are no longer the book's.
        KeepSettled(*pJob);
        SetStatus("Synchronising again shortly: the contacts changed meanwhile.");
        Schedule(kAfterChangeDelayMs);
        return 0;
    }
    Apply(*pJob, bInteractive);
    return 0;
}

void CSyncCommands::KeepSettled(const CJob& job) {
    // Nothing to tell: without the settled state the next sync only does a little more.
    ApplySyncOutcome(m_book, job.outcome, job.given, job.strStatePath, false, false);
}

void CSyncCommands::Apply(const CJob& job, bool bInteractive) {
    const CSyncOutcome& outcome = job.outcome;
    CSyncApplied applied = ApplySyncOutcome(m_book, outcome, job.given, job.strStatePath, true, false);
    switch (applied.result) {
    case CSyncApplied::Result::applied: break;
    case CSyncApplied::Result::settled:
    case CSyncApplied::Result::nothing:
        // Another writer (tbkutil, a second sync) changed the book or the state on disk meanwhile.
        SetStatus("Synchronising again shortly: the address book changed meanwhile.");
        Schedule(kAfterChangeDelayMs);
        return;
    case CSyncApplied::Result::failed:
        if (applied.bBookSaved) {
            SetStatus("Synchronised, but the sync state could not be written, so the next sync "
                                 "compares every contact again: " + applied.error.GetErrorMessage());
        } else if (applied.change.bChanged) {
            SetStatus("Synchronised, but the address book could not be saved: " +
                                 applied.error.GetErrorMessage());
        } else {
            SetStatus("Not synchronised: " + applied.error.GetErrorMessage() +
                                 " Synchronising again shortly.");
            Schedule(kAfterChangeDelayMs);
        }
        if (bInteractive) {
            ReportFileError(applied.error);
        }
        return;
    }
    CString strStatus = SyncedStatus(outcome.summary);
    if (applied.change.nUndoStepsDropped > 0) {
        strStatus += " Undo of your last " + CString(applied.change.nUndoStepsDropped == 1 ? "change" : "changes") +
                     " is no longer possible: the synchronisation changed the same contacts.";
    }
    if (outcome.warnings.empty()) {
        SetStatus(strStatus);
        return;
    }
    SetStatus(strStatus + " " + CString(outcome.warnings.front().c_str()));
    if (bInteractive) {
        m_window.MessageBox(strStatus + "\n\n" + WarningLines(outcome.warnings), kSystemCaption,
                            MB_OK | MB_ICONEXCLAMATION);
    }
}

void CSyncCommands::ConfirmDeletions(const CSyncOutcome& outcome, bool bInteractive) {
    const CString strError = outcome.strError.c_str();
    if (!bInteractive) {
        Fail(strError + " Choose Synchronise Now to decide.", false);
        return;
    }
    // Deletions here are only ever confirmed or left for later: bringing the contacts back to a
    // server whose listing was cut short would double them there.
    const bool bHere = outcome.nLocalDeletionsToConfirm > 0;
    int nAnswer = IDCANCEL;
    {
        // No sync starts while the question is open; one that did would ask it again.
        CCommandScope command(m_exit, m_window);
        nAnswer = bHere ? m_window.MessageBox(strError + kDeleteHereToo, kSystemCaption,
                                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2)
                        : m_window.MessageBox(strError + kDeleteThereToo, kSystemCaption,
                                              MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
    }
    if (bHere && nAnswer == IDNO) {
        nAnswer = IDCANCEL;
    }
    switch (nAnswer) {
    case IDYES:
        StartSync(true, std::max(outcome.nDeletionsToConfirm, outcome.nLocalDeletionsToConfirm));
        return;
    case IDNO:
        // Without what the two sides last agreed on, the sync is a first one: it finds each
        // contact here on the server again and brings back the ones missing here.
        ::DeleteFileW(ToWide(StatePath().c_str()).c_str());
        StartSync(true);
        return;
    default: SetStatus("Not synchronised: " + strError); return;
    }
}

void CSyncCommands::Fail(const CString& strError, bool bInteractive) {
    CString strLine = strError;
    strLine.Replace("\n\n", " ");
    SetStatus("Not synchronised: " + strLine);
    if (bInteractive) {
        m_window.MessageBox(strError, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
    }
}
