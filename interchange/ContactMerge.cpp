#include "ContactMerge.h"

#include "data/ContactIdentity.h"

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
            CString strText = "skipped \"" + contact.lastname;
            if (!contact.firstname.IsEmpty()) {
                strText += ", " + contact.firstname;
            }
            report.Warn(strFile, 0, strText + "\": the address book holds this contact already");
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
