// tbkutil's side of the console: its arguments and what it prints, in UTF-8 like every text of
// the program. On Windows the arguments come from the wide command line, so a file of any name
// can be named, and a console shows the text through the wide console functions; what goes to a
// file or a pipe is UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The arguments after the program's name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// printf to stdout or stderr.
void Print(FILE* pStream, const char* pszFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// The platform's part: writes the text as the stream's receiver reads it.
void WriteText(FILE* pStream, const std::string& strText);
