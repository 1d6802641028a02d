// CWindowSettings: what the main window remembers between runs in the per-user registry (its
// rectangle, the column widths and whether the Birthday column shows) and the switch that starts
// the program at logon. The values are read once at set-up and written once on the exit path; the
// logon switch is written each time the user flips it. User-interface thread only.
#pragma once

#include "framework/core/Rect.h"
#include "framework/core/String.h"
#include "ui/main/SettingsLogic.h"

class CWindowSettings {
public:
    // Reads the rectangle (each side defaulting to rcCurrent's), the columns (widths default 100,
    // the Birthday column hidden) and whether the program is registered to run at logon. A rectangle
    // on no monitor gives rcCurrent, one partly off its monitor is moved onto it, and widths
    // out of all reason read as the default.
    void LoadSettings(const CRectI& rcCurrent);
    // Writes the rectangle, unless a side is negative (the stored one then stays), and the columns.
    void SaveSettings(const CRectI& rcCurrent, const CListColumns& columns);

    // Turns the birthday reminders off, or on again, in the registry at once. False with the
    // system's reason when the registry refused.
    [[nodiscard]] bool ToggleBirthdayReminders(CString* pError);

    // Keeps the group shown above the list for the next run, at once; a failure only loses that.
    void SaveShownGroup(const CString& strSetting);

    // Registers the program to run at logon, or removes it, whichever it is not; the flag follows
    // only a change that was made. False with the system's reason when the registry refused.
    [[nodiscard]] bool ToggleLaunchOnStartup(const CString& strProgramPath, CString* pError);

    CRectI m_rcWindow = {0, 0, 0, 0};
    CListColumns m_columns;
    // Whether the program is registered to run at logon; the tray menu's check mark shows it.
    int m_bLaunchOnStartup = 0;
    // Whether the notification area reminds of today's and tomorrow's birthdays.
    int m_bBirthdayReminders = 1;
    // The group the list showed when the program last ran, as CGroupChoice keeps it.
    CString m_strShownGroup;
};
