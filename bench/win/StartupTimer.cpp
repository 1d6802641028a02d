// startup_timer: how long tbook.exe takes from being started to showing its list filled with a
// large address book, beside the same with a three-contact book, measured in this run, and the
// most memory the program held by then, beside the size of the book's file.
//
// Before each start the prepared book is written where the program keeps it; the clock runs
// from CreateProcess until the main window is visible and its list holds every contact. The
// program is then ended through its own exit command, as the tray menu's Exit does. The two
// sizes alternate (ABBA order), after one unmeasured start of each, and the medians are
// compared. Whatever address book was in place before is put back at the end.
//
//   startup_timer TBOOK_EXE [--rounds N] [--strict] [--scaling]
// --strict: exit status 1 when the large book's start-up exceeds the small one's by more than
// the target.
// --scaling: instead, the large book's start-up on a screen of 192 dpi beside 96 dpi, the two
// alternating (Wine gives each program started the dpi of the LogPixels setting of that moment).
#include "BenchContacts.h"
#include "BenchWin.h"

#include "ui/shell/Paths.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"

#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kMainCaption[] = "Tovano Address Book - List View";
const int kListId = 1000;
const WPARAM kTrayExitCommand = 32778;

const int kSmallBook = 3;
const int kLargeBook = 100000;
// The most the large book's start-up may add to the small one's.
const double kTargetDifferenceMs = 500;
// The most memory the program may hold per byte of the large book's file.
const double kTargetBytesPerByte = 3;
const int kDefaultRounds = 5;
// The most the start-up at 192 dpi may take beside that at 96 dpi.
const double kTargetScalingRatio = 1.1;

const DWORD kPollMs = 3;
const double kStartTimeoutMs = 60000;
const DWORD kExitTimeoutMs = 60000;
const UINT kCountTimeoutMs = 5000;

struct CHandleCloser {
    void operator()(void* h) const {
        if (h) {
            ::CloseHandle(h);
        }
    }
};
using CHandle = std::unique_ptr<void, CHandleCloser>;

bool FileExists(const std::string& strPath) {
    return ::GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Holds the program's address book aside while the timer writes its own books in its place,
// and puts it back at the end; a folder without a book is left without one.
class CBookSwap {
public:
    CBookSwap() = default;
    CBookSwap(const CBookSwap&) = delete;
    CBookSwap& operator=(const CBookSwap&) = delete;
    ~CBookSwap();

    bool Begin(const std::string& strBook, std::string* pError);

private:
    std::string m_strBook;
    std::string m_strSaved;
    bool m_bHadBook = false;
};

bool CBookSwap::Begin(const std::string& strBook, std::string* pError) {
    std::string strSaved = strBook + ".startup-timer-saved";
    if (FileExists(strSaved)) {
        // Left by a run that did not finish: it may be the user's only copy of the book.
        *pError = strSaved + " exists already; put it back as " + strBook + " (or remove it) first";
        return false;
    }
    if (FileExists(strBook)) {
        if (!::MoveFileExA(strBook.c_str(), strSaved.c_str(), 0)) {
            *pError = "cannot move " + strBook + " aside: " + DescribeError(::GetLastError());
            return false;
        }
        m_bHadBook = true;
    }
    m_strBook = strBook;
    m_strSaved = strSaved;
    return true;
}

CBookSwap::~CBookSwap() {
    if (m_strBook.empty()) {
        return;
    }
    ::DeleteFileA(m_strBook.c_str());
    if (m_bHadBook && !::MoveFileExA(m_strSaved.c_str(), m_strBook.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        std::fprintf(stderr, "startup_timer: could not put the address book back: %s is still in %s\n",
                     DescribeError(::GetLastError()).c_str(), m_strSaved.c_str());
    }
}

// The program's data folder, created as the program would create it.
bool ResolveDataFolder(std::string* pFolder, std::string* pError) {
    char szBase[MAX_PATH] = "";
    if (::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, szBase) != S_OK) {
        *pError = "the shell reports no local application-data folder";
        return false;
    }
    CString strParent = ParentFolderOf(DataFolderBelow(szBase));
    CString strFolder = DataFolderBelow(szBase);
    ::CreateDirectoryA(strParent, nullptr);
    ::CreateDirectoryA(strFolder, nullptr);
    if (!FileExists(strFolder.GetStdString())) {
        *pError = "cannot create " + strFolder.GetStdString() + ": " + DescribeError(::GetLastError());
        return false;
    }
    *pFolder = strFolder.GetStdString();
    return true;
}

// The main window of the given process, or null.
HWND FindMainWindow(DWORD dwProcessId) {
    for (HWND hWnd = ::FindWindowExA(nullptr, nullptr, nullptr, kMainCaption); hWnd;
         hWnd = ::FindWindowExA(nullptr, hWnd, nullptr, kMainCaption)) {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if (dwOwner == dwProcessId) {
            return hWnd;
        }
    }
    return nullptr;
}

// The document the program itself would write for the contacts: in list order.
std::string MakeBookDocument(int nCount) {
    CContactArray contacts = GenerateContacts(nCount, kBenchSeed);
    SortContacts(contacts);
    return BuildAddressBookDocument(contacts).GetStdString();
}

struct CStartTimes {
    double dShownMs = 0; // from CreateProcess to the filled list on a visible window
    double dExitMs = 0;  // from the exit command to the end of the process
    size_t nPeakBytes = 0; // the most memory the process held until the list was filled
};

// The most the process held at once: its private memory or its working set, the larger.
size_t PeakMemoryOf(HANDLE hProcess) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(hProcess, &counters, sizeof counters)) {
        return 0;
    }
    return std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize);
}

