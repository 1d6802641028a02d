#include "AppContext.h"

#include "framework/core/String.h"
#include "framework/core/WideText.h"

#include <iterator>
#include <string>

namespace {

HINSTANCE g_hInstance = nullptr;
CString g_strAppName;
HWND (*g_pfnMainWindow)() = nullptr;
int g_nModalDepth = 0;

} // namespace

void AfxSetInstanceHandle(HINSTANCE hInstance) { g_hInstance = hInstance; }
HINSTANCE AfxGetInstanceHandle() { return g_hInstance ? g_hInstance : ::GetModuleHandleW(nullptr); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

void AfxSetAppName(const char* pszAppName) { g_strAppName = pszAppName ? pszAppName : ""; }
const char* AfxGetAppName() { return g_strAppName; }

void AfxSetMainWindowSource(HWND (*pfnMainWindow)()) { g_pfnMainWindow = pfnMainWindow; }
HWND AfxGetMainWindow() { return g_pfnMainWindow ? g_pfnMainWindow() : nullptr; }

HWND AfxGetModalOwner() {
    HWND hMain = AfxGetMainWindow();
    return hMain ? ::GetLastActivePopup(hMain) : nullptr;
}

int AfxGetModalDepth() { return g_nModalDepth; }
CModalScope::CModalScope() { ++g_nModalDepth; }
CModalScope::~CModalScope() { --g_nModalDepth; }

int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType) {
    std::wstring caption = ToWide(pszCaption);
    CModalScope modal;
    return ::MessageBoxW(hOwner, ToWide(pszText).c_str(), pszCaption ? caption.c_str() : nullptr, nType);
}

int AfxMessageBox(const char* pszText, UINT nType) {
    const char* pszCaption = *AfxGetAppName() ? AfxGetAppName() : nullptr;
    return AfxShowMessageBox(AfxGetModalOwner(), pszText, pszCaption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType) {
    wchar_t szText[1024] = L"";
    ::LoadStringW(AfxGetResourceHandle(), nIDPrompt, szText, static_cast<int>(std::size(szText)));
    return AfxMessageBox(FromWide(szText), nType);
}
