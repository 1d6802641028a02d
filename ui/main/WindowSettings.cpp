#include "WindowSettings.h"

#include "ui/shell/Registry.h"

namespace {

// The work area of the monitor a rectangle lies on, or false when it lies on none.
bool GetWorkAreaOf(const CRectI& rc, CRectI* pWorkArea) {
    RECT rect = {rc.left, rc.top, rc.right, rc.bottom};
    HMONITOR hMonitor = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!hMonitor || !::GetMonitorInfoA(hMonitor, &info)) {
        return false;
    }
    *pWorkArea = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    return true;
}

} // namespace

void CWindowSettings::LoadSettings(const CRectI& rcCurrent) {
    CRegistry registry;
    registry.SetKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    CRectI rcStored = rcCurrent;
    int* const sides[4] = {&rcStored.left, &rcStored.top, &rcStored.right, &rcStored.bottom};
    for (int i = 0; i < 4; ++i) {
        *sides[i] = registry.ReadInt(kWindowValueNames[i], *sides[i]);
    }
    CRectI rcWork;
    bool bOnMonitor = GetWorkAreaOf(rcStored, &rcWork);
    m_rcWindow = FitWindowRect(rcStored, rcCurrent, bOnMonitor ? &rcWork : nullptr);
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        m_columns.widths[nColumn] =
            SaneColumnWidth(registry.ReadInt(kColumnWidthValueNames[nColumn], kDefaultColumnWidth));
    }
    m_columns.nBirthdayWidth =
        SaneColumnWidth(registry.ReadInt(kBirthdayWidthValueName, kDefaultColumnWidth));
    m_columns.bBirthdayShown = registry.ReadInt(kBirthdayColumnValueName, 0) == 1;

    m_bBirthdayReminders = registry.ReadInt(kBirthdayRemindersValueName, 1) != 0 ? 1 : 0;
    m_strShownGroup = registry.ReadString(kShownGroupValueName, "");

    registry.SetKey(HKEY_CURRENT_USER, kRunKeyPath);
    m_bLaunchOnStartup = IsRegisteredToRun(registry.ReadString(kRunValueName, kRunValueMissing)) ? 1 : 0;
}

void CWindowSettings::SaveSettings(const CRectI& rcCurrent, const CListColumns& columns) {
    m_rcWindow = rcCurrent;
    CRegistry registry;
    if (ShouldStoreWindowRect(m_rcWindow)) {
        const int sides[4] = {m_rcWindow.left, m_rcWindow.top, m_rcWindow.right, m_rcWindow.bottom};
        for (int i = 0; i < 4; ++i) {
            registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kWindowValueNames[i], sides[i]);
        }
    }
    m_columns = columns;
    for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) {
        registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kColumnWidthValueNames[nColumn],
                          columns.widths[nColumn]);
    }
    registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kBirthdayWidthValueName, columns.nBirthdayWidth);
    registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kBirthdayColumnValueName,
                      columns.bBirthdayShown ? 1 : 0);
}

bool CWindowSettings::ToggleLaunchOnStartup(const CString& strProgramPath, CString* pError) {
    CRegistry registry;
    int bLaunch = !m_bLaunchOnStartup;
    BOOL bDone = FALSE;
    if (bLaunch) {
        bDone = registry.WriteString(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, MakeRunValue(strProgramPath));
    } else {
        // A value someone else removed already is as good as deleted.
        bDone = registry.DeleteValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName) ||
                registry.GetLastStatus() == ERROR_FILE_NOT_FOUND;
    }
    if (!bDone) {
        pError->Format("The program could not be %s the programs that start at logon:\n%s",
                       bLaunch ? "added to" : "removed from", DescribeSystemError(registry.GetLastStatus()).GetString());
        return false;
    }
    // The menu's check mark shows this flag, so it changes only with the registry.
    m_bLaunchOnStartup = bLaunch;
    return true;
}

bool CWindowSettings::ToggleBirthdayReminders(CString* pError) {
    CRegistry registry;
    const int bRemind = !m_bBirthdayReminders;
    if (!registry.WriteInt(HKEY_CURRENT_USER, kSettingsKeyPath, kBirthdayRemindersValueName, bRemind)) {
        pError->Format("The birthday reminders could not be turned %s:\n%s", bRemind ? "on" : "off",
                       DescribeSystemError(registry.GetLastStatus()).GetString());
        return false;
    }
    m_bBirthdayReminders = bRemind;
    return true;
}

void CWindowSettings::SaveShownGroup(const CString& strSetting) {
    m_strShownGroup = strSetting;
    CRegistry().WriteString(HKEY_CURRENT_USER, kSettingsKeyPath, kShownGroupValueName, strSetting);
}
