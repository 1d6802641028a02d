// command_bench: how long the main window's commands take under Wine with a large address
// book, each beside a reference measured in the same run, with the window shown (drawing is
// what costs under Wine). Every figure includes painting what the command left invalid.
//
//   search  OnSearch over 100,000 contacts finding 1,000, with the list refilled with the hits:
//           the first after a change, which makes the index again, beside the book's index
//           made and searched alone; started from the full list, beside the book's search alone
//           (what the list adds is the difference); and started from a shown result, beside
//           showing those 1,000 contacts alone
//   escape  Escape from that result back to the full list of 100,000; beside the sorted refill
//           of the full list alone
//   group   choosing one of 20 groups in a book of 100,000 contacts (5,000 in each), and
//           choosing all contacts again; beside showing those rows alone
//   edit    storing one edited contact of 100,000 (re-sort, refill, reselect) and saving the
//           book; beside the refill of the 100,000 rows and the save alone
//   delete  deleting one row of 100,000 and saving the book; beside the save alone
//   save    saving a book of 200,000 contacts; beside the disk's part of it: the same bytes
//           written to a new file, flushed and moved over the old one
//
//   command_bench [--reps N]
#include "BenchContacts.h"
#include "BenchWin.h"
#include "ListFill.h"

#include "app/TBookApp.h"
#include "data/AddressBookWriter.h"
#include "data/ContactGroups.h"
#include "res/resource.h"
#include "ui/main/TBookDlg.h"
#include "win/MainWindowProbe.h"


#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

const int kSearchSize = 100000;
const int kSearchHitEvery = 100;
const char kSearchText[] = "QQ-BENCH-HIT";
const int kGroupCount = 20;
const int kEditSize = 100000;
const int kSaveSize = 200000;
const int kDefaultRepetitions = 5;

CTBookApp g_app;

// The window with its commands in reach.
class CBenchDlg : public CTBookDlg {
public:
    explicit CBenchDlg(const CMainContext& context) : CTBookDlg(context) {}
    void OnSearch() { m_probe.Search().OnSearch(); }
    void CancelSearch() { m_probe.Search().CancelSearch(); }
    void SetGroup(const CGroupChoice& group) { m_probe.Search().SetGroup(group); }
    CContactBook& Book() { return m_probe.Book(); }
    CContactCommands& Commands() { return m_probe.Commands(); }
    CContactListView& List() { return m_probe.List(); }
    CButton& SearchButton() { return m_probe.Buttons().SearchToggle(); }
    void RefillList(BOOL bSort) {
        if (bSort) {
            Book().SortContacts();
        }
        List().RefillList(Book().Contacts());
    }
    // The book holds these contacts instead of its own.
    void Replace(const CContactArray& contacts) {
        std::vector<int> all(static_cast<size_t>(Book().Contacts().GetSize()));
        for (size_t i = 0; i < all.size(); ++i) {
            all[i] = static_cast<int>(i);
        }
        Book().DeleteContacts(all);
        Book().AddContacts(contacts);
    }

private:
    CMainWindowProbe m_probe{*this};
};

struct CFigure {
    const char* pszName;
    std::vector<double> ours;
    std::vector<double> reference;
    const char* pszReference;
};

double Time(HWND hTop, const std::function<void()>& step) {
    DrainMessages();
    CStopwatch watch;
    step();
    PaintNow(hTop);
    double dMs = watch.ElapsedMs();
    DrainMessages();
    return dMs;
}

