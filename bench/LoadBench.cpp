// Loading: parse the file on disk, collect the contacts, sort them; beside pugixml doing the
// same work into the same records. Freeing the contacts of one round before the next is left out
// of both: a load frees no book, and at 100,000 contacts the allocator's merging of their freed
// blocks, a cost of the machine's memory and not of the loader, took about a fifth of the time.
#include "BenchData.h"
#include "Benchmarks.h"
#include "PugixmlLoader.h"

#include "data/AddressBookLoader.h"
#include "data/ContactSort.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <sys/stat.h>

namespace {

CLoadResult LoadOurs(const std::string& strPath, CContactArray& contacts) {
    CXML root;
    CLoadResult result = ReadAddressBook(strPath.c_str(), root, contacts, nullptr);
    SortContacts(contacts);
    return result;
}

void LoadReference(const std::string& strPath, CContactArray& contacts) {
    if (!LoadWithPugixml(strPath.c_str(), contacts)) {
        BenchFailure("pugixml cannot read " + strPath);
    }
    SortContacts(contacts);
}

// Both loaders must find every contact, exactly; otherwise the figures compare different work.
void CheckLoadersAgree(int nCount) {
    static std::set<int> checked;
    if (!checked.insert(nCount).second) {
        return;
    }
    const std::string& strPath = CachedBookFile(nCount);
    CContactArray ours;
    CLoadResult result = LoadOurs(strPath, ours);
    if (result.status != LoadStatus::complete || ours.GetSize() != nCount) {
        BenchFailure("our loader did not read " + strPath + " completely");
    }
    CContactArray reference;
    LoadReference(strPath, reference);
    std::string strDifference = FirstDifference(ours, reference);
    if (!strDifference.empty()) {
        BenchFailure("the loaders disagree on " + strPath + ": " + strDifference);
    }
    // The file holds no ids, so compare the texts with the generated list's, sorted alike.
    CContactArray expected(CachedContacts(nCount));
    SortContacts(expected);
    for (int i = 0; i < nCount; ++i) {
        expected[i].id = 0;
    }
    strDifference = FirstDifference(ours, expected);
    if (!strDifference.empty()) {
        BenchFailure("the loaded book differs from the saved one: " + strDifference);
    }
}

void SetLoadCounters(benchmark::State& state, const std::string& strPath) {
    struct stat info;
    if (::stat(strPath.c_str(), &info) == 0) {
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * info.st_size);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// Loads the book of the state's size over and over with one of the loaders.
template <typename Load> void LoadBench(benchmark::State& state, Load load) {
    const int nCount = static_cast<int>(state.range(0));
    CheckLoadersAgree(nCount);
    const std::string& strPath = CachedBookFile(nCount);
    for (auto _ : state) {
        auto pContacts = std::make_unique<CContactArray>();
        load(strPath, *pContacts);
        benchmark::DoNotOptimize(pContacts->GetData());
        state.PauseTiming();
        pContacts.reset();
        state.ResumeTiming();
    }
    SetLoadCounters(state, strPath);
}

} // namespace

void RegisterLoadBenchmarks() {
    for (int nCount : kBenchSizes) {
        benchmark::RegisterBenchmark("load/ours", [](benchmark::State& state) { LoadBench(state, LoadOurs); })
            ->Arg(nCount)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("load/pugixml",
                                     [](benchmark::State& state) { LoadBench(state, LoadReference); })
            ->Arg(nCount)
            ->Unit(benchmark::kMillisecond);
    }
}
