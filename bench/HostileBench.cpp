// Hostile input: the loader over 1, 2 and 4 MB of damaged documents of each kind. The time per
// megabyte must stay flat as the input grows; a path that is worse than linear shows at once.
#include "BenchData.h"
#include "Benchmarks.h"
#include "MemoryInputFile.h"

#include "data/AddressBookLoader.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>

namespace {

const HostileKind kHostileKinds[] = {
    HostileKind::longText,    HostileKind::manyAttributes, HostileKind::longName,
    HostileKind::deepNesting, HostileKind::strayEndTags,   HostileKind::unclosedQuote,
};
const int kMegabytes[] = {1, 2, 4};

const std::string& CachedHostileDocument(HostileKind kind, int nMegabytes) {
    static std::map<std::pair<HostileKind, int>, std::string> cache;
    std::string& doc = cache[{kind, nMegabytes}];
    if (doc.empty()) {
        doc = MakeHostileDocument(kind, static_cast<size_t>(nMegabytes) << 20);
    }
    return doc;
}

void HostileBench(benchmark::State& state, HostileKind kind) {
    const int nMegabytes = static_cast<int>(state.range(0));
    const std::string& doc = CachedHostileDocument(kind, nMegabytes);
    // Long texts and names, and a tag full of attributes, end properly; the rest is cut off.
    const bool bWellFormed =
        kind == HostileKind::longText || kind == HostileKind::longName || kind == HostileKind::manyAttributes;
    int nContacts = 0;
    for (auto _ : state) {
        CMemoryInputFile file(doc);
        CXML root;
        CContactArray contacts;
        CLoadResult result = ReadAddressBook(file, root, contacts, nullptr);
        if ((result.status == LoadStatus::complete) != bWellFormed) {
            BenchFailure(std::string("unexpected load status for ") + HostileKindName(kind));
        }
        nContacts = contacts.GetSize();
        benchmark::DoNotOptimize(contacts.GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(doc.size()));
    // Seconds per megabyte: flat when the reader is linear.
    state.counters["s_per_MB"] =
        benchmark::Counter(static_cast<double>(doc.size()) / (1 << 20),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["contacts"] = nContacts;
}

} // namespace

void RegisterHostileBenchmarks() {
    for (HostileKind kind : kHostileKinds) {
        std::string strName = std::string("hostile/ours/") + HostileKindName(kind);
        for (int nMegabytes : kMegabytes) {
            benchmark::RegisterBenchmark(strName.c_str(), HostileBench, kind)
                ->Arg(nMegabytes)
                ->Unit(benchmark::kMillisecond);
        }
    }
}
