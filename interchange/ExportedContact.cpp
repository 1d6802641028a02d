#include "ExportedContact.h"

#include "Charset.h"

CExportedContact::CExportedContact(const CContact& stored) {
    CContact contact(stored);
    contact.DecodeStoredText();
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        texts[i] = contact.FieldAt(i).GetStdString();
    }
    const std::string& strFirst = texts[CContact::fieldFirstName];
    const std::string& strLast = texts[CContact::fieldLastName];
    strDisplayName = strFirst + (strFirst.empty() || strLast.empty() ? "" : " ") + strLast;
    if (strDisplayName.empty()) {
        strDisplayName = texts[CContact::fieldCompany];
    }
}
