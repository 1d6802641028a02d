// The one place where the program's texts meet the system's wide characters: every call of a
// wide-character (W) function of Windows takes its texts from ToWide and gives them back through
// FromWide, so the program's own strings have one encoding everywhere. Windows only: the
// functions are defined in WideText_win.cpp and used by the Windows parts alone.
#pragma once

#include "String.h"

#include <string>

std::wstring ToWide(const char* psz);
std::wstring ToWide(const CString& str);
// The text of nLength wide characters, or up to the terminating zero for -1.
CString FromWide(const wchar_t* pwsz, int nLength = -1);