// What a save asks of the disk: the bytes into a new file, flushed, moved over the old one.
bool WriteFlushedAndMoved(const std::string& strPath, const std::string& strBytes) {
    std::string strTemp = strPath + ".new";
    std::string strError;
    if (!WriteWholeFile(strTemp, strBytes, &strError)) {
        return false;
    }
    HANDLE hFile = ::CreateFileA(strTemp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    bool bFlushed = hFile != INVALID_HANDLE_VALUE && ::FlushFileBuffers(hFile);
    if (hFile != INVALID_HANDLE_VALUE) {
        ::CloseHandle(hFile);
    }
    return bFlushed && ::MoveFileExA(strTemp.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

CContactArray SearchBook() {
    CContactArray contacts = GenerateContacts(kSearchSize, kBenchSeed);
    for (int i = 0; i < contacts.GetSize(); i += kSearchHitEvery) {
        contacts[i].note += " qq-bench-hit";
    }
    return contacts;
}

bool Measure(CBenchDlg& dlg, int nRepetitions, std::vector<CFigure>& figures) {
    HWND hTop = dlg.m_hWnd;

    CFigure fromFull = {"search from the full list", {}, {}, "the book's search alone"};
    CFigure first = {"first search after a change", {}, {}, "the index made and searched alone"};
    CFigure search = {"search from a result", {}, {}, "showing the hits alone"};
    CFigure escape = {"Escape back to the full list", {}, {}, "sorted refill alone"};
    dlg.Replace(SearchBook());
    ::SetDlgItemTextA(hTop, IDC_SEARCH_EDIT, kSearchText);
    // A change of any contact makes the next search make the index of every contact again.
    auto changeOne = [&] {
        dlg.Book().StoreEditedContact(0, dlg.Book().Contacts()[0]);
        dlg.RefillList(TRUE);
    };
    for (int r = 0; r < nRepetitions; ++r) {
        changeOne();
        first.ours.push_back(Time(hTop, [&] {
            dlg.SearchButton().SetCheck(BST_CHECKED);
            dlg.OnSearch();
        }));
        changeOne();
        CDWordArray firstFound;
        first.reference.push_back(Time(hTop, [&] { dlg.Book().FindContacts(kSearchText, firstFound); }));
        // As the user starts it, with every contact listed and the index made before.
        dlg.RefillList(TRUE);
        fromFull.ours.push_back(Time(hTop, [&] {
            dlg.SearchButton().SetCheck(BST_CHECKED);
            dlg.OnSearch();
        }));
        dlg.RefillList(TRUE);
        CDWordArray found;
        fromFull.reference.push_back(Time(hTop, [&] { dlg.Book().FindContacts(kSearchText, found); }));
        // A new search while a result is shown finds the index made before.
        dlg.RefillList(FALSE);
        dlg.SearchButton().SetCheck(BST_CHECKED);
        dlg.OnSearch();
        search.ours.push_back(Time(hTop, [&] {
            dlg.SearchButton().SetCheck(BST_CHECKED);
            dlg.OnSearch();
        }));
        if (dlg.List().GetItemCount() != kSearchSize / kSearchHitEvery) {
            std::fprintf(stderr, "command_bench: the search showed %d rows\n", dlg.List().GetItemCount());
            return false;
        }
        // Shown from an array of their own, which the list reads while it draws them.
        CContactArray hits;
        for (int nIndex : dlg.List().RowContacts()) {
            hits.Add(dlg.Book().Contacts()[nIndex]);
        }
        search.reference.push_back(Time(hTop, [&] { dlg.List().RefillList(hits); }));
        dlg.SearchButton().SetCheck(BST_CHECKED);
        dlg.OnSearch();
        escape.ours.push_back(Time(hTop, [&] { dlg.CancelSearch(); }));
        if (dlg.List().GetItemCount() != kSearchSize) {
            std::fprintf(stderr, "command_bench: Escape showed %d rows\n", dlg.List().GetItemCount());
            return false;
        }
        escape.reference.push_back(Time(hTop, [&] { dlg.RefillList(TRUE); }));
        dlg.SearchButton().SetCheck(BST_UNCHECKED);
    }
    figures.push_back(first);
    figures.push_back(fromFull);
    figures.push_back(search);
    figures.push_back(escape);

    CFigure toGroup = {"show one of 20 groups", {}, {}, "showing its rows alone"};
    CFigure toAll = {"show all contacts again", {}, {}, "sorted refill alone"};
    CContactArray grouped = GenerateContacts(kEditSize, kBenchSeed);
    for (int i = 0; i < grouped.GetSize(); ++i) {
        AddToGroup(grouped[i], ("Group " + std::to_string(i % kGroupCount)).c_str());
    }
    dlg.Replace(grouped);
    dlg.RefillList(TRUE);
    for (int r = 0; r < nRepetitions; ++r) {
        CGroupChoice group = CGroupChoice::Named(("group " + std::to_string(r % kGroupCount)).c_str());
        toGroup.ours.push_back(Time(hTop, [&] { dlg.SetGroup(group); }));
        std::vector<int> rows = dlg.List().RowContacts();
        if (rows.size() != kEditSize / kGroupCount) {
            std::fprintf(stderr, "command_bench: the group showed %zu rows\n", rows.size());
            return false;
        }
        toGroup.reference.push_back(Time(hTop, [&] { dlg.List().ShowContacts(dlg.Book().Contacts(), rows); }));
        toAll.ours.push_back(Time(hTop, [&] { dlg.SetGroup(CGroupChoice::All()); }));
        toAll.reference.push_back(Time(hTop, [&] { dlg.RefillList(TRUE); }));
    }
    figures.push_back(toGroup);
    figures.push_back(toAll);

    CFigure edit = {"edit one of 100,000", {}, {}, "refill and save alone"};
    CFigure erase = {"delete one of 100,000", {}, {}, "save alone"};
    dlg.Replace(GenerateContacts(kEditSize, kBenchSeed));
    dlg.RefillList(TRUE);
    for (int r = 0; r < nRepetitions; ++r) {
        int nIndex = (r * 997) % dlg.Book().Contacts().GetSize();
        CContact changed = dlg.Book().Contacts()[nIndex];
        changed.lastname = r % 2 ? "Aaron" : "Zyzzyva"; // moves to the other end of the list
        edit.ours.push_back(Time(hTop, [&] {
            dlg.Commands().Commit(dlg.Commands().StoreEditedContact(nIndex, changed));
        }));
        edit.reference.push_back(Time(hTop, [&] {
            dlg.RefillList(TRUE);
            (void)dlg.Book().SaveAddressBook(nullptr); // a failed save times as much as the command's
        }));
        int nCount = dlg.Book().Contacts().GetSize();
        erase.ours.push_back(Time(hTop, [&] {
            dlg.Commands().Commit(dlg.Commands().DeleteRow(nCount / 2));
        }));
        if (dlg.Book().Contacts().GetSize() != nCount - 1 || dlg.List().GetItemCount() != nCount - 1) {
            std::fprintf(stderr, "command_bench: the deletion left %d contacts and %d rows\n",
                         dlg.Book().Contacts().GetSize(), dlg.List().GetItemCount());
            return false;
        }
        erase.reference.push_back(Time(hTop, [&] { (void)dlg.Book().SaveAddressBook(nullptr); }));
    }
    figures.push_back(edit);
    figures.push_back(erase);

    CFigure save = {"save of 200,000", {}, {}, "its bytes written, flushed, moved"};
    dlg.Replace(GenerateContacts(kSaveSize, kBenchSeed));
    dlg.RefillList(TRUE);
    std::string strDocument = BuildAddressBookDocument(dlg.Book().Contacts()).GetStdString();
    std::string strPlain = std::string(dlg.Book().GetPath().GetString()) + ".plain";
    for (int r = 0; r < nRepetitions; ++r) {
        bool bSaved = true;
        save.ours.push_back(Time(hTop, [&] { bSaved = dlg.Book().SaveAddressBook(nullptr); }));
        save.reference.push_back(
            Time(hTop, [&] { bSaved = WriteFlushedAndMoved(strPlain, strDocument) && bSaved; }));
        if (!bSaved) {
            std::fprintf(stderr, "command_bench: the book of %d contacts could not be saved\n", kSaveSize);
            return false;
        }
    }
    ::DeleteFileA(strPlain.c_str());
    figures.push_back(save);
    return true;
}

int Run(int nRepetitions) {
    std::string strError;
    CScratchRegistry registry;
    if (!registry.Redirect("command_bench", &strError)) {
        std::fprintf(stderr, "command_bench: %s\n", strError.c_str());
        return 2;
    }
    CScratchFolder folder;
    if (!folder.Create("tbook-command-bench", &strError)) {
        std::fprintf(stderr, "command_bench: %s\n", strError.c_str());
        return 2;
    }
    std::string strBook = folder.File("tbk.xml");
    folder.File("tbk.xml.bak");
    CContactArray opening = GenerateContacts(3, kBenchSeed);
    if (!WriteWholeFile(strBook, BuildAddressBookDocument(opening).GetStdString(), &strError)) {
        std::fprintf(stderr, "command_bench: %s\n", strError.c_str());
        return 2;
    }
    CMainContext context;
    context.strAddressBookPath = strBook.c_str();

    std::vector<CFigure> figures;
    bool bDone = false;
    {
        CBenchDlg dlg(context);
        if (!dlg.Create(IDD_TBOOK_DIALOG)) {
            std::fprintf(stderr, "command_bench: the main window could not be created\n");
            return 2;
        }
        g_app.m_pMainWnd = &dlg;
        dlg.ShowWindow(SW_SHOWNORMAL);
        ::SetForegroundWindow(dlg.m_hWnd);
        DrainMessages();
        bDone = Measure(dlg, nRepetitions, figures);
        // Closed directly: the window's own exit path would save the book once more.
        dlg.DestroyWindow();
        DrainMessages();
        g_app.m_pMainWnd = nullptr;
    }
    if (!bDone) {
        return 1;
    }
    std::printf("%-28s %10s %10s %8s   reference\n", "median of each (ms)", "ours", "reference", "ratio");
    for (const CFigure& figure : figures) {
        double dOurs = Median(figure.ours);
        double dReference = Median(figure.reference);
        std::printf("%-28s %10.1f %10.1f %7.2fx   %s\n", figure.pszName, dOurs, dReference,
                    dReference > 0 ? dOurs / dReference : 0.0, figure.pszReference);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int nRepetitions = kDefaultRepetitions;
    if (!StartWindowBench("command_bench", argc, argv, &nRepetitions)) {
        return 2;
    }
    char szModule[MAX_PATH * 2] = "";
    ::GetModuleFileNameA(nullptr, szModule, sizeof szModule);
    g_app.SetUp(::GetModuleHandleA(nullptr), szModule, "");
    return Run(nRepetitions);
}
