// The window's remembered rectangle and column widths, and the launch at logon.
#include "TBookDlg.h"

#include "app/TBookApp.h"
#include "ui/main/Registry.h"

namespace {

const char kSystemCaption[] = "Tovano Address Book";

} // namespace

void CTBookDlg::LoadSettings() {
    RECT rect;
    GetWindowRect(&rect);
    m_rcWindow = {rect.left, rect.top, rect.right, rect.bottom};

    CRegistry registry;
    registry.SetKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    int* const sides[4] = {&m_rcWindow.left, &m_rcWindow.top, &m_rcWindow.right, &m_rcWindow.bottom};
    for (int i = 0; i < 4; ++i) {
        *sides[i] = registry.ReadInt(kWindowValueNames[i], *sides[i]);
    }
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        m_columnWidths[nColumn] = registry.ReadInt(kColumnWidthValueNames[nColumn], kDefaultColumnWidth);
    }

    registry.SetKey(HKEY_CURRENT_USER, kRunKeyPath);
    g_bLaunchOnStartup = IsRegisteredToRun(registry.ReadString(kRunValueName, kRunValueMissing)) ? 1 : 0;
}

void CTBookDlg::SaveSettings() {
    RECT rect;
    GetWindowRect(&rect);
    m_rcWindow = {rect.left, rect.top, rect.right, rect.bottom};
    CRegistry registry;
    if (ShouldStoreWindowRect(m_rcWindow)) {
        const int sides[4] = {m_rcWindow.left, m_rcWindow.top, m_rcWindow.right, m_rcWindow.bottom};
        for (int i = 0; i < 4; ++i) {
            registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kWindowValueNames[i], sides[i]);
        }
    }
    ReadColumnWidths();
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kColumnWidthValueNames[nColumn], m_columnWidths[nColumn]);
    }
}

void CTBookDlg::ReadColumnWidths() {
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        m_columnWidths[nColumn] = m_list.GetColumnWidth(nColumn);
    }
}

void CTBookDlg::OnLaunchOnStartup() {
    CRegistry registry;
    int bLaunch = !g_bLaunchOnStartup;
    BOOL bDone = FALSE;
    if (bLaunch) {
        bDone = registry.WriteString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, MakeRunValue(g_strProgramPath));
    } else {
        // A value someone else removed already is as good as deleted.
        bDone = registry.DeleteValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName) ||
                registry.GetLastStatus() == ERROR_FILE_NOT_FOUND;
    }
    if (!bDone) {
        CString strText;
        strText.Format("The program could not be %s the programs that start at logon:\n%s",
                       bLaunch ? "added to" : "removed from", DescribeSystemError(registry.GetLastStatus()).GetString());
        MessageBox(strText, kSystemCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The menu's check mark shows this flag, so it changes only with the registry.
    g_bLaunchOnStartup = bLaunch;
}
