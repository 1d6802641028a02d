// The program's entry point: sets up the one application object and runs it.
#include "WinApp.h"
#include "framework/core/WideText.h"

#include <commctrl.h>

#include <string>

namespace {

// The longest path the system's wide-character paths allow.
const size_t kMaxModulePath = 32768;

// What follows the program's own name on the command line, as the system reads it: the name
// ends at its closing quote, or at the first blank when it is not quoted.
std::wstring CommandLineArguments() {
    const wchar_t* p = ::GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p == L'"') {
            ++p;
        }
    } else {
        for (; *p && *p != L' ' && *p != L'\t'; ++p) {
        }
    }
    while (*p == L' ' || *p == L'\t') {
        ++p;
    }
    return p;
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) {
        return -1;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // A path that fills the buffer was cut short: grow until it fits, as far as a path can go.
    std::wstring module(MAX_PATH, L'\0');
    DWORD dwLength = 0;
    for (;;) {
        dwLength = ::GetModuleFileNameW(hInstance, &module[0], static_cast<DWORD>(module.size()));
        if (dwLength < module.size() || module.size() >= kMaxModulePath) {
            break;
        }
        module.resize(module.size() * 2);
    }
    if (dwLength == 0 || dwLength >= module.size()) {
        ::MessageBoxW(nullptr, L"The program could not find out where it is stored.", nullptr, MB_OK | MB_ICONSTOP);
        return -1;
    }
    // The command line in the program's own encoding, whatever the system's code page holds.
    pApp->SetUp(hInstance, FromWide(module.c_str(), static_cast<int>(dwLength)), FromWide(CommandLineArguments().c_str()));
    return pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
}
