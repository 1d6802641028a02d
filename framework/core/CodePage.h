// The 8-bit code pages texts came in before the program held UTF-8: address books written by
// earlier versions, and files of other programs. Windows-1252 and ISO-8859-1 are converted by the
// program's own table, so both builds agree byte for byte; the other code pages by the system
// (CodePage_win.cpp, CodePage_posix.cpp). Also the byte comparison and the blanks that the
// trimming operations see.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

const unsigned kCodePage1252 = 1252;
const unsigned kCodePageLatin1 = 28591;

// The code page a book of the old kind was written in on this system: the ANSI code page on
// Windows, Windows-1252 elsewhere.
unsigned SystemLegacyCodePage();

// Text in a code page as UTF-8. Every byte of Windows-1252 and ISO-8859-1 has a character; for
// other code pages false when the system does not know the code page or a byte is not in it
// (out then holds the system's best reading, or nothing).
bool CodePageToUtf8(std::string_view text, unsigned nCodePage, std::string& out);
// The same through the system's own tables, for the code pages the program has none of.
bool SystemCodePageToUtf8(std::string_view text, unsigned nCodePage, std::string& out);
// The same for a character set named as files name them ("SHIFT_JIS", "ISO-8859-7", in capitals).
bool SystemCharsetToUtf8(const char* pszCharset, std::string_view text, std::string& out);

// The Windows-1252 character of one byte.
unsigned Cp1252CodePoint(unsigned char c);

// Compares two zero-terminated texts byte by byte as unsigned values: for UTF-8, the order of
// their code points. Returns <0, 0 or >0.
int MbsCompare(const char* a, const char* b);

// True when c is white space as the trimming operations see it.
inline bool IsTrimSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
