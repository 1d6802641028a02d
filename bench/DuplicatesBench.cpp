// Finding duplicates in 100,000 contacts, one in twenty of them there twice (the name turned
// round, the number written nationally), beside tbkutil resave of the same book (load, sort,
// save); both in wall time.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSort.h"
#include "data/DuplicateFinder.h"

#include <benchmark/benchmark.h>

namespace {

const int kDuplicatesSize = 100000;

CContactArray WithDuplicates() {
    CContactArray contacts = CachedContacts(kDuplicatesSize);
    for (int i = 0; i < kDuplicatesSize; i += 20) {
        CContact twin = contacts[i];
        std::swap(twin.firstname, twin.lastname);
        twin.mobile = ("0" + std::to_string(301000000 + i)).c_str();
        contacts[i].mobile = ("+49 " + std::to_string(301000000 + i)).c_str();
        contacts.Add(twin);
    }
    return contacts;
}

void FindBench(benchmark::State& state) {
    CContactArray contacts = WithDuplicates();
    size_t nGroups = 0;
    for (auto _ : state) {
        nGroups = FindDuplicates(contacts).size();
        benchmark::DoNotOptimize(nGroups);
    }
    if (nGroups < static_cast<size_t>(kDuplicatesSize / 20)) {
        BenchFailure("duplicates not found");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * contacts.GetSize());
}

void ResaveBench(benchmark::State& state) {
    const std::string& strIn = CachedBookFile(kDuplicatesSize);
    std::string strOut = BenchFilePath("resaved-100000.xml");
    for (auto _ : state) {
        CXML root;
        CContactArray contacts;
        ReadAddressBook(strIn.c_str(), root, contacts, nullptr);
        SortContacts(contacts);
        if (!SaveAddressBook(contacts, strOut.c_str(), nullptr)) {
            BenchFailure("cannot save " + strOut);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kDuplicatesSize);
}

} // namespace

void RegisterDuplicatesBenchmarks() {
    for (auto [pszName, fn] :
         {std::make_pair("duplicates/find", &FindBench), std::make_pair("duplicates/resave", &ResaveBench)}) {
        benchmark::RegisterBenchmark(pszName, fn)
            ->Arg(kDuplicatesSize)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}
