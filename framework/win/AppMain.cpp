// The program's entry point: sets up the one application object and runs it.
#include "WinApp.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) {
        return -1;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    char szModule[MAX_PATH * 2] = "";
    ::GetModuleFileNameA(hInstance, szModule, sizeof szModule);
    pApp->SetUp(hInstance, szModule, lpCmdLine);
    return pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
}