class CStartupTimer {
public:
    CStartupTimer(std::string strExe, std::string strBook)
        : m_strExe(std::move(strExe)), m_strBook(std::move(strBook)) {}

    // Writes the book, starts the program and times it; false with the cause in *pError.
    bool TimeOneStart(const std::string& strDocument, int nRows, CStartTimes* pTimes, std::string* pError);

private:
    bool WaitForFilledWindow(HANDLE hProcess, DWORD dwProcessId, int nRows, const CStopwatch& watch,
                             HWND* pMain, std::string* pError);

    std::string m_strExe;
    std::string m_strBook;
};

bool CStartupTimer::WaitForFilledWindow(HANDLE hProcess, DWORD dwProcessId, int nRows,
                                        const CStopwatch& watch, HWND* pMain, std::string* pError) {
    // Waiting on the process doubles as the pause between polls, and notices an early end.
    while (::WaitForSingleObject(hProcess, kPollMs) == WAIT_TIMEOUT) {
        if (watch.ElapsedMs() > kStartTimeoutMs) {
            *pError =
                "no filled window after " + std::to_string(static_cast<int>(kStartTimeoutMs / 1000)) + " s";
            return false;
        }
        HWND hMain = FindMainWindow(dwProcessId);
        if (!hMain || !::IsWindowVisible(hMain)) {
            continue;
        }
        HWND hList = ::GetDlgItem(hMain, kListId);
        DWORD_PTR nCount = 0;
        if (hList &&
            ::SendMessageTimeoutA(hList, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kCountTimeoutMs, &nCount) &&
            static_cast<int>(nCount) == nRows) {
            *pMain = hMain;
            return true;
        }
    }
    DWORD dwCode = 0;
    ::GetExitCodeProcess(hProcess, &dwCode);
    *pError = "the program ended (exit code " + std::to_string(dwCode) + ") before its list was filled";
    return false;
}

bool CStartupTimer::TimeOneStart(const std::string& strDocument, int nRows, CStartTimes* pTimes,
                                 std::string* pError) {
    if (::FindWindowA(nullptr, kMainCaption)) {
        // A running instance would take the start as a request to show itself.
        *pError = "another tbook.exe is running in this environment";
        return false;
    }
    if (!WriteWholeFile(m_strBook, strDocument, pError)) {
        return false;
    }
    std::string strCommandLine = "\"" + m_strExe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    CStopwatch watch;
    if (!::CreateProcessA(m_strExe.c_str(), &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        *pError = "cannot start " + m_strExe + ": " + DescribeError(::GetLastError());
        return false;
    }
    CHandle hProcess(process.hProcess);
    CHandle hThread(process.hThread);
    HWND hMain = nullptr;
    if (!WaitForFilledWindow(process.hProcess, process.dwProcessId, nRows, watch, &hMain, pError)) {
        ::TerminateProcess(process.hProcess, 3);
        ::WaitForSingleObject(process.hProcess, kExitTimeoutMs);
        return false;
    }
    pTimes->dShownMs = watch.ElapsedMs();
    pTimes->nPeakBytes = PeakMemoryOf(process.hProcess);

    CStopwatch exitWatch;
    ::PostMessageA(hMain, WM_COMMAND, kTrayExitCommand, 0);
    if (::WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 3);
        ::WaitForSingleObject(process.hProcess, kExitTimeoutMs);
        *pError = "the program did not end after its exit command";
        return false;
    }
    pTimes->dExitMs = exitWatch.ElapsedMs();
    DWORD dwCode = 0;
    ::GetExitCodeProcess(process.hProcess, &dwCode);
    if (dwCode != 0) {
        *pError = "the program ended with exit code " + std::to_string(dwCode);
        return false;
    }
    return true;
}

