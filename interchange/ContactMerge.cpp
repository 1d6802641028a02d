#include "ContactMerge.h"

#include "data/ContactIdentity.h"

#include <string>

CContactArray SelectNewContacts(const CContactArray& book, CContactArray imported, bool bKeepDuplicates,
                                const CString& strFile, CImportReport& report) {
    if (bKeepDuplicates) {
        report.nAdded += imported.GetSize();
        return imported;
    }
    const std::vector<bool> held = FindHeldContacts(book, imported);
    // The new contacts close up in place, so that an import without duplicates moves none.
    int nKept = 0;
    for (int i = 0; i < imported.GetSize(); ++i) {
        CContact& contact = imported[i];
        if (held[static_cast<size_t>(i)]) {
            ++report.nDuplicates;
            const char kWhy[] = "\": the address book holds this contact already";
            std::string strText;
            strText.reserve(
                16 + static_cast<size_t>(contact.lastname.GetLength() + contact.firstname.GetLength()) +
                sizeof kWhy);
            strText.append("skipped \"").append(contact.lastname.GetStdString());
            if (!contact.firstname.IsEmpty()) {
                strText.append(", ").append(contact.firstname.GetStdString());
            }
            strText.append(kWhy);
            report.Warn(strFile, 0, CString(std::move(strText)));
            continue;
        }
        if (nKept != i) {
            imported[nKept] = std::move(contact);
        }
        ++nKept;
    }
    imported.SetSize(nKept);
    report.nAdded += nKept;
    return imported;
}
