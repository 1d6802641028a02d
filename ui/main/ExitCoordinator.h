// CExitCoordinator: the rules by which the main window ends. A request to end (the Exit command
// or another start's quit signal) that arrives while a contact command runs waits for it: the
// editor the command has open is closed as by Close, and the request is made again when the
// outermost command ends, Exit going before a quit signal. A request while the exit path runs
// (it may be showing a message) is dropped. A quit signal that could not end the program over
// unsaved changes says so once, not again on every later signal. It holds only these states;
// the window does the closing and posting. User-interface thread only.
#pragma once

class CDialog;

class CExitCoordinator {
public:
    enum class EEnd { none, quitSignal, exit };
    enum class EDecision {
        wait,    // a command runs: the request is kept, and the open editor is to be closed
        busy,    // the exit path runs already
        proceed, // run the exit path now, then call EndFinished
    };

    void BeginCommand() { ++m_nCommandDepth; }
    // The command ended; at the end of the outermost one, the request that waited for it.
    EEnd EndCommand();
    bool IsCommandRunning() const { return m_nCommandDepth > 0; }
    bool IsEndPending() const { return m_pendingEnd != EEnd::none; }

    EDecision RequestEnd(bool bQuitSignal);
    // The exit path ended without ending the program.
    void EndFinished() { m_bEnding = false; }

    // Whether a failure to save on this request is to be shown: a quit signal's only once.
    bool ShouldReportSaveFailure(bool bQuitSignal) const { return !(bQuitSignal && m_bQuitRefusalShown); }
    void NoteQuitRefused() { m_bQuitRefusalShown = true; }

    // The editor a command runs, closed when a request to end comes; null while none runs.
    void SetOpenEditor(CDialog* pEditor) { m_pOpenEditor = pEditor; }
    CDialog* GetOpenEditor() const { return m_pOpenEditor; }

private:
    int m_nCommandDepth = 0;
    EEnd m_pendingEnd = EEnd::none;
    bool m_bEnding = false;
    bool m_bQuitRefusalShown = false;
    CDialog* m_pOpenEditor = nullptr;
};
