// list_refill_bench: how long the main window takes to refill its contact list, beside other
// ways of filling the same rows, all measured in this run while the window is shown on the
// desktop (drawing is what costs under Wine).
//
//   ours   RefillList(TRUE): the sort, then the shown order and the row count of the window's
//          owner-data list, which asks for the texts of the rows it draws
//   plain  LVM_DELETEALLITEMS, then per row LVM_INSERTITEM and seven LVM_SETITEM, drawing on,
//          into a list view that holds its rows, made like the window's in a plain window with
//          no framework wrapper
//   bare   the plain fill with drawing off, into that list view: what holding the rows costs the
//          list view itself
//
// Every run includes painting what it left invalid, starts from an empty message queue with
// the list holding the rows of the run before, and happens with only its own window shown.
// The ways take turns so that a burst of load on the machine falls on all alike; the table
// gives medians.
//
//   list_refill_bench [--reps N]
#include "BenchContacts.h"
#include "BenchWin.h"
#include "ListFill.h"

#include "app/TBookApp.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "res/resource.h"
#include "ui/main/TBookDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kSizes[] = {1000, 10000, 100000};
// The plain fill takes minutes at 10,000 rows and far longer at 100,000: it is measured up to
// 10,000 rows, and above 1,000 at most this often.
const int kLargestPlainSize = 10000;
const int kMostSlowPlainRuns = 3;
const int kDefaultRepetitions = 5;

CTBookApp g_app;

enum class Way { ours, plain, bare };
const Way kWays[] = {Way::ours, Way::bare, Way::plain};

struct CSizeResult {
    int nSize = 0;
    std::vector<double> ours;
    std::vector<double> plain;
    std::vector<double> bare;
    std::vector<double> sort;
};

std::vector<double>& Samples(CSizeResult* pResult, Way way) {
    switch (way) {
    case Way::plain:
        return pResult->plain;
    case Way::bare:
        return pResult->bare;
    default:
        return pResult->ours;
    }
}

class CRefillBench {
public:
    CRefillBench(CTBookDlg& dlg, CBareListWindow& bare, int nRepetitions)
        : m_dlg(dlg), m_hDlg(dlg.m_hWnd), m_hList(dlg.GetDlgItem(IDC_LIST)), m_bare(bare),
          m_nRepetitions(nRepetitions) {}

    bool MeasureSize(int nSize, CSizeResult* pResult);

private:
    // Times one fill of the rows the given way, with its window alone on the screen.
    bool Run(Way way, const CContactArray& unsorted, const CContactArray& sorted, double* pMs);
    void ShowOnly(HWND hTop);

    CTBookDlg& m_dlg;
    // The window's list shows one of these while the other is made ready for the next run: the
    // list reads the contacts it shows whenever it draws.
    CContactArray m_shown[2];
    int m_nNextShown = 0;
    HWND m_hDlg;
    HWND m_hList;
    CBareListWindow& m_bare;
    int m_nRepetitions;
    HWND m_hShown = nullptr;
};

void CRefillBench::ShowOnly(HWND hTop) {
    if (m_hShown == hTop) {
        return;
    }
    // One window on the screen at a time: a list partly covered by the other window would be
    // spared part of its painting.
    ::ShowWindow(hTop == m_hDlg ? m_bare.Frame() : m_hDlg, SW_HIDE);
    ::ShowWindow(hTop, SW_SHOWNORMAL);
    ::SetForegroundWindow(hTop);
    m_hShown = hTop;
}

