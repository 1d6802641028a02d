// Further values: loading, saving (the document only, without the disk) and searching a book of
// 100,000 contacts that each hold three further values (a number, an address, a birthday), beside
// the same book without them; and loading a book of 10,000 contacts that each have a photo, beside
// the same book without: the photos' files are not read until a photo is shown.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/ContactSearchIndex.h"
#include "data/ContactSort.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

const int kValuesSize = 100000;

const CContactArray& ContactsWithValues(int nCount) {
    static std::map<int, std::unique_ptr<CContactArray>> cache;
    std::unique_ptr<CContactArray>& p = cache[nCount];
    if (!p) {
        p = std::make_unique<CContactArray>(CachedContacts(nCount));
        for (int i = 0; i < nCount; ++i) {
            CContact& contact = p->ElementAt(i);
            CContactValue address{EValueKind::address, "other", "", ""};
            address.SetAddressPart(addressStreet, "12 Station Road");
            address.SetAddressPart(addressLocality, "Leeds");
            address.SetAddressPart(addressPostalCode, "LS1 " + CString(std::to_string(i % 90 + 10)));
            contact.values = {{EValueKind::phone, "mobile", "", CString(("+44 7700 9" + std::to_string(i)).c_str())},
                              address,
                              {EValueKind::date, "birthday", "", "--04-15"}};
        }
    }
    return *p;
}

// Loads and sorts the book, as the program's start does; each contact must hold nValues values.
void LoadFile(benchmark::State& state, const std::string& strPath, int nCount, size_t nValues) {
    for (auto _ : state) {
        auto pContacts = std::make_unique<CContactArray>();
        CXML root;
        CLoadResult result = ReadAddressBook(strPath.c_str(), root, *pContacts, nullptr);
        if (result.status != LoadStatus::complete || pContacts->GetSize() != nCount ||
            (*pContacts)[0].values.size() != nValues) {
            BenchFailure("the book did not load whole: " + strPath);
        }
        SortContacts(*pContacts);
        state.PauseTiming();
        pContacts.reset();
        state.ResumeTiming();
    }
}

const int kPhotoSize = 10000;

// Each contact names a photo file of its own, as the book's photo folder holds them.
const CContactArray& ContactsWithPhotos() {
    static std::unique_ptr<CContactArray> p;
    if (!p) {
        p = std::make_unique<CContactArray>(CachedContacts(kPhotoSize));
        for (int i = 0; i < kPhotoSize; ++i) {
            char szName[32];
            std::snprintf(szName, sizeof szName, "%016x.jpg", static_cast<unsigned>(i) * 2654435761u);
            p->ElementAt(i).values = {{EValueKind::photo, "", "", szName}};
        }
    }
    return *p;
}

void LoadPhotoBook(benchmark::State& state, bool bPhotos) {
    static std::map<bool, std::string> cache;
    std::string& strPath = cache[bPhotos];
    if (strPath.empty()) {
        strPath = bPhotos ? BenchFilePath("book-photos.xml") : CachedBookFile(kPhotoSize);
        CFileException error;
        if (bPhotos && !SaveAddressBook(ContactsWithPhotos(), strPath.c_str(), &error)) {
            BenchFailure("cannot write " + strPath);
        }
    }
    LoadFile(state, strPath, kPhotoSize, bPhotos ? 1 : 0);
}

// The file of a book, written once with the program's own save.
const std::string& BookFile(bool bValues) {
    static std::map<bool, std::string> cache;
    std::string& strPath = cache[bValues];
    if (strPath.empty()) {
        if (!bValues) {
            return strPath = CachedBookFile(kValuesSize);
        }
        strPath = BenchFilePath("book-values.xml");
        CFileException error;
        if (!SaveAddressBook(ContactsWithValues(kValuesSize), strPath.c_str(), &error)) {
            BenchFailure("cannot write " + strPath);
        }
    }
    return strPath;
}

const CContactArray& Contacts(bool bValues) {
    return bValues ? ContactsWithValues(kValuesSize) : CachedContacts(kValuesSize);
}

void LoadBook(benchmark::State& state, bool bValues) { LoadFile(state, BookFile(bValues), kValuesSize, bValues ? 3 : 0); }

void BuildDocument(benchmark::State& state, bool bValues) {
    for (auto _ : state) {
        CString doc = BuildAddressBookDocument(Contacts(bValues));
        benchmark::DoNotOptimize(doc.GetString());
    }
}

void Search(benchmark::State& state, bool bValues) {
    for (auto _ : state) {
        CContactSearchIndex index; // made again each time, as after every change
        index.Build(Contacts(bValues));
        CDWordArray hits;
        index.Find(kSearchRare, hits);
        benchmark::DoNotOptimize(hits.GetData());
    }
}

} // namespace

void RegisterValuesBenchmarks() {
    const struct {
        const char* pszName;
        void (*run)(benchmark::State&, bool);
    } kinds[] = {{"load", LoadBook}, {"save", BuildDocument}, {"search", Search}};
    for (const auto& kind : kinds) {
        for (bool bValues : {false, true}) {
            auto run = kind.run;
            benchmark::RegisterBenchmark(
                (std::string("values/") + kind.pszName + (bValues ? "/three/" : "/none/") + std::to_string(kValuesSize))
                    .c_str(),
                [run, bValues](benchmark::State& state) { run(state, bValues); })
                ->Unit(benchmark::kMillisecond);
        }
    }
    for (bool bPhotos : {false, true}) {
        benchmark::RegisterBenchmark(
            (std::string("values/load/") + (bPhotos ? "photo/" : "none/") + std::to_string(kPhotoSize)).c_str(),
            [bPhotos](benchmark::State& state) { LoadPhotoBook(state, bPhotos); })
            ->Unit(benchmark::kMillisecond);
    }
}
