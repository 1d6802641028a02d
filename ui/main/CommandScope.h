// CCommandScope: while it lives a command of the main window runs; a request to end the program
// that came meanwhile is made again when the outermost command ends.
#pragma once

#include "framework/win/Wnd.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/shell/SignalWatcher.h"

class CCommandScope {
public:
    CCommandScope(CExitCoordinator& exit, CWnd& window) : m_exit(exit), m_window(window) {
        m_exit.BeginCommand();
    }
    ~CCommandScope() {
        switch (m_exit.EndCommand()) {
        case CExitCoordinator::EEnd::quitSignal: m_window.PostMessage(WM_WATCHER_QUIT); break;
        case CExitCoordinator::EEnd::exit: m_window.PostMessage(WM_COMMAND, IDOK, 0); break;
        case CExitCoordinator::EEnd::none: break;
        }
    }
    CCommandScope(const CCommandScope&) = delete;
    CCommandScope& operator=(const CCommandScope&) = delete;

private:
    CExitCoordinator& m_exit;
    CWnd& m_window;
};