bool CRefillBench::Run(Way way, const CContactArray& unsorted, const CContactArray& sorted, double* pMs) {
    HWND hTop = way == Way::ours ? m_hDlg : m_bare.Frame();
    HWND hList = way == Way::ours ? m_hList : m_bare.List();
    // Contacts with names equal apart from case change places on every sort, so each run
    // starts from the order they were loaded in.
    CContactArray& contacts = m_shown[m_nNextShown];
    if (way == Way::ours) {
        contacts = unsorted;
        m_nNextShown = 1 - m_nNextShown;
    }
    ShowOnly(hTop);
    DrainMessages();
    if (!IsListShown(hTop, hList)) {
        std::fprintf(stderr, "list_refill_bench: the window or its list is not shown\n");
        return false;
    }
    CStopwatch watch;
    switch (way) {
    case Way::ours:
        // The window's own list view, as the program refills it.
        SortContacts(contacts);
        static_cast<CContactListView*>(CWnd::FromHandle(m_hList))->RefillList(contacts);
        break;
    case Way::plain:
        FillRows(hList, sorted);
        break;
    case Way::bare:
        FillRowsWithoutDrawing(hList, sorted);
        break;
    }
    PaintNow(hTop);
    *pMs = watch.ElapsedMs();
    DrainMessages();
    // A fill that went wrong would make its time meaningless.
    std::string strDifference = CompareRows(hList, sorted, way != Way::ours);
    if (!strDifference.empty()) {
        const char* pszWay = way == Way::ours ? "program's" : way == Way::plain ? "plain" : "bare";
        std::fprintf(stderr, "list_refill_bench: after the %s fill of %d rows %s\n", pszWay, sorted.GetSize(),
                     strDifference.c_str());
        return false;
    }
    return true;
}

bool CRefillBench::MeasureSize(int nSize, CSizeResult* pResult) {
    pResult->nSize = nSize;
    const CContactArray unsorted = GenerateContacts(nSize, kBenchSeed);
    CContactArray sorted = unsorted;
    SortContacts(sorted);
    int nPlainRuns = nSize > kLargestPlainSize ? 0
                     : nSize > kSizes[0]       ? std::min(m_nRepetitions, kMostSlowPlainRuns)
                                               : m_nRepetitions;

    // First runs leave both lists holding rows of this size, as every later run finds them.
    double dMs = 0;
    if (!Run(Way::ours, unsorted, sorted, &dMs) || !Run(Way::bare, unsorted, sorted, &dMs)) {
        return false;
    }
    for (int nRep = 0; nRep < m_nRepetitions; ++nRep) {
        for (size_t nTurn = 0; nTurn < std::size(kWays); ++nTurn) {
            Way way = kWays[(nTurn + static_cast<size_t>(nRep)) % std::size(kWays)];
            if (way == Way::plain && nRep >= nPlainRuns) {
                continue;
            }
            if (!Run(way, unsorted, sorted, &dMs)) {
                return false;
            }
            Samples(pResult, way).push_back(dMs);
        }
        // The sort alone, for how much of the refill it is.
        CContactArray copy = unsorted;
        CStopwatch watch;
        SortContacts(copy);
        pResult->sort.push_back(watch.ElapsedMs());
    }
    std::fprintf(stderr, "list_refill_bench: %d contacts done\n", nSize);
    return true;
}

void PrintTable(const std::vector<CSizeResult>& results, int nRepetitions) {
    std::printf(
        "List refill of the main window under Wine, window shown; medians of %d runs (plain: %d above "
        "%d rows)\n",
        nRepetitions, std::min(nRepetitions, kMostSlowPlainRuns), kSizes[0]);
    std::printf(
        "  ours  = RefillList(TRUE): sort, then the shown order and the row count of the owner-data list\n"
        "          (sort ms: the sort alone)\n");
    std::printf("  plain = LVM_DELETEALLITEMS, LVM_INSERTITEM + 7 LVM_SETITEM per row, drawing on, into an\n"
                "          unwrapped list view that holds its rows, in a plain window\n");
    std::printf("  bare  = the plain fill with drawing off, into that list view\n\n");
    std::printf("%9s %10s %8s %11s %11s %12s %12s %9s %10s\n", "contacts", "ours ms", "sort ms", "plain ms",
                "ours/plain", "ours rows/s", "plain rows/s", "bare ms", "ours/bare");
    for (const CSizeResult& result : results) {
        double dOurs = Median(result.ours);
        double dBare = Median(result.bare);
        std::printf("%9d %10.1f %8.1f", result.nSize, dOurs, Median(result.sort));
        if (result.plain.empty()) {
            std::printf(" %11s %11s %12.0f %12s", "-", "-", result.nSize * 1000.0 / dOurs, "-");
        } else {
            double dPlain = Median(result.plain);
            std::printf(" %11.1f %11.3f %12.0f %12.0f", dPlain, dOurs / dPlain, result.nSize * 1000.0 / dOurs,
                        result.nSize * 1000.0 / dPlain);
        }
        std::printf(" %9.1f %10.2f\n", dBare, dOurs / dBare);
    }
}

