#include "Console.h"

std::vector<std::string> CommandLineArguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

void WriteText(FILE* pStream, const std::string& strText) { std::fwrite(strText.data(), 1, strText.size(), pStream); }