// Sets the dpi the programs started from now on get, and puts the setting back as it was at the end.
class CScreenDpi {
public:
    CScreenDpi() {
        DWORD nSize = sizeof m_nSaved;
        m_bHadValue = ::RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &m_nSaved, &nSize) ==
                      ERROR_SUCCESS;
    }
    CScreenDpi(const CScreenDpi&) = delete;
    CScreenDpi& operator=(const CScreenDpi&) = delete;
    ~CScreenDpi() {
        if (m_bHadValue) {
            Set(m_nSaved);
        } else {
            ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, kValue);
        }
    }
    bool Set(DWORD nDpi) {
        return ::RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &nDpi, sizeof nDpi) == ERROR_SUCCESS;
    }

private:
    static constexpr const char* kKey = "Control Panel\\Desktop";
    static constexpr const char* kValue = "LogPixels";
    DWORD m_nSaved = 96;
    bool m_bHadValue = false;
};

struct CBookRuns {
    int nRows = 0;
    std::string strDocument;
    std::vector<double> shown;
    std::vector<double> exits;
    std::vector<double> peaks;
};

void PrintTable(const CBookRuns& small, const CBookRuns& large, int nRounds) {
    std::printf("Start-up of tbook.exe under Wine to its visible window with the list filled\n");
    std::printf(
        "  median of %d starts each, the two books alternating, after one unmeasured start of each\n\n",
        nRounds);
    std::printf("%9s %10s %9s %9s %14s %10s %14s\n", "contacts", "start ms", "min ms", "max ms", "book bytes",
                "exit ms", "peak bytes");
    for (const CBookRuns* pRuns : {&small, &large}) {
        auto range = std::minmax_element(pRuns->shown.begin(), pRuns->shown.end());
        std::printf("%9d %10.0f %9.0f %9.0f %14zu %10.0f %14.0f\n", pRuns->nRows, Median(pRuns->shown),
                    *range.first, *range.second, pRuns->strDocument.size(), Median(pRuns->exits),
                    Median(pRuns->peaks));
    }
    double dDifference = Median(large.shown) - Median(small.shown);
    std::printf("\n%d contacts start %.0f ms later than %d (ratio %.2f); target at most %.0f ms: %s\n",
                large.nRows, dDifference, small.nRows, Median(large.shown) / Median(small.shown),
                kTargetDifferenceMs, dDifference <= kTargetDifferenceMs ? "met" : "MISSED");
    // The whole peak counts; beside it, what the book alone adds to the program's own memory.
    double dSize = static_cast<double>(large.strDocument.size());
    double dPerByte = Median(large.peaks) / dSize;
    std::printf("peak memory with %d contacts: %.2f bytes per byte of the book's file (the book alone %.2f); "
                "target at most %.0f: %s\n",
                large.nRows, dPerByte, (Median(large.peaks) - Median(small.peaks)) / dSize,
                kTargetBytesPerByte, dPerByte <= kTargetBytesPerByte ? "met" : "MISSED");
}

// Puts the program's address book aside for the run; false (having said why) when it cannot.
bool SwapBookAside(CBookSwap& swap, std::string* pBook) {
    std::string strError;
    std::string strFolder;
    if (!ResolveDataFolder(&strFolder, &strError) || !swap.Begin(strFolder + "\\tbk.xml", &strError)) {
        std::fprintf(stderr, "startup_timer: %s\n", strError.c_str());
        return false;
    }
    *pBook = strFolder + "\\tbk.xml";
    return true;
}

