// Sorting: the program's sort beside a stable sort of an index over lower-cased keys. Every run
// sorts the same unsorted list: copies are made ahead, outside the timed region, in batches so
// that pausing the clock costs little next to the sorts of a batch.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/ContactSort.h"
#include "framework/core/Unicode.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

// The key is the lower-cased last name, a zero byte and the lower-cased first name, which
// orders as the last name and then the first name would. The list is taken in reverse so that
// names equal apart from case trade places, as the program's sort makes them.
void SortByIndex(CContactArray& contacts) {
    const int n = contacts.GetSize();
    std::vector<std::string> keys(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const CContact& contact = contacts[i];
        std::string& key = keys[static_cast<size_t>(i)];
        key = LowerUtf8(contact.lastname.GetStdString());
        key += '\0';
        key += LowerUtf8(contact.firstname.GetStdString());
    }
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        order[static_cast<size_t>(i)] = n - 1 - i;
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
    });
    CContactArray sorted;
    sorted.Reserve(n);
    for (int i : order) {
        sorted.Add(std::move(contacts[i]));
    }
    std::swap(contacts, sorted);
}

void CheckSortsAgree(int nCount) {
    static std::set<int> checked;
    if (!checked.insert(nCount).second) {
        return;
    }
    CContactArray ours(CachedContacts(nCount));
    CContactArray reference(CachedContacts(nCount));
    SortContacts(ours);
    SortByIndex(reference);
    std::string strDifference = FirstDifference(ours, reference);
    if (!strDifference.empty()) {
        BenchFailure("the sorts disagree on " + std::to_string(nCount) + " contacts: " + strDifference);
    }
}

// Runs sort over fresh copies of the unsorted list.
template <typename SortFunction> void RunSortBench(benchmark::State& state, SortFunction sort) {
    const int nCount = static_cast<int>(state.range(0));
    CheckSortsAgree(nCount);
    const CContactArray& input = CachedContacts(nCount);
    // About a hundred thousand contacts per batch.
    const size_t nBatch = static_cast<size_t>(std::max(1, std::min(64, 100000 / nCount)));
    std::vector<CContactArray> copies(nBatch);
    size_t nNext = nBatch;
    for (auto _ : state) {
        if (nNext == nBatch) {
            state.PauseTiming();
            for (CContactArray& copy : copies) {
                copy = input;
            }
            nNext = 0;
            state.ResumeTiming();
        }
        CContactArray& contacts = copies[nNext++];
        sort(contacts);
        benchmark::DoNotOptimize(contacts.GetData());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * nCount);
}

void SortOursBench(benchmark::State& state) {
    RunSortBench(state, [](CContactArray& contacts) { return SortContacts(contacts); });
}
void SortIndexBench(benchmark::State& state) {
    RunSortBench(state, SortByIndex);
}

} // namespace

void RegisterSortBenchmarks() {
    for (int nCount : kBenchSizes) {
        benchmark::RegisterBenchmark("sort/ours", SortOursBench)->Arg(nCount)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("sort/index", SortIndexBench)
            ->Arg(nCount)
            ->Unit(benchmark::kMillisecond);
    }
}
