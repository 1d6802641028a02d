// CMainWindowProbe: what tests and benchmarks look at and drive in a main window beside its
// messages: its parts. The window's own set-up, layout and exit path stay its own.
#pragma once

#include "ui/main/TBookDlg.h"

class CMainWindowProbe {
public:
    explicit CMainWindowProbe(CTBookDlg& window) : m_window(window) {}

    CContactBook& Book() { return m_window.m_book; }
    CContactListView& List() { return m_window.m_list; }
    CStatusBarCtrl& StatusBar() { return m_window.m_statusBar; }
    CMainButtons& Buttons() { return m_window.m_buttons; }
    const CWindowSettings& Settings() const { return m_window.m_settings; }
    CMainTray& Tray() { return m_window.m_tray; }
    CSignalWatcher& Watcher() { return m_window.m_watcher; }
    CContactCommands& Commands() { return m_window.m_contactCommands; }
    CInterchangeCommands& Interchange() { return m_window.m_interchange; }
    CMainSearch& Search() { return m_window.m_search; }
    CGroupCommands& GroupCommands() { return m_window.m_groupCommands; }

private:
    CTBookDlg& m_window;
};