int Run(const std::string& strExe, int nRounds, bool bStrict) {
    std::string strError;
    std::string strBook;
    CBookSwap swap;
    if (!SwapBookAside(swap, &strBook)) {
        return 2;
    }
    CBookRuns small;
    small.nRows = kSmallBook;
    small.strDocument = MakeBookDocument(kSmallBook);
    CBookRuns large;
    large.nRows = kLargeBook;
    large.strDocument = MakeBookDocument(kLargeBook);

    CStartupTimer timer(strExe, strBook);
    // Round 0 warms Wine's caches and the program's settings up and is not counted; then
    // small-large, large-small, ... so that neither book always follows the other.
    for (int nRound = 0; nRound <= nRounds; ++nRound) {
        bool bSmallFirst = nRound % 2 == 0;
        for (CBookRuns* pRuns : {bSmallFirst ? &small : &large, bSmallFirst ? &large : &small}) {
            CStartTimes times;
            if (!timer.TimeOneStart(pRuns->strDocument, pRuns->nRows, &times, &strError)) {
                std::fprintf(stderr, "startup_timer: with %d contacts: %s\n", pRuns->nRows, strError.c_str());
                return 2;
            }
            if (nRound > 0) {
                pRuns->shown.push_back(times.dShownMs);
                pRuns->exits.push_back(times.dExitMs);
                pRuns->peaks.push_back(static_cast<double>(times.nPeakBytes));
            }
        }
    }
    PrintTable(small, large, nRounds);
    bool bMet = Median(large.shown) - Median(small.shown) <= kTargetDifferenceMs;
    return bStrict && !bMet ? 1 : 0;
}

int RunScaling(const std::string& strExe, int nRounds) {
    std::string strError;
    std::string strBook;
    CBookSwap swap;
    if (!SwapBookAside(swap, &strBook)) {
        return 2;
    }
    CScreenDpi screen;
    const std::string strDocument = MakeBookDocument(kLargeBook);
    CStartupTimer timer(strExe, strBook);
    std::vector<double> at96;
    std::vector<double> at192;
    for (int nRound = 0; nRound <= nRounds; ++nRound) {
        bool b96First = nRound % 2 == 0;
        for (DWORD nDpi : {b96First ? 96u : 192u, b96First ? 192u : 96u}) {
            CStartTimes times;
            if (!screen.Set(nDpi) || !timer.TimeOneStart(strDocument, kLargeBook, &times, &strError)) {
                std::fprintf(stderr, "startup_timer: at %u dpi: %s\n", static_cast<unsigned>(nDpi), strError.c_str());
                return 2;
            }
            if (nRound > 0) {
                (nDpi == 96 ? at96 : at192).push_back(times.dShownMs);
            }
        }
    }
    const double dRatio = Median(at192) / Median(at96);
    std::printf("Start-up of tbook.exe under Wine with %d contacts, to its visible window with the list filled,\n"
                "  median of %d starts at each scaling, alternating, after one unmeasured start of each\n\n",
                kLargeBook, nRounds);
    std::printf("%9s %10s\n%9d %10.0f\n%9d %10.0f\n", "dpi", "start ms", 96, Median(at96), 192, Median(at192));
    std::printf("\n192 dpi beside 96: ratio %.2f; target at most %.1f: %s\n", dRatio, kTargetScalingRatio,
                dRatio <= kTargetScalingRatio ? "met" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // A failure must end the run with a message, never wait on a system dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::string strExe;
    int nRounds = kDefaultRounds;
    bool bStrict = false;
    bool bScaling = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            nRounds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--strict") == 0) {
            bStrict = true;
        } else if (std::strcmp(argv[i], "--scaling") == 0) {
            bScaling = true;
        } else if (strExe.empty() && argv[i][0] != '-') {
            strExe = argv[i];
        } else {
            strExe.clear();
            break;
        }
    }
    if (strExe.empty()) {
        std::fprintf(stderr, "usage: startup_timer TBOOK_EXE [--rounds N] [--strict] [--scaling]\n");
        return 2;
    }
    return bScaling ? RunScaling(strExe, nRounds) : Run(strExe, nRounds, bStrict);
}