// A small book for the window to load when it opens; the runs replace its contacts.
CContactArray OpeningBook() {
    CContactArray contacts;
    const char* const names[][2] = {{"Adams", "Ann"}, {"Baker", "Bob"}, {"Clark", "Cleo"}};
    for (const auto& name : names) {
        CContact contact;
        contact.lastname = name[0];
        contact.firstname = name[1];
        contacts.Add(contact);
    }
    return contacts;
}

int Run(int nRepetitions) {
    std::string strError;
    CScratchRegistry registry;
    if (!registry.Redirect("list_refill_bench", &strError)) {
        std::fprintf(stderr, "list_refill_bench: %s\n", strError.c_str());
        return 2;
    }
    CScratchFolder folder;
    if (!folder.Create("tbook-refill-bench", &strError)) {
        std::fprintf(stderr, "list_refill_bench: %s\n", strError.c_str());
        return 2;
    }
    std::string strBook = folder.File("tbk.xml");
    folder.File("tbk.xml.bak"); // in case the window ever backs the book up
    if (!WriteWholeFile(strBook, BuildAddressBookDocument(OpeningBook()).GetStdString(), &strError)) {
        std::fprintf(stderr, "list_refill_bench: %s\n", strError.c_str());
        return 2;
    }
    CMainContext context;
    context.strAddressBookPath = strBook.c_str();

    std::vector<CSizeResult> results;
    bool bDone = true;
    {
        CTBookDlg dlg(context);
        if (!dlg.Create(IDD_TBOOK_DIALOG)) {
            std::fprintf(stderr, "list_refill_bench: the main window could not be created\n");
            return 2;
        }
        g_app.m_pMainWnd = &dlg;
        dlg.ShowWindow(SW_SHOWNORMAL);
        ::SetForegroundWindow(dlg.m_hWnd);
        DrainMessages();
        CBareListWindow bare;
        if (!bare.Create(dlg.m_hWnd, dlg.GetDlgItem(IDC_LIST))) {
            std::fprintf(stderr, "list_refill_bench: the bare list window could not be created\n");
            dlg.DestroyWindow();
            return 2;
        }
        CRefillBench bench(dlg, bare, nRepetitions);
        for (int nSize : kSizes) {
            results.emplace_back();
            if (!bench.MeasureSize(nSize, &results.back())) {
                bDone = false;
                break;
            }
        }
        // Closed directly: the window's own exit path would save the book.
        dlg.DestroyWindow();
        DrainMessages();
        g_app.m_pMainWnd = nullptr;
    }
    if (!bDone) {
        return 1;
    }
    PrintTable(results, nRepetitions);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int nRepetitions = kDefaultRepetitions;
    if (!StartWindowBench("list_refill_bench", argc, argv, &nRepetitions)) {
        return 2;
    }
    char szModule[MAX_PATH * 2] = "";
    ::GetModuleFileNameA(nullptr, szModule, sizeof szModule);
    g_app.SetUp(::GetModuleHandleA(nullptr), szModule, "");
    return Run(nRepetitions);
}
