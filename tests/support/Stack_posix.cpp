#include "TestFiles.h"

#include <pthread.h>

namespace {

struct Call {
    void (*fn)(void*);
    void* pContext;
};

void* Trampoline(void* p) {
    Call* pCall = static_cast<Call*>(p);
    pCall->fn(pCall->pContext);
    return nullptr;
}

} // namespace

bool RunWithStack(size_t nBytes, void (*fn)(void*), void* pContext) {
    Call call{fn, pContext};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, nBytes);
    pthread_t thread;
    bool bStarted = pthread_create(&thread, &attr, Trampoline, &call) == 0;
    if (bStarted) {
        pthread_join(thread, nullptr);
    }
    pthread_attr_destroy(&attr);
    return bStarted;
}
