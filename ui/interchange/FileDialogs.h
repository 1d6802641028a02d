// The common Open and Save As dialogs for contacts going in and out of the program.
#pragma once

#include "interchange/ContactFiles.h"

#include <windows.h>

#include <vector>

// The files the user picked to import (several at once), as full paths; empty when cancelled.
std::vector<CString> AskFilesToImport(HWND hOwner);

struct CExportTarget {
    CString strPath;
    ExportKind kind = ExportKind::vcard30; // the type chosen in the dialog, whatever the name ends in
};

// The file and kind to export to; false when cancelled. strSuggestedName fills the name box.
bool AskExportTarget(HWND hOwner, const CString& strSuggestedName, CExportTarget& target);

// The picture file the user picked for a contact's photo; empty when cancelled.
CString AskPictureFile(HWND hOwner);
