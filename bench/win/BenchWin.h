// Small helpers shared by the benchmark programs that run under Wine: a stopwatch on the
// performance counter and the owners of the scratch places a run works in. Single-threaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The start of a benchmark with windows: no system error dialogs (a failure ends the run with
// a message), the common controls registered, and "--reps N" read from the command line into
// *pnRepetitions. False, with the usage printed, for any other argument.
bool StartWindowBench(const char* pszProgram, int argc, char** argv, int* pnRepetitions);

// The median of the samples (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> samples);

// Milliseconds since construction or the last Restart.
class CStopwatch {
public:
    CStopwatch() { Restart(); }
    void Restart() { ::QueryPerformanceCounter(&m_start); }
    double ElapsedMs() const;

private:
    LARGE_INTEGER m_start;
};

// A key under HKEY_CURRENT_USER that stands in for the whole of HKEY_CURRENT_USER in this
// process while the object lives, so that what the window reads and writes there stays out of
// the user's settings. The key and everything below it are deleted at the end.
class CScratchRegistry {
public:
    CScratchRegistry() = default;
    CScratchRegistry(const CScratchRegistry&) = delete;
    CScratchRegistry& operator=(const CScratchRegistry&) = delete;
    ~CScratchRegistry();

    // Creates the key and redirects HKEY_CURRENT_USER to it; false with the cause in *pError.
    bool Redirect(const char* pszProgram, std::string* pError);

private:
    HKEY m_hKey = nullptr;
    std::string m_strPath;
    std::string m_strParent;
};

// A fresh folder in the system's temporary folder, removed with the files named through it.
class CScratchFolder {
public:
    CScratchFolder() = default;
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    ~CScratchFolder();

    bool Create(const char* pszPrefix, std::string* pError);
    // A file in the folder; it is deleted with the folder.
    std::string File(const char* pszName);

private:
    std::string m_strFolder;
    std::vector<std::string> m_files;
};

// Writes the bytes to the file, replacing it; false with the cause in *pError.
bool WriteWholeFile(const std::string& strPath, const std::string& strBytes, std::string* pError);

// The system's text for an error code, on one line.
std::string DescribeError(DWORD dwError);
