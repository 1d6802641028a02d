// Quoted-printable, the transfer encoding vCard 2.1 uses for values that are not short plain
// ASCII: the writer's encoding and the reader's decoding side by side.
#pragma once

#include <string>

// Appends strStart, then strValue encoded, then a line break. Soft line breaks ("=" at the end
// of a line, which readers join without adding anything) keep every line within nMaxLine octets.
void AppendQuotedPrintable(std::string& strOut, const std::string& strStart, const std::string& strValue,
                           size_t nMaxLine);

// Undoes "=XX" codes and soft line breaks already joined by the reader; a stray "=" stays as it is.
std::string DecodeQuotedPrintable(const std::string& str);
