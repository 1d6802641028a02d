// UTF-8, the encoding of every text the program holds, the case mapping of all of Unicode, and
// the folding by which names are matched whatever their accents.
// The mapping comes from one table (UnicodeCase.inc) that every build uses, so a search or a sort
// gives the same result natively and on Windows. Bytes that are not UTF-8 (a damaged file) are
// never lost: each counts as one character of its own and keeps its case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Marks a byte that starts no valid UTF-8 sequence, as DecodeUtf8 reports it.
const unsigned kInvalidUtf8 = 0xFFFFFFFFu;

// The code point that starts at text[i], moving i past it; kInvalidUtf8 (and i past one byte)
// for a byte that starts no valid sequence: a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate or a value beyond U+10FFFF.
unsigned DecodeUtf8(std::string_view text, size_t& i);
void AppendUtf8(std::string& out, unsigned nCodePoint);
bool IsValidUtf8(std::string_view text);

// The simple case mappings, one code point to one.
unsigned LowerCodePoint(unsigned nCodePoint);
unsigned UpperCodePoint(unsigned nCodePoint);
// The text lower-cased (upper-cased) character by character; invalid bytes stay as they are.
void AppendLowerUtf8(std::string& out, std::string_view text);
std::string LowerUtf8(std::string_view text);
std::string UpperUtf8(std::string_view text);

// The text as a person compares names and places: lower case; Latin and Greek letters without
// their accents (UnicodeFold.inc), and ß, æ, œ, þ as the two letters they stand for; combining
// accents dropped; every run of blanks one space, none at either end. Invalid bytes stay.
std::string FoldForMatching(std::string_view text);
