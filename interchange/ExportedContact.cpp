#include "ExportedContact.h"

#include "Charset.h"
#include "ContactBuilder.h"

CExportedContact::CExportedContact(const CContact& stored) {
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        // Most fields hold no stored form to decode; they are copied once, as they are.
        const CString& strStored = stored.FieldAt(i);
        bool bEncoded = strStored.Find('&') >= 0 || strStored.Find('\\') >= 0;
        texts[i] = bEncoded ? stored.DisplayText(i).GetStdString() : strStored.GetStdString();
    }
    const std::string& strFirst = texts[CContact::fieldFirstName];
    const std::string& strLast = texts[CContact::fieldLastName];
    strDisplayName = PlainDisplayName(strFirst, strLast);
    if (strDisplayName.empty()) {
        strDisplayName = texts[CContact::fieldCompany];
    }
}
