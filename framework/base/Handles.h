// Owners of the system handles the program holds: each closes its handle exactly once, in its
// destructor or in Close, and cannot be copied. Attach takes over a handle (closing the one held
// before), Detach hands the handle over to the caller, Get and the conversion only lend it.
//
//   CRegKey key = registry.OpenKey(...);   // closed when key goes out of scope
//   HMENU hPopup = menu.Detach();          // the caller owns it now
#pragma once

#include <windows.h>

#include <utility>

// hEmpty is the value that holds nothing (INVALID_SOCKET for a socket).
template <typename THandle, BOOL(WINAPI* pfnClose)(THandle), THandle hEmpty = THandle()>
class CHandleOwner {
public:
    CHandleOwner() = default;
    explicit CHandleOwner(THandle hHandle) : m_hHandle(hHandle) {}
    ~CHandleOwner() { Close(); }
    CHandleOwner(const CHandleOwner&) = delete;
    CHandleOwner& operator=(const CHandleOwner&) = delete;
    CHandleOwner(CHandleOwner&& other) noexcept : m_hHandle(other.Detach()) {}
    CHandleOwner& operator=(CHandleOwner&& other) noexcept {
        if (this != &other) {
            Attach(other.Detach());
        }
        return *this;
    }

    void Attach(THandle hHandle) {
        Close();
        m_hHandle = hHandle;
    }
    THandle Detach() { return std::exchange(m_hHandle, hEmpty); }
    void Close() {
        if (m_hHandle != hEmpty) {
            pfnClose(std::exchange(m_hHandle, hEmpty));
        }
    }
    THandle Get() const { return m_hHandle; }
    operator THandle() const { return m_hHandle; }
    explicit operator bool() const { return m_hHandle != hEmpty; }

private:
    THandle m_hHandle = hEmpty;
};

namespace HandlesDetail {

// The system's functions are imported from DLLs, so their addresses are no constants a template
// can take; these forward to them.
inline BOOL WINAPI CloseKernelHandle(HANDLE hHandle) { return ::CloseHandle(hHandle); }
inline BOOL WINAPI CloseKey(HKEY hKey) { return ::RegCloseKey(hKey) == ERROR_SUCCESS; }
inline BOOL WINAPI FreeLibraryHandle(HMODULE hModule) { return ::FreeLibrary(hModule); }
inline BOOL WINAPI DestroyMenuHandle(HMENU hMenu) { return ::DestroyMenu(hMenu); }
inline BOOL WINAPI DestroyIconHandle(HICON hIcon) { return ::DestroyIcon(hIcon); }
inline BOOL WINAPI DestroyWindowHandle(HWND hWnd) { return ::DestroyWindow(hWnd); }

} // namespace HandlesDetail

// A kernel object: event, thread, file mapping. Null means none (not INVALID_HANDLE_VALUE).
using CKernelHandle = CHandleOwner<HANDLE, &HandlesDetail::CloseKernelHandle>;
// An open registry key.
using CRegKey = CHandleOwner<HKEY, &HandlesDetail::CloseKey>;
// A loaded library, freed when the owner ends.
using CLibrary = CHandleOwner<HMODULE, &HandlesDetail::FreeLibraryHandle>;
// A menu or popup menu that no window owns.
using CMenu = CHandleOwner<HMENU, &HandlesDetail::DestroyMenuHandle>;
// An icon loaded or created for one use (not a shared resource icon, which is never destroyed).
using CIcon = CHandleOwner<HICON, &HandlesDetail::DestroyIconHandle>;
// A window that no wrapper owns, destroyed with its owner.
using CWindowHandle = CHandleOwner<HWND, &HandlesDetail::DestroyWindowHandle>;
