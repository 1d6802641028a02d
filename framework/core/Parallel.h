// Long loops split into parts that run at once, each on a thread of its own, the first on the
// caller's. The parts must write nothing another part reads or writes.
#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

// How many parts a loop over nItems items is worth: one per processor, but none smaller than
// nMinPerPart, below which starting a thread costs more than it saves.
int WorkParts(size_t nItems, size_t nMinPerPart);

// The items [first, last) of part nPart of nParts over nItems items, in their order.
inline size_t PartStart(size_t nItems, int nPart, int nParts) {
    return nItems * static_cast<size_t>(nPart) / static_cast<size_t>(nParts);
}

// Calls fn(k) for each part k of nParts at once and returns when every call has. An exception
// that leaves a part is thrown again here, that of the earliest part. When no thread can be
// started, the parts run one after another on the caller's.
template <typename Fn> void RunParts(int nParts, Fn fn) {
    std::vector<std::exception_ptr> errors(static_cast<size_t>(nParts > 0 ? nParts : 0));
    auto run = [&](int k) {
        try {
            fn(k);
        } catch (...) {
            errors[static_cast<size_t>(k)] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    int nStarted = 1;
    for (; nStarted < nParts; ++nStarted) {
        try {
            threads.emplace_back(run, nStarted);
        } catch (const std::system_error&) {
            break;
        }
    }
    for (int k = nStarted; k < nParts; ++k) {
        run(k);
    }
    if (nParts > 0) {
        run(0);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::exception_ptr& error : errors) {
        if (error) {
            std::rethrow_exception(error);
        }
    }
}
