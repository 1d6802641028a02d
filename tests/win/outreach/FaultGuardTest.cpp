// The fault guard with code that really faults, on the test's own thread.
#include "framework/base/FaultGuard.h"

#include <gtest/gtest.h>

namespace {

void WriteThroughNull(void*) {
    // Volatile all the way, or the compiler drops a store it can prove undefined.
    volatile int* volatile pNowhere = nullptr;
    *pNowhere = 1;
}

void DivideByZero(void* pResult) {
    volatile int nOne = 1;
    volatile int nZero = 0;
    *static_cast<int*>(pResult) = nOne / nZero;
}

void ExecuteInvalidInstruction(void*) {
    __builtin_trap();
}

struct CFaultCase {
    const char* pszName;
    void (*pfnCall)(void*);
    DWORD dwExpectedCode;
};

} // namespace

TEST(FaultGuardTest, FaultEndsOnlyTheGuardedCall) {
    const CFaultCase cases[] = {
        {"null write", &WriteThroughNull, EXCEPTION_ACCESS_VIOLATION},
        {"divide by zero", &DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
        {"invalid instruction", &ExecuteInvalidInstruction, EXCEPTION_ILLEGAL_INSTRUCTION},
    };
    for (const CFaultCase& fault : cases) {
        SCOPED_TRACE(fault.pszName);
        int nResult = 0;
        DWORD dwCode = 0;
        EXPECT_FALSE(CFaultGuard::Run(fault.pfnCall, &nResult, &dwCode));
        EXPECT_EQ(fault.dwExpectedCode, dwCode);
        // The thread goes on as before: another guarded call runs to its end.
        int nCalls = 0;
        EXPECT_TRUE(CFaultGuard::Call([&] { ++nCalls; }, &dwCode));
        EXPECT_EQ(1, nCalls);
        EXPECT_EQ(0u, dwCode);
    }
}

TEST(FaultGuardTest, InnerGuardTakesItsOwnFaultAndOuterGoesOn) {
    BOOL bInner = TRUE;
    bool bAfterInner = false;
    DWORD dwOuterCode = 0;
    BOOL bOuter = CFaultGuard::Call(
        [&] {
            int nResult = 0;
            bInner = CFaultGuard::Run(&DivideByZero, &nResult);
            bAfterInner = true;
            WriteThroughNull(nullptr);
        },
        &dwOuterCode);
    EXPECT_FALSE(bInner);
    EXPECT_TRUE(bAfterInner);
    EXPECT_FALSE(bOuter);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), dwOuterCode);
}

TEST(FaultGuardTest, CalleeSavedRegistersAndFloatingPointControlSurviveAFault) {
    // Values the compiler keeps in callee-saved registers across the call; a guard that did not
    // restore them would hand back the faulting code's leftovers.
    volatile double dSeed = 1.5;
    double d1 = dSeed * 2, d2 = dSeed * 3, d3 = dSeed * 5, d4 = dSeed * 7;
    volatile long long nSeed = 11;
    long long n1 = nSeed * 2, n2 = nSeed * 3, n3 = nSeed * 5, n4 = nSeed * 7, n5 = nSeed * 13;
    unsigned int nMxCsr = __builtin_ia32_stmxcsr();
    BOOL bReturned = CFaultGuard::Call([] {
        // Scribble over every callee-saved register and unmask a float exception, then fault.
        __builtin_ia32_ldmxcsr(__builtin_ia32_stmxcsr() & ~0x0200u);
        asm volatile("mov $-1, %%rbx\n\tmov $-1, %%rsi\n\tmov $-1, %%rdi\n\tmov $-1, %%r12\n\t"
                     "mov $-1, %%r13\n\tmov $-1, %%r14\n\tmov $-1, %%r15\n\t"
                     "pcmpeqd %%xmm6, %%xmm6\n\tpcmpeqd %%xmm7, %%xmm7\n\tpcmpeqd %%xmm8, %%xmm8\n\t"
                     "pcmpeqd %%xmm9, %%xmm9\n\tpcmpeqd %%xmm10, %%xmm10\n\tpcmpeqd %%xmm11, %%xmm11\n\t"
                     "pcmpeqd %%xmm12, %%xmm12\n\tpcmpeqd %%xmm13, %%xmm13\n\tpcmpeqd %%xmm14, %%xmm14\n\t"
                     "pcmpeqd %%xmm15, %%xmm15\n\t"
                     "xor %%eax, %%eax\n\tmovl $1, (%%rax)"
                     :
                     :
                     : "rax", "rbx", "rsi", "rdi", "r12", "r13", "r14", "r15", "xmm6", "xmm7", "xmm8", "xmm9",
                       "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15", "memory");
    });
    EXPECT_FALSE(bReturned);
    EXPECT_EQ(3.0, d1);
    EXPECT_EQ(4.5, d2);
    EXPECT_EQ(7.5, d3);
    EXPECT_EQ(10.5, d4);
    EXPECT_EQ(22, n1);
    EXPECT_EQ(33, n2);
    EXPECT_EQ(55, n3);
    EXPECT_EQ(77, n4);
    EXPECT_EQ(143, n5);
    EXPECT_EQ(nMxCsr, __builtin_ia32_stmxcsr());
}
