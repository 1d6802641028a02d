#include "FileError.h"

#include "AppContext.h"

void ReportFileError(const CFileException& error, UINT nType) { AfxMessageBox(error.GetErrorMessage(), nType); }
