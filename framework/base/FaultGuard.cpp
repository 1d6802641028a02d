#include "FaultGuard.h"

// How a fault is caught without __try/__except (which mingw-w64's g++ does not have):
//
// A vectored exception handler, which the system calls first for every exception of the
// process, takes processor faults of the guarded thread. It does not leave the system's
// exception dispatcher by jumping: it rewrites the faulting thread's context so that, when the
// dispatcher resumes the thread (EXCEPTION_CONTINUE_EXECUTION), the thread runs a tiny function
// on a spare stack inside the guard, which jumps back to the recovery point.
//
// The recovery point is taken with __builtin_setjmp, not setjmp: on x64 mingw-w64, setjmp
// passes the frame to the runtime and longjmp then unwinds the stack with the system's
// unwinder, which needs intact unwind data in every frame between (a faulted library may have
// none left) and calls the frame handlers on the way. __builtin_longjmp only restores the frame,
// stack and program pointers; the compiler makes the function that takes the recovery point
// save every callee-saved register (general and xmm6 to xmm15) in its prologue, so its epilogue
// hands them back to its caller intact.
//
// Stack overflows are not taken: the stack's guard page is gone after one, and going on would
// turn the next overflow into a silent end of the process. Vectored handlers run before the
// frame handlers of the faulting code, so a library that catches its own faults has them caught
// here first; the call then counts as faulted, which its callers survive.

#if !defined(__x86_64__)
#error The fault guard rewrites an x64 context.
#endif

namespace {

const DWORD kDirectionFlag = 0x400;

struct CGuardFrame {
    void* jumpBuffer[5];
    CGuardFrame* pOuter;
    DWORD dwFaultCode;
    DWORD dwMxCsr;
    // The recovery function runs here: the faulting code's stack pointer may be anything.
    alignas(16) unsigned char recoveryStack[512];
};

thread_local CGuardFrame* t_pActive = nullptr;

bool IsProcessorFault(DWORD dwCode) {
    switch (dwCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
        return true;
    default:
        return false;
    }
}

[[noreturn]] __attribute__((noinline)) void ResumeAtRecoveryPoint(CGuardFrame* pFrame) {
    __builtin_longjmp(pFrame->jumpBuffer, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pInfo) {
    CGuardFrame* pFrame = t_pActive;
    const EXCEPTION_RECORD* pRecord = pInfo->ExceptionRecord;
    if (!pFrame || pFrame->dwFaultCode != 0 || !IsProcessorFault(pRecord->ExceptionCode) ||
        (pRecord->ExceptionFlags & EXCEPTION_NONCONTINUABLE)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Set once: a fault on the way back is not taken again, so it cannot loop.
    pFrame->dwFaultCode = pRecord->ExceptionCode;

    CONTEXT* pContext = pInfo->ContextRecord;
    // Entered as if called: the stack 16-byte aligned before the (absent) return address.
    DWORD64 nStackEnd = reinterpret_cast<DWORD64>(pFrame->recoveryStack + sizeof pFrame->recoveryStack);
    pContext->Rsp = (nStackEnd & ~static_cast<DWORD64>(15)) - 8;
    pContext->Rip = reinterpret_cast<DWORD64>(&ResumeAtRecoveryPoint);
    pContext->Rcx = reinterpret_cast<DWORD64>(pFrame);
    // What the calling convention promises the caller: direction flag clear, its own
    // floating-point control (a library may have unmasked exceptions before it faulted).
    pContext->EFlags &= ~kDirectionFlag;
    pContext->MxCsr = pFrame->dwMxCsr;
    pContext->FltSave.MxCsr = pFrame->dwMxCsr;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Kept out of line so that the effects of the second return stay inside it.
__attribute__((noinline)) bool RunWithRecoveryPoint(CGuardFrame* pFrame, void (*pfnCall)(void*), void* pArg) {
    if (__builtin_setjmp(pFrame->jumpBuffer) != 0) {
        return false;
    }
    t_pActive = pFrame;
    pfnCall(pArg);
    return true;
}

} // namespace

BOOL CFaultGuard::Run(void (*pfnCall)(void*), void* pArg, DWORD* pdwFaultCode) {
    CGuardFrame frame;
    frame.pOuter = t_pActive;
    frame.dwFaultCode = 0;
    frame.dwMxCsr = __builtin_ia32_stmxcsr();
    // Installed only while a guard runs, first in line so that no other handler sees the fault.
    // Should the system refuse it, the call still runs, as it would without a guard.
    PVOID hHandler = ::AddVectoredExceptionHandler(1, &OnException);
    bool bReturned = RunWithRecoveryPoint(&frame, pfnCall, pArg);
    t_pActive = frame.pOuter;
    if (hHandler) {
        ::RemoveVectoredExceptionHandler(hHandler);
    }
    if (pdwFaultCode) {
        *pdwFaultCode = bReturned ? 0 : frame.dwFaultCode;
    }
    return bReturned ? TRUE : FALSE;
}
