// Driving the real tbook.exe from another process, as a user and the system would: starting
// it with options, finding its windows, reading its list, and waiting for it to end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CProgram {
public:
    CProgram() = default;
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;
    ~CProgram(); // ends a program still running

    // Starts tbook.exe, or another program beside this test program (or at a full path), with
    // the given command line text.
    bool Start(const std::string& strArguments = "", const char* pszProgram = "tbook.exe");
    // Waits for the program to end; its exit code, or -1 when it did not end in time.
    int WaitForExit(DWORD dwTimeoutMs = 10000);
    bool IsRunning() const;
    DWORD ProcessId() const { return m_info.dwProcessId; }

    // The main window (visible or not) once it exists, else null.
    HWND FindMainWindow() const;
    // A message box of the program's that is open, else null.
    HWND FindMessageBox() const;
    // The contact editor or the About box while it is shown, else null.
    HWND FindEditor() const;
    HWND FindAbout() const;
    // The duplicates window while it is shown, else null.
    HWND FindDuplicates() const;
    // A popup menu of the program's that is shown, else null.
    HWND FindPopupMenu() const;
    std::string ListText(int nRow, int nColumn) const;
    // Clicks a row of the list as the mouse would: the list takes the focus and selects it.
    bool ClickListRow(int nRow) const;
    int ListRowCount() const;

private:
    HWND FindDialog(const char* pszCaption) const;

    PROCESS_INFORMATION m_info = {};
};

// Runs the program (tbook.exe, or another as CProgram::Start takes it) to its end and returns
// its exit code.
int RunProgram(const std::string& strArguments, DWORD dwTimeoutMs = 10000, const char* pszProgram = "tbook.exe");

// Polls until the condition holds; false when it did not within the time.
bool WaitUntil(const std::function<bool()>& condition, DWORD dwTimeoutMs = 10000);

std::string DataFolder();
// Makes the data folder and the one above it, as the program does.
void MakeDataFolder();
std::string BookPath();
std::string ReadFileText(const std::string& strPath);
void WriteFileText(const std::string& strPath, const std::string& text);
bool PathExists(const std::string& strPath);
// Removes the address book, its backups and the program's settings.
void ResetProgramState();
// The main window's caption text of a window.
std::string WindowText(HWND hWnd);
