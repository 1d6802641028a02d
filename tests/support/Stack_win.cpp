#include "TestFiles.h"

#include <windows.h>

namespace {

struct Call {
    void (*fn)(void*);
    void* pContext;
};

DWORD WINAPI Trampoline(LPVOID p) {
    Call* pCall = static_cast<Call*>(p);
    pCall->fn(pCall->pContext);
    return 0;
}

} // namespace

bool RunWithStack(size_t nBytes, void (*fn)(void*), void* pContext) {
    Call call{fn, pContext};
    HANDLE hThread = CreateThread(nullptr, nBytes, Trampoline, &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!hThread) {
        return false;
    }
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    return true;
}
