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

const int kColumnCount = 8;
const int kDefaultColumnWidth = 100;
extern const char* const kWindowValueNames[4]; // left, top, right, bottom
extern const char* const kColumnWidthValueNames[kColumnCount];

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
