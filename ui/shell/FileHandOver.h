// Files handed from a later start of the program to the running one ("Open with", a drop on the
// program's icon). The running program publishes its main window's handle in a named mapping;
// a later start finds it there and sends the full file names in one WM_COPYDATA. The receiver
// only takes the names: what to do with them is asked of the user after the message returns.
#pragma once

#include "framework/core/String.h"
#include "framework/base/Handles.h"

#include <windows.h>

#include <vector>

// The running program's side: the beacon that names its main window while it lives.
class CWindowBeacon {
public:
    CWindowBeacon() = default;
    CWindowBeacon(const CWindowBeacon&) = delete;
    CWindowBeacon& operator=(const CWindowBeacon&) = delete;
    ~CWindowBeacon();

    // False when the mapping could not be made: later starts then cannot hand files over.
    bool Publish(HWND hWindow);

private:
    CKernelHandle m_hMapping;
    void* m_pView = nullptr;
};

// A later start's side: hands the files (full paths) to the running program's window, waiting
// up to dwWaitMs for a window that is still starting. False when no window took them.
bool HandFilesToRunningProgram(const std::vector<CString>& files, DWORD dwWaitMs);

// The file names of a hand-over; empty for any other WM_COPYDATA.
std::vector<CString> ReceiveHandedFiles(const COPYDATASTRUCT* pData);
