// Searching: the main window's search index over every contact, beside (a) one lower-cased copy of all the
// fields scanned with memmem, and (b) the plain way: a lower-cased copy and Find per field.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/ContactSearchIndex.h"
#include "framework/core/Unicode.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace {

struct SearchCase {
    const char* pszName;
    const char* pszText;
};
const SearchCase kSearchCases[] = {
    {"common", kSearchCommon},
    {"rare", kSearchRare},
    {"absent", kSearchAbsent},
};

// As the main window searches: through the index it keeps of the current list.
const CContactSearchIndex& CachedIndex(int nCount) {
    static std::map<int, std::unique_ptr<CContactSearchIndex>> cache;
    std::unique_ptr<CContactSearchIndex>& p = cache[nCount];
    if (!p) {
        p = std::make_unique<CContactSearchIndex>();
        p->Build(CachedContacts(nCount));
    }
    return *p;
}

void SearchOurs(const CContactSearchIndex& index, const CString& strSearch, std::vector<int>& hits) {
    CDWordArray found;
    index.Find(strSearch, found);
    for (int i = 0; i < found.GetSize(); ++i) {
        hits.push_back(static_cast<int>(found[i]));
    }
}

void SearchPlain(const CContactArray& contacts, const CString& strSearch, std::vector<int>& hits) {
    CString strNeedle(strSearch);
    strNeedle.MakeLower();
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            CString strField(contacts[i].DisplayText(f));
            if (strField.MakeLower().Find(strNeedle) >= 0) {
                hits.push_back(i);
                break;
            }
        }
    }
}

// Every field of every contact lower-cased into one buffer, each field followed by a zero byte,
// so that no hit spans two fields; made once, as a search index would be.
struct FlatText {
    std::string text;
    std::vector<size_t> contactAt; // where each contact's fields start, and the end
};

const FlatText& CachedFlatText(int nCount) {
    static std::map<int, std::unique_ptr<FlatText>> cache;
    std::unique_ptr<FlatText>& p = cache[nCount];
    if (!p) {
        p = std::make_unique<FlatText>();
        const CContactArray& contacts = CachedContacts(nCount);
        for (int i = 0; i < contacts.GetSize(); ++i) {
            p->contactAt.push_back(p->text.size());
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                p->text += LowerUtf8(contacts[i].DisplayText(f).GetStdString());
                p->text += '\0';
            }
        }
        p->contactAt.push_back(p->text.size());
    }
    return *p;
}

void SearchFlat(const FlatText& flat, const CString& strSearch, std::vector<int>& hits) {
    CString strNeedle(strSearch);
    strNeedle.MakeLower();
    const char* pBegin = flat.text.data();
    const char* pEnd = pBegin + flat.text.size();
    const char* p = pBegin;
    while (p < pEnd) {
        const char* pHit =
            static_cast<const char*>(::memmem(p, static_cast<size_t>(pEnd - p), strNeedle.GetString(),
                                              static_cast<size_t>(strNeedle.GetLength())));
        if (!pHit) {
            break;
        }
        auto next = std::upper_bound(flat.contactAt.begin(), flat.contactAt.end(),
                                     static_cast<size_t>(pHit - pBegin));
        hits.push_back(static_cast<int>(next - flat.contactAt.begin()) - 1);
        // One hit per contact: go on at the next contact.
        p = pBegin + *next;
    }
}

void CheckSearchesAgree(int nCount, const SearchCase& searchCase) {
    static std::set<std::pair<int, std::string>> checked;
    if (!checked.insert({nCount, searchCase.pszName}).second) {
        return;
    }
    const CContactArray& contacts = CachedContacts(nCount);
    std::vector<int> ours, plain, flat;
    SearchOurs(CachedIndex(nCount), searchCase.pszText, ours);
    SearchPlain(contacts, searchCase.pszText, plain);
    SearchFlat(CachedFlatText(nCount), searchCase.pszText, flat);
    if (ours != plain || ours != flat) {
        BenchFailure("the searches for the " + std::string(searchCase.pszName) + " text disagree on " +
                     std::to_string(nCount) + " contacts: " + std::to_string(ours.size()) + ", " +
                     std::to_string(plain.size()) + " and " + std::to_string(flat.size()) + " hits");
    }
    bool bWantHits = std::strcmp(searchCase.pszName, "absent") != 0;
    if (ours.empty() == bWantHits) {
        BenchFailure("the " + std::string(searchCase.pszName) + " text has " + std::to_string(ours.size()) +
                     " hits in " + std::to_string(nCount) + " contacts");
    }
}

enum class SearchSide { ours, flat, plain };

void SearchBench(benchmark::State& state, SearchSide side, const SearchCase& searchCase) {
    const int nCount = static_cast<int>(state.range(0));
    CheckSearchesAgree(nCount, searchCase);
    const CContactArray& contacts = CachedContacts(nCount);
    const FlatText& flat = CachedFlatText(nCount);
    const CContactSearchIndex& index = CachedIndex(nCount);
    const CString strSearch(searchCase.pszText);
    std::vector<int> hits;
    hits.reserve(static_cast<size_t>(nCount));
    for (auto _ : state) {
        hits.clear();
        switch (side) {
        case SearchSide::ours:
            SearchOurs(index, strSearch, hits);
            break;
        case SearchSide::flat:
            SearchFlat(flat, strSearch, hits);
            break;
        case SearchSide::plain:
            SearchPlain(contacts, strSearch, hits);
            break;
        }
        benchmark::DoNotOptimize(hits.data());
    }
    state.counters["hits"] = static_cast<double>(hits.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * nCount);
}

} // namespace

void RegisterSearchBenchmarks() {
    const struct {
        const char* pszName;
        SearchSide side;
    } sides[] = {{"ours", SearchSide::ours}, {"memmem", SearchSide::flat}, {"plain", SearchSide::plain}};
    for (int nCount : kBenchSizes) {
        for (const SearchCase& searchCase : kSearchCases) {
            for (const auto& s : sides) {
                std::string strName = std::string("search/") + s.pszName + "/" + searchCase.pszName;
                benchmark::RegisterBenchmark(strName.c_str(), SearchBench, s.side, searchCase)
                    ->Arg(nCount)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
}
