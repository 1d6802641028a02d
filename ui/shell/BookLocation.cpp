#include "BookLocation.h"

#include "Paths.h"
#include "framework/core/FileIdentity.h"

bool ProgramBookPath(CString& strPath) {
    CString strFolder = ProgramDataFolder();
    if (strFolder.IsEmpty()) {
        return false;
    }
    MakeProgramDataFolder(strFolder);
    strPath = strFolder + "\\" + kAddressBookFileName;
    return true;
}

bool IsProgramBook(const CString& strPath) {
    CString strBook;
    return ProgramBookPath(strBook) && IsSameFile(strPath, strBook);
}
