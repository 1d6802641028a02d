#include "TidyNotes.h"

#include "BookAccess.h"
#include "Console.h"
#include "data/ContactBook.h"
#include "interchange/NoteTidy.h"

#include <cstring>
#include <string>
#include <vector>

int RunTidyNotes(int argc, char** argv, unsigned nLegacyCodePage) {
    const bool bDryRun = argc == 2 && std::strcmp(argv[1], "--dry-run") == 0;
    if (argc != 1 && !bDryRun) {
        Print(stderr, "usage: tbkutil tidy-notes FILE [--dry-run]\n");
        return kExitFailed;
    }
    const char* pszBook = argv[0];
    // The running program keeps the change too: it reads its book again before it writes it.
    CBookAccess access(pszBook, nLegacyCodePage);
    if (!access.Open(bDryRun ? CBookAccess::EUse::read : CBookAccess::EUse::change, false, "nothing was tidied")) {
        return kExitFailed;
    }
    CContactBook& book = access.Book();
    book.SortContacts();
    std::vector<int> indexes;
    std::vector<CContact> tidied;
    size_t nLines = 0;
    for (int i = 0; i < book.Contacts().GetSize(); ++i) {
        CContact contact = book.Contacts()[i];
        std::vector<CLiftedLine> lifted = TidyNote(contact);
        if (lifted.empty()) {
            continue;
        }
        Print(stdout, "%s\n", ListNameOf(contact).GetString());
        for (const CLiftedLine& line : lifted) {
            Print(stdout, "  %s\n", line.strLine.c_str());
        }
        nLines += lifted.size();
        indexes.push_back(i);
        tidied.push_back(contact);
    }
    const int nContacts = static_cast<int>(indexes.size());
    const char* pszContacts = nContacts == 1 ? "contact" : "contacts";
    if (indexes.empty()) {
        Print(stdout, "tbkutil: no note in %s holds lines to lift\n", pszBook);
        return access.IsPartial() ? kExitWarned : kExitClean;
    }
    if (bDryRun) {
        Print(stdout, "\ntbkutil: %d lines of %d %s would become values; nothing was written (--dry-run)\n",
              static_cast<int>(nLines), nContacts, pszContacts);
        return kExitClean;
    }
    CFileException error;
    if (!access.Commit(book.ReplaceContacts(indexes, tidied), true, error)) {
        return Fail("%s; nothing was tidied", error.GetErrorMessage().GetString());
    }
    if (!book.GetBackupPath().IsEmpty()) {
        Print(stdout, "tbkutil: the previous address book was kept as %s\n", book.GetBackupPath().GetString());
    }
    Print(stdout, "\ntbkutil: %d lines of %d %s became values in %s\n", static_cast<int>(nLines), nContacts,
          pszContacts, pszBook);
    return access.IsPartial() ? kExitWarned : kExitClean;
}
