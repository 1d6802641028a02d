// What the main window stores in the registry: the names, the defaults and the rules that need
// no registry to decide.
#pragma once

#include "framework/core/Rect.h"
#include "framework/core/String.h"

const char kSettingsKeyPath[] = "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Settings";
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Tovano Address Book";
// Whether the notification area reminds of birthdays: 1 unless the user turned it off.
const char kBirthdayRemindersValueName[] = "BirthdayReminders";
const char kShownGroupValueName[] = "ShownGroup";
// What a missing Run value reads as.
const char kRunValueMissing[] = "NULL";

// The columns always shown, "Last Name" first.
const int kColumnCount = 8;
const int kDefaultColumnWidth = 100;
extern const char* const kWindowValueNames[4]; // left, top, right, bottom
extern const char* const kColumnWidthValueNames[kColumnCount];
// The Birthday column, which the user shows after the others or hides (hidden unless the value is
// 1), and its width, kept while it is hidden.
const int kBirthdayColumn = kColumnCount;
const char kBirthdayColumnValueName[] = "ShowBirthdayColumn";
const char kBirthdayWidthValueName[] = "BirthdayWidth";

// The list's columns as the registry keeps them.
struct CListColumns {
    int widths[kColumnCount] = {};
    int nBirthdayWidth = kDefaultColumnWidth;
    bool bBirthdayShown = false;
};

// Stored column widths outside this range read as the default: a column of no width hides
// itself for good, and one wider than any screen pushes the others out of reach.
const int kMinColumnWidth = 1;
const int kMaxColumnWidth = 2000;
int SaneColumnWidth(int nStored);

// Where the window goes for a stored rectangle. A rectangle without size, or one that meets no
// monitor's work area (pWorkArea null, or no overlap with it), gives rcDefault. Otherwise it is
// kept whole on that work area: made no larger than it, then moved just far enough to lie
// inside it, as after a monitor was unplugged.
CRectI FitWindowRect(const CRectI& rcStored, const CRectI& rcDefault, const CRectI* pWorkArea);

// A rectangle is stored only when no side is negative: a window parked off-screen (or on a
// monitor left of or above the main one) keeps the rectangle stored before.
bool ShouldStoreWindowRect(const CRectI& rect);

// The Run value that starts the program hidden at logon.
CString MakeRunValue(const CString& strProgramPath);
// Whether the program is registered to run at logon, from the Run value as read.
bool IsRegisteredToRun(const CString& strRunValue);
