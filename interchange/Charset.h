// Character sets of interchange files. The address book holds UTF-8; files bring UTF-8,
// UTF-16, ISO-8859-1, Windows-1252, Shift_JIS and others. Windows-1252 and ISO-8859-1 go
// through the program's own table (framework/core/CodePage), so both builds agree byte for
// byte; the system converts the rest.
#pragma once

#include "framework/core/String.h"

#include <string>

// The character that stands for bytes a file's character set does not hold.
const char kReplacementCharacter[] = "\xEF\xBF\xBD";

// Text of a file that says nothing of its character set: UTF-8 when it is, else in the set
// DetectCharset finds (Windows-1252, in which every byte is a character, when nothing fits
// better). With ppszCharset, says which set that was (nullptr for UTF-8).
std::string GuessedTextToUtf8(const std::string& strBytes, const char** ppszCharset = nullptr);

// Whether the text starts with a UTF-8 or UTF-16 byte-order mark: the marks DecodeByteOrderMark
// takes away or converts by.
bool HasByteOrderMark(const std::string& strData);
// Removes a UTF-8 byte-order mark, or converts text with a UTF-16 one to UTF-8. True when
// there was a mark, so the text is now UTF-8.
bool DecodeByteOrderMark(std::string& strData);
// The length of the UTF-8 byte-order mark the text starts with, 0 without one: text after it is
// UTF-8 as it stands.
size_t Utf8MarkLength(const std::string& strData);

// UTF-16 from byte nStart on as UTF-8; a lone half of a surrogate pair as U+FFFD.
std::string Utf16ToUtf8(const std::string& strData, size_t nStart, bool bLittleEndian);

// Some programs write UTF-16 without a mark. Each probe tells the byte order of such text from
// what the file must hold, or returns false for text that is not UTF-16.
// pszAscii (an ASCII word, case ignored) stands somewhere in the text as UTF-16: "BEGIN:VCARD".
bool FindsUtf16Word(const std::string& strData, const char* pszAscii, bool& bLittleEndian);
// The first line has zero bytes in every other position, as UTF-16 gives Latin letters, digits
// and separators; a few letters of other scripts among them do not matter.
bool FirstLineLooksUtf16(const std::string& strData, bool& bLittleEndian);

// Converts text in the named character set (case ignored: "UTF-8", "ISO-8859-1", "SHIFT_JIS",
// "WINDOWS-1252", ...) to UTF-8. False when the set is unknown or the text is not in it; strOut
// then holds the best reading (bytes not in the set as U+FFFD).
bool CharsetToUtf8(const CString& strCharset, const std::string& strIn, std::string& strOut);

