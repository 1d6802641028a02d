// The main window in a test: a private registry (the process's HKEY_CURRENT_USER is redirected
// to a fresh key), a private data folder, and a window that records the commands it receives.
#pragma once

#include "WindowTestSupport.h"
#include "app/TBookApp.h"
#include "data/AddressBookWriter.h"
#include "support/TestFiles.h"
#include "MainWindowProbe.h"
#include "ui/shell/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class CTestableDlg : public CTBookDlg {
public:
    explicit CTestableDlg(const CMainContext& context) : CTBookDlg(context) {}
    BOOL OnCmdMsg(UINT nId, UINT nCode) override;

    CContactListView& List() { return m_probe.List(); }
    CStatusBarCtrl& StatusBar() { return m_probe.StatusBar(); }
    CButton& SearchButton() { return m_probe.Buttons().SearchToggle(); }
    CMainButtons& Buttons() { return m_probe.Buttons(); }
    const int* ColumnWidths() const { return m_probe.Settings().m_columns.widths; }
    int IsLaunchOnStartup() const { return m_probe.Settings().m_bLaunchOnStartup; }
    bool IsTrayIconAdded() { return m_probe.Tray().IsIconAdded(); }
    bool IsHiddenToTray() { return m_probe.Tray().IsHiddenToTray(); }
    CTrayIcon& GetTrayIcon() { return m_probe.Tray().GetTrayIcon(); }
    bool IsLoadFinished() { return m_probe.Book().IsLoadFinished(); }
    CSignalWatcher& Watcher() { return m_probe.Watcher(); }
    CContactBook& Book() { return m_probe.Book(); }
    CContactCommands& Commands() { return m_probe.Commands(); }
    CInterchangeCommands& Interchange() { return m_probe.Interchange(); }
    CGroupCommands& GroupCommands() { return m_probe.GroupCommands(); }
    CMainSearch& Search() { return m_probe.Search(); }
    // Adds the contact as Add New does after the editor, a failed save reported.
    void AddContact(const CContact& contact) { Commands().Commit(Book().AddContact(contact)); }

    // The contact and search commands, in the order they arrived; they are only recorded unless
    // m_bRunCommands.
    std::vector<UINT> m_commands;
    bool m_bRunCommands = false;
    // Import, Export and Synchronise Now are recorded too, and then never run.
    bool m_bRecordMenuCommands = false;

private:
    CMainWindowProbe m_probe{*this};
};

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string BookPath() const { return m_folder.Path("tbk.xml"); }
    void WriteBook(const CContactArray& contacts) const;
    // The rows as "last,first" texts, and the contact index each row shows.
    static std::vector<std::string> Rows(CTestableDlg& dlg);
    static std::vector<std::string> LastNames(CTestableDlg& dlg);
    static std::vector<int> RowData(CTestableDlg& dlg);
    static std::vector<int> SelectedRows(CTestableDlg& dlg);
    // The status bar's text.
    static std::string StatusText(CTestableDlg& dlg);
    // A value under the redirected HKEY_CURRENT_USER, or nDefault.
    static int ReadSetting(const char* pszName, int nDefault);
    static bool ReadRunValue(std::string* pValue);

    CTempFolder m_folder;
    // The paths of the test's own folder; a test may change them before making its window.
    CMainContext m_context;

private:
    HKEY m_hTestRoot = nullptr;
    std::string m_strTestRoot;
};

CContact MakeContact(const char* pszLast, const char* pszFirst, const char* pszMobile = "");
// A date value's text nDays from today, by the calendar the list itself uses, in nYear (0 for a
// date without a year).
CString DateFromToday(int nDays, int nYear);
// The contact editor while it is shown, or null.
HWND FindEditorWindow();
