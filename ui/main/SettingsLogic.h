// What the main window stores in the registry: the names, the defaults and the rules that need
// no registry to decide.
#pragma once

#include "framework/core/Rect.h"
#include "framework/core/String.h"

const char kSettingsKeyPath[] = "Software\\TovanoSoft\\Tovano Address Book\\1.0\\Settings";
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Tovano Address Book";
// What a missing Run value reads as.
const char kRunValueMissing[] = "NULL";

const int kColumnCount = 8;
const int kDefaultColumnWidth = 100;
extern const char* const kWindowValueNames[4]; // left, top, right, bottom
extern const char* const kColumnWidthValueNames[kColumnCount];

// A rectangle is stored only when no side is negative: a window parked off-screen (or on a
// monitor left of or above the main one) keeps the rectangle stored before.
bool ShouldStoreWindowRect(const CRectI& rect);

// The Run value that starts the program hidden at logon.
CString MakeRunValue(const CString& strProgramPath);
// Whether the program is registered to run at logon, from the Run value as read.
bool IsRegisteredToRun(const CString& strRunValue);
