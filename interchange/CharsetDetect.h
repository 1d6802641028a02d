// Which character set a file is in when it says nothing of it and is not UTF-8: the Windows
// code pages of the countries whose programs and phones write such files.
//
// Windows' own detector (MLang's IMultiLanguage2::DetectInputCodepage) answers E_NOTIMPL under
// Wine, and ICU is there only in the native build (Windows' icu.dll neither comes with older
// Windows nor with Wine), so the two builds would tell the same file apart differently. The
// detection is therefore the program's own and the same in both: each candidate set must hold
// the bytes as its lead and trail bytes allow, and the text it gives is scored by how often its
// letters occur in its language (the most frequent characters of each), the highest score wins.
#pragma once

#include <string_view>

// The sets told apart, by the names CharsetToUtf8 takes and a warning shows.
extern const char kCharsetWindows1252[];
extern const char kCharsetWindows1251[];
extern const char kCharsetShiftJis[];
extern const char kCharsetGbk[]; // read as code page 936, which Wine has (it lacks GB18030's 54936)
extern const char kCharsetBig5[];
extern const char kCharsetEucKr[];

// The set of text that is not UTF-8. Only its lines that are not UTF-8 are looked at, so that a
// file mixing UTF-8 values with others is judged by the others; Windows-1252, in which every
// byte is a character, when nothing fits better.
const char* DetectCharset(std::string_view strBytes);

// The double-byte sets, whose second bytes may be ASCII characters (0x5C, the backslash, among
// them), so that a byte-wise scan must step over whole characters.
enum class DoubleByteSet { none, shiftJis, gbk, big5, korean };
// The double-byte set a charset name (any case) stands for; none for the others.
DoubleByteSet DoubleByteSetOf(std::string_view strCharset);
// The length of the character that starts at str[i]: 1 for ASCII and single bytes, 2 (4 for
// GB18030's four-byte forms) for a double-byte character, cut to the end of str.
size_t CharacterLength(DoubleByteSet set, std::string_view str, size_t i);
// Whether str ends with the first byte of a double-byte character whose second byte is not there
// (a line folded inside the character). Only the bytes after str's last ASCII character below
// 0x30, which no set uses inside a character, are walked, and at most a few thousand of them.
bool EndsInsideCharacter(DoubleByteSet set, std::string_view str);
// Whether str ends with an odd run of backslashes, each a character of its own rather than the
// second byte of a double-byte character; walked as EndsInsideCharacter walks.
bool EndsWithLoneBackslash(DoubleByteSet set, std::string_view str);
