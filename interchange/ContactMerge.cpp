#include "ContactMerge.h"

#include "data/ContactIdentity.h"

CContactArray SelectNewContacts(const CContactArray& book, CContactArray imported, bool bKeepDuplicates,
                                const CString& strFile, CImportReport& report) {
    CContactArray added;
    added.Reserve(imported.GetSize());
    // The book and what this import took so far, looked up by value: a large import stays fast,
    // even of thousands of contacts of one name.
    CPersonIndex known;
    for (int i = 0; i < book.GetSize() && !bKeepDuplicates; ++i) {
        known.Add(book[i]);
    }
    for (int i = 0; i < imported.GetSize(); ++i) {
        CContact& contact = imported[i];
        if (!bKeepDuplicates && !known.AddUnlessHeld(contact)) {
            ++report.nDuplicates;
            CString strText;
            strText.Format("skipped \"%s%s%s\": the address book holds this contact already",
                           contact.lastname.GetString(), contact.firstname.IsEmpty() ? "" : ", ",
                           contact.firstname.GetString());
            report.Warn(strFile, 0, strText);
            continue;
        }
        added.Add(std::move(contact));
        ++report.nAdded;
    }
    return added;
}
