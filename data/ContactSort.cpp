#include "ContactSort.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

int CompareContacts(const CContact& a, const CContact& b) {
    CString strLastA(a.lastname);
    CString strLastB(b.lastname);
    int nLast = strLastA.MakeLower().Compare(strLastB.MakeLower());
    if (nLast != 0) {
        return nLast > 0;
    }
    CString strFirstA(a.firstname);
    CString strFirstB(b.firstname);
    return strFirstA.MakeLower().Compare(strFirstB.MakeLower()) >= 0;
}

// The list has always been sorted by an exchange sort that swaps on CompareContacts. Its result
// equals a stable sort of the reversed list by the lower-cased (last name, first name) key: by
// key, and equal keys in the reverse of their places before the sort. That is a total order, so
// any way of sorting by it gives the same list; the tests hold the exchange sort as the reference.
bool SortContacts(CContactArray& contacts, std::vector<int>* pOrder) {
    const int n = contacts.GetSize();
    if (n < 2) {
        return false;
    }
    // All keys lower-cased once into one buffer: the last name, a zero byte, the first name, a
    // zero byte. Names compare as C strings, so a zero byte inside a name ends it here too.
    std::string keys;
    std::vector<size_t> lastAt(static_cast<size_t>(n));
    std::vector<size_t> firstAt(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const CContact& contact = contacts.ElementAt(i);
        lastAt[static_cast<size_t>(i)] = keys.size();
        AppendLowerUtf8(keys, contact.lastname.GetStdString());
        keys += '\0';
        firstAt[static_cast<size_t>(i)] = keys.size();
        AppendLowerUtf8(keys, contact.firstname.GetStdString());
        keys += '\0';
    }

    const char* pKeys = keys.data();
    auto compareKeys = [&](int a, int b) {
        int nLast = MbsCompare(pKeys + lastAt[static_cast<size_t>(a)], pKeys + lastAt[static_cast<size_t>(b)]);
        return nLast != 0 ? nLast
                          : MbsCompare(pKeys + firstAt[static_cast<size_t>(a)],
                                       pKeys + firstAt[static_cast<size_t>(b)]);
    };
    auto before = [&](int a, int b) {
        int nCompared = compareKeys(a, b);
        return nCompared != 0 ? nCompared < 0 : a > b;
    };
    std::vector<int> order(static_cast<size_t>(n));
    // The list is nearly always in order already, but for a few contacts (after a load, a refill,
    // an edit): it is then a few runs in key order, each put into the list's order in one pass
    // (its blocks of equal keys reversed) and merged, instead of n log n comparisons.
    const size_t kMostRuns = 64;
    std::vector<size_t> runStarts;
    for (int i = 0; i < n && runStarts.size() <= kMostRuns;) {
        runStarts.push_back(static_cast<size_t>(i));
        int nEnd = i + 1;
        while (nEnd < n && compareKeys(nEnd - 1, nEnd) <= 0) {
            ++nEnd;
        }
        for (int k = i; k < nEnd;) {
            int m = k + 1;
            while (m < nEnd && compareKeys(k, m) == 0) {
                ++m;
            }
            for (int p = k; p < m; ++p) {
                order[static_cast<size_t>(p)] = m - 1 - (p - k);
            }
            k = m;
        }
        i = nEnd;
    }
    if (runStarts.size() > kMostRuns) {
        // The first eight bytes of the last name, as one number that orders as they do, decide
        // most comparisons without reaching into the keys: a large book's keys fill the caches.
        // Where a last name ends within them (a zero byte, which no name holds), contacts of that
        // name go on to the first eight bytes of the first name the same way: many share one.
        auto prefixOf = [pKeys](size_t nAt) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(pKeys + nAt);
            uint64_t nPrefix = 0;
            bool bEnded = false;
            for (int k = 0; k < 8; ++k) {
                bEnded = bEnded || p[k] == 0;
                nPrefix = nPrefix << 8 | (bEnded ? 0u : p[k]);
            }
            return nPrefix;
        };
        struct CSortKey {
            uint64_t nLast;
            uint64_t nFirst; // 0 where the last name goes on past its eight bytes
            int nContact;
        };
        std::vector<CSortKey> sortKeys(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const uint64_t nLast = prefixOf(lastAt[static_cast<size_t>(i)]);
            const uint64_t nFirst = (nLast & 0xFF) == 0 ? prefixOf(firstAt[static_cast<size_t>(i)]) : 0;
            sortKeys[static_cast<size_t>(i)] = {nLast, nFirst, i};
        }
        std::sort(sortKeys.begin(), sortKeys.end(), [&](const CSortKey& a, const CSortKey& b) {
            if (a.nLast != b.nLast) {
                return a.nLast < b.nLast;
            }
            if (a.nFirst != b.nFirst) {
                return a.nFirst < b.nFirst;
            }
            // Both names end within their eight bytes: the keys are alike, and only the places
            // are left to order by.
            const bool bWhole = (a.nLast & 0xFF) == 0 && (a.nFirst & 0xFF) == 0;
            return bWhole ? a.nContact > b.nContact : before(a.nContact, b.nContact);
        });
        for (int i = 0; i < n; ++i) {
            order[static_cast<size_t>(i)] = sortKeys[static_cast<size_t>(i)].nContact;
        }
    } else {
        runStarts.push_back(static_cast<size_t>(n));
        while (runStarts.size() > 2) {
            std::vector<size_t> merged;
            const size_t nRuns = runStarts.size() - 1;
            for (size_t r = 0; r < nRuns; r += 2) {
                merged.push_back(runStarts[r]);
                if (r + 1 < nRuns) {
                    std::inplace_merge(order.begin() + static_cast<std::ptrdiff_t>(runStarts[r]),
                                       order.begin() + static_cast<std::ptrdiff_t>(runStarts[r + 1]),
                                       order.begin() + static_cast<std::ptrdiff_t>(runStarts[r + 2]), before);
                }
            }
            merged.push_back(static_cast<size_t>(n));
            runStarts.swap(merged);
        }
    }

    for (int i = 0; i < n; ++i) {
        if (order[static_cast<size_t>(i)] != i) {
            if (pOrder) {
                *pOrder = order;
            }
            contacts.MoveIntoOrder(0, order);
            return true;
        }
    }
    return false;
}
