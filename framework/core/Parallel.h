// Long loops split into parts that run at once, each on a thread of its own, the first on the
// caller's. The parts must write nothing another part reads or writes.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

// Below these a part is not worth a thread of its own: contacts (or their rows or cards) and
// bytes of a file, each a few milliseconds of work.
const size_t kMinContactsPerPart = 2000;
const size_t kMinBytesPerPart = 1 << 19;

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

// Appends the texts of nItems items to strOut in their order, made in parts at once: fn(nFirst,
// nEnd, strPart) appends the text of the items [nFirst, nEnd) to strPart.
template <typename Fn> void AppendInParts(std::string& strOut, size_t nItems, size_t nMinPerPart, Fn fn) {
    const int nParts = WorkParts(nItems, nMinPerPart);
    std::vector<std::string> later(static_cast<size_t>(nParts - 1));
    RunParts(nParts, [&](int k) {
        fn(PartStart(nItems, k, nParts), PartStart(nItems, k + 1, nParts),
           k == 0 ? strOut : later[static_cast<size_t>(k - 1)]);
    });
    size_t nSize = strOut.size();
    for (const std::string& strPart : later) {
        nSize += strPart.size();
    }
    strOut.reserve(nSize);
    for (const std::string& strPart : later) {
        strOut += strPart;
    }
}
