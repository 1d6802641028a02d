// Character sets of interchange files. The address book holds Windows-1252 text; files bring
// UTF-8, ISO-8859-1, Shift_JIS and others. Every conversion goes through UTF-8: the tables for
// UTF-8, Windows-1252 and ISO-8859-1 are our own, so both builds agree byte for byte, and the
// system converts only the rest (Charset_win.cpp, Charset_posix.cpp).
#pragma once

#include "framework/core/String.h"

#include <string>

// Windows-1252 text as UTF-8. Every byte has a character, so this never fails and
// Utf8To1252 gives the same bytes back.
std::string Cp1252ToUtf8(const CString& strText);

// UTF-8 as Windows-1252. Characters the code page cannot hold, and bytes that are not UTF-8,
// become "?"; nReplaced counts them.
CString Utf8To1252(const std::string& strUtf8, int& nReplaced);

// True when the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& strBytes);

// Removes a UTF-8 byte-order mark, or converts text with a UTF-16 one to UTF-8. True when
// there was a mark, so the text is now UTF-8.
bool DecodeByteOrderMark(std::string& strData);

// Converts text in the named character set (case ignored: "UTF-8", "ISO-8859-1", "SHIFT_JIS",
// "WINDOWS-1252", ...) to UTF-8. False when the set is unknown or the text is not in it; strOut
// then holds the best reading (unknown bytes as U+FFFD).
bool CharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut);

// The platform's conversion for the sets our tables do not cover.
bool SystemCharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut);
