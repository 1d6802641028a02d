// CFaultGuard: runs a call into foreign code (a library the program loads but does not own) so
// that a processor fault raised inside it (an access violation, a division by zero, ...) ends
// only that call, not the program. The caller is told that the call faulted and carries on with
// its own clean-up.
//
// Nothing between the guard and the fault is unwound: destructors of objects created inside the
// guarded call do not run. Keep only the foreign call itself inside, with its arguments and
// results prepared and kept outside.
//
// Faults are caught on the thread that runs the guard, and only while it runs; every other
// thread and every other kind of exception is left to the system. Guards may nest.
#pragma once

#include <windows.h>

#include <type_traits>

class CFaultGuard {
public:
    // Runs pfnCall(pArg). TRUE when it returned, FALSE when a fault ended it; the fault's code
    // (EXCEPTION_ACCESS_VIOLATION, ...) goes to *pdwFaultCode when given, 0 when none happened.
    static BOOL Run(void (*pfnCall)(void*), void* pArg, DWORD* pdwFaultCode = nullptr);

    // The same for a callable, usually a lambda that captures its inputs and outputs by reference.
    template <class TCall> static BOOL Call(TCall&& call, DWORD* pdwFaultCode = nullptr) {
        return Run(&Invoke<TCall>, &call, pdwFaultCode);
    }

private:
    template <class TCall> static void Invoke(void* pCall) {
        (*static_cast<std::remove_reference_t<TCall>*>(pCall))();
    }
};
