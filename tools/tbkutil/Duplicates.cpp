#include "Duplicates.h"

#include "BookAccess.h"
#include "Console.h"
#include "data/ContactBook.h"
#include "data/ContactMerger.h"
#include "data/ContactSort.h"
#include "data/DuplicateFinder.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// One line for a contact: its name (or company), then the first of its e-mail addresses and
// numbers, as typed.
std::string ContactLine(const CContact& contact) {
    std::string strLine = ListNameOf(contact).GetStdString();
    for (int nField : {CContact::fieldHomeEMail, CContact::fieldOfficeEMail, CContact::fieldMobile,
                       CContact::fieldHomePhone, CContact::fieldOfficePhone}) {
        if (!contact.FieldAt(nField).IsEmpty()) {
            strLine += " | " + contact.DisplayText(nField).GetStdString();
        }
    }
    return strLine;
}

void PrintGroup(const char* pszHead, const CDuplicateGroup& group, const CContactArray& contacts) {
    Print(stdout, "%s%s:\n", pszHead, DuplicateReasonText(group.reason));
    for (int n : group.contacts) {
        Print(stdout, "  %s\n", ContactLine(contacts[n]).c_str());
    }
}

} // namespace

int RunDuplicates(int argc, char** argv, unsigned nLegacyCodePage) {
    if (argc != 1) {
        Print(stderr, "usage: tbkutil duplicates FILE\n");
        return kExitFailed;
    }
    CContactArray contacts;
    bool bPartial = false;
    if (!LoadBook(argv[0], nLegacyCodePage, contacts, bPartial)) {
        return kExitFailed;
    }
    SortContacts(contacts); // in the order the program lists them
    std::vector<CDuplicateGroup> groups = FindDuplicates(contacts);
    for (size_t i = 0; i < groups.size(); ++i) {
        PrintGroup(i == 0 ? "" : "\n", groups[i], contacts);
    }
    return groups.empty() ? kExitClean : kExitWarned;
}

int RunMergeDuplicates(int argc, char** argv, unsigned nLegacyCodePage) {
    bool bDryRun = argc == 2 && std::strcmp(argv[1], "--dry-run") == 0;
    if (argc != 1 && !bDryRun) {
        Print(stderr, "usage: tbkutil merge-duplicates FILE [--dry-run]\n");
        return kExitFailed;
    }
    const char* pszBook = argv[0];
    // The running program keeps the merge too: it reads its book again before it writes it.
    CBookAccess access(pszBook, nLegacyCodePage);
    if (!access.Open(bDryRun ? CBookAccess::EUse::read : CBookAccess::EUse::change, false, "nothing was merged")) {
        return kExitFailed;
    }
    CContactBook& book = access.Book();
    const bool bPartial = access.IsPartial();
    book.SortContacts();
    std::vector<CMergeGroup> merges;
    for (const CDuplicateGroup& group : FindDuplicates(book.Contacts(), true)) {
        std::vector<CContact> members;
        for (int n : group.contacts) {
            members.push_back(book.Contacts()[n]);
        }
        merges.push_back({group.contacts, MergeContacts(members)});
        PrintGroup(merges.size() == 1 ? "" : "\n", group, book.Contacts());
        Print(stdout, "  into: %s\n", ContactLine(merges.back().merged).c_str());
    }
    if (merges.empty()) {
        Print(stdout, "tbkutil: no duplicates to merge in %s\n", pszBook);
        return bPartial ? kExitWarned : kExitClean;
    }
    if (bDryRun) {
        Print(stdout, "\ntbkutil: %d %s would be merged; nothing was written (--dry-run)\n",
              static_cast<int>(merges.size()), merges.size() == 1 ? "group" : "groups");
        return kExitClean;
    }
    // The previous file stays beside the new one, as after an import.
    CFileException error;
    if (!access.Commit(book.MergeContacts(merges), true, error)) {
        return Fail("%s; nothing was merged", error.GetErrorMessage().GetString());
    }
    if (!book.GetBackupPath().IsEmpty()) {
        Print(stdout, "tbkutil: the previous address book was kept as %s\n",
              book.GetBackupPath().GetString());
    }
    Print(stdout, "\ntbkutil: merged %d %s in %s\n", static_cast<int>(merges.size()),
          merges.size() == 1 ? "group" : "groups", pszBook);
    return bPartial ? kExitWarned : kExitClean;
}
