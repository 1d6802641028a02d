// Shows a file operation's failure to the user: the framework's message box naming the cause.
#pragma once

#include "framework/core/FileException.h"

#include <windows.h>

void ReportFileError(const CFileException& error, UINT nType = MB_OK | MB_ICONEXCLAMATION);
