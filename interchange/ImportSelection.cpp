#include "ImportSelection.h"

#include "data/ContactIdentity.h"
#include "data/ContactMerger.h"
#include "framework/core/Unicode.h"

#include <string>
#include <unordered_map>

namespace {

// "\"Smith, Anna\"", or the company for a contact without a name, as a report names a contact.
std::string QuotedName(const CContact& contact) {
    std::string strName = contact.lastname.GetStdString();
    if (!contact.firstname.IsEmpty()) {
        strName.append(strName.empty() ? "" : ", ").append(contact.firstname.GetStdString());
    }
    if (strName.empty()) {
        strName = contact.company.GetStdString();
    }
    return "\"" + strName + "\"";
}

// "Office address, Mobile": the fields a contact gained.
std::string FieldList(const std::vector<int>& fields) {
    std::string strList;
    for (int nField : fields) {
        std::string strLabel = nField == kFurtherValues ? "further values" : CContact::FieldLabel(nField);
        strList.append(strList.empty() ? "" : ", ")
            .append(UpperUtf8(strLabel.substr(0, 1)) + strLabel.substr(1));
    }
    return strList;
}

// Tells what became of an imported contact that another one holds, and counts it.
void ReportHeld(const CContact& imported, const CContact& holder, bool bHolderInBook,
                const std::vector<int>& gained, const CString& strFile, CImportReport& report) {
    std::string strText;
    if (gained.empty()) {
        ++report.nDuplicates;
        strText = "skipped " + QuotedName(imported) +
                  (bHolderInBook ? ": the address book holds this contact already"
                                 : ": the same contact comes earlier in this import");
    } else {
        ++report.nMerged;
        strText = "merged into " + QuotedName(holder) + (bHolderInBook ? "" : ", earlier in this import") +
                  ": " + FieldList(gained);
    }
    report.Warn(strFile, 0, CString(std::move(strText)));
}

} // namespace

CImportSelection SelectNewContacts(const CContactArray& book, CContactArray imported, bool bKeepDuplicates,
                                   const CImportSources& sources, CImportReport& report) {
    CImportSelection selection;
    if (bKeepDuplicates) {
        report.nAdded += imported.GetSize();
        selection.added = std::move(imported);
        return selection;
    }
    const int nBook = book.GetSize();
    const std::vector<int> holders = FindHoldingContacts(book, imported);
    // The new contacts close up in place, so that an import without duplicates moves none;
    // newIndex says where each went, for the later ones of the same person.
    std::vector<int> newIndex(static_cast<size_t>(imported.GetSize()), -1);
    std::unordered_map<int, size_t> mergedOfBook; // a book contact's index -> its place in merged
    std::unordered_map<int, CMergeMemo> memos;    // for each holder, what merges added to it
    int nKept = 0;
    for (int i = 0; i < imported.GetSize(); ++i) {
        CContact& contact = imported[i];
        const int nHolder = holders[static_cast<size_t>(i)];
        if (nHolder < 0) {
            if (nKept != i) {
                imported[nKept] = std::move(contact);
            }
            newIndex[static_cast<size_t>(i)] = nKept++;
            continue;
        }
        if (nHolder >= nBook) {
            // A holder of the import is never held itself, so it was kept, before this one.
            CContact& holder = imported[newIndex[static_cast<size_t>(nHolder - nBook)]];
            ReportHeld(contact, holder, false, MergeInto(holder, contact, memos[nHolder]), sources.NameOf(i),
                       report);
            continue;
        }
        auto it = mergedOfBook.find(nHolder);
        if (it != mergedOfBook.end()) {
            CContact& holder = selection.merged[it->second];
            ReportHeld(contact, holder, true, MergeInto(holder, contact, memos[nHolder]), sources.NameOf(i), report);
            continue;
        }
        // The book's contact is copied only to be changed, and kept only when it was.
        CContact holder = book[nHolder];
        std::vector<int> gained = MergeInto(holder, contact, memos[nHolder]);
        ReportHeld(contact, holder, true, gained, sources.NameOf(i), report);
        if (!gained.empty()) {
            mergedOfBook.emplace(nHolder, selection.merged.size());
            selection.replaced.push_back(nHolder);
            selection.merged.push_back(std::move(holder));
        }
    }
    imported.SetSize(nKept);
    report.nAdded += nKept;
    selection.added = std::move(imported);
    return selection;
}
