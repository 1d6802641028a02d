// The program's entry point: sets up the one application object and runs it.
#include "WinApp.h"

#include <commctrl.h>

#include <string>

namespace {

// The longest path the system's wide-character paths allow.
const size_t kMaxModulePath = 32768;

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) {
        return -1;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // A path that fills the buffer was cut short: grow until it fits, as far as a path can go.
    std::string module(MAX_PATH, '\0');
    DWORD dwLength = 0;
    for (;;) {
        dwLength = ::GetModuleFileNameA(hInstance, &module[0], static_cast<DWORD>(module.size()));
        if (dwLength < module.size() || module.size() >= kMaxModulePath) {
            break;
        }
        module.resize(module.size() * 2);
    }
    if (dwLength == 0 || dwLength >= module.size()) {
        ::MessageBoxA(nullptr, "The program could not find out where it is stored.", nullptr, MB_OK | MB_ICONSTOP);
        return -1;
    }
    module.resize(dwLength);
    pApp->SetUp(hInstance, module.c_str(), lpCmdLine);
    return pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
}
