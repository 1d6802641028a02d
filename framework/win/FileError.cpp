#include "FileError.h"

#include "WinApp.h"

void ReportFileError(const CFileException& error, UINT nType) { AfxMessageBox(error.GetErrorMessage(), nType); }
