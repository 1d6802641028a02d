#include "ContactSort.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
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

namespace {

// Every contact's key lower-cased once into one buffer: the last name, a zero byte, the first
// name, a zero byte. Names compare as C strings, so a zero byte inside a name ends it here too.
class CSortKeys {
public:
    explicit CSortKeys(const CContactArray& contacts)
        : m_lastAt(static_cast<size_t>(contacts.GetSize())), m_firstAt(static_cast<size_t>(contacts.GetSize())) {
        for (int i = 0; i < contacts.GetSize(); ++i) {
            const CContact& contact = contacts[i];
            m_lastAt[static_cast<size_t>(i)] = m_keys.size();
            AppendLowerUtf8(m_keys, contact.lastname.GetStdString());
            m_keys += '\0';
            m_firstAt[static_cast<size_t>(i)] = m_keys.size();
            AppendLowerUtf8(m_keys, contact.firstname.GetStdString());
            m_keys += '\0';
        }
    }

    int Compare(int a, int b) const {
        int nLast = MbsCompare(Last(a), Last(b));
        return nLast != 0 ? nLast : MbsCompare(First(a), First(b));
    }
    // The sorted order: by key, equal keys in the reverse of their places.
    bool Before(int a, int b) const {
        int nCompared = Compare(a, b);
        return nCompared != 0 ? nCompared < 0 : a > b;
    }
    const char* Last(int i) const { return m_keys.data() + m_lastAt[static_cast<size_t>(i)]; }
    const char* First(int i) const { return m_keys.data() + m_firstAt[static_cast<size_t>(i)]; }

private:
    std::string m_keys;
    std::vector<size_t> m_lastAt;
    std::vector<size_t> m_firstAt;
};

// Splits the list into runs in key order, each put into the sorted order in order (its blocks of
// equal keys reversed), and returns where the runs start; stops once there are more than nMost.
std::vector<size_t> PlaceRuns(const CSortKeys& keys, size_t nMost, std::vector<int>& order) {
    const int n = static_cast<int>(order.size());
    std::vector<size_t> runStarts;
    for (int i = 0; i < n && runStarts.size() <= nMost;) {
        runStarts.push_back(static_cast<size_t>(i));
        int nEnd = i + 1;
        while (nEnd < n && keys.Compare(nEnd - 1, nEnd) <= 0) {
            ++nEnd;
        }
        for (int k = i; k < nEnd;) {
            int m = k + 1;
            while (m < nEnd && keys.Compare(k, m) == 0) {
                ++m;
            }
            for (int p = k; p < m; ++p) {
                order[static_cast<size_t>(p)] = m - 1 - (p - k);
            }
            k = m;
        }
        i = nEnd;
    }
    return runStarts;
}

// Merges the placed runs pairwise until one is left.
void MergeRuns(const CSortKeys& keys, std::vector<size_t> runStarts, std::vector<int>& order) {
    auto before = [&keys](int a, int b) { return keys.Before(a, b); };
    runStarts.push_back(order.size());
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
        merged.push_back(order.size());
        runStarts.swap(merged);
    }
}

// The first eight bytes of a name, as one number that orders as they do; bytes after the name's
// end (a zero byte, which no name holds) count as zero.
uint64_t PrefixOf(const char* pszKey) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pszKey);
    uint64_t nPrefix = 0;
    bool bEnded = false;
    for (int k = 0; k < 8; ++k) {
        bEnded = bEnded || p[k] == 0;
        nPrefix = nPrefix << 8 | (bEnded ? 0u : p[k]);
    }
    return nPrefix;
}

// Sorts a list out of order everywhere. The prefixes decide most comparisons without reaching
// into the keys (a large book's keys fill the caches); where a last name ends within its eight
// bytes, contacts of that name go on to the first name's prefix the same way: many share one.
void SortByPrefixes(const CSortKeys& keys, std::vector<int>& order) {
    struct CPrefixKey {
        uint64_t nLast;
        uint64_t nFirst; // 0 where the last name goes on past its eight bytes
        int nContact;
    };
    const int n = static_cast<int>(order.size());
    std::vector<CPrefixKey> prefixes(order.size());
    for (int i = 0; i < n; ++i) {
        const uint64_t nLast = PrefixOf(keys.Last(i));
        const uint64_t nFirst = (nLast & 0xFF) == 0 ? PrefixOf(keys.First(i)) : 0;
        prefixes[static_cast<size_t>(i)] = {nLast, nFirst, i};
    }
    std::sort(prefixes.begin(), prefixes.end(), [&keys](const CPrefixKey& a, const CPrefixKey& b) {
        if (a.nLast != b.nLast) {
            return a.nLast < b.nLast;
        }
        if (a.nFirst != b.nFirst) {
            return a.nFirst < b.nFirst;
        }
        // Both names end within their eight bytes: the keys are alike, and only the places are
        // left to order by.
        const bool bWhole = (a.nLast & 0xFF) == 0 && (a.nFirst & 0xFF) == 0;
        return bWhole ? a.nContact > b.nContact : keys.Before(a.nContact, b.nContact);
    });
    for (int i = 0; i < n; ++i) {
        order[static_cast<size_t>(i)] = prefixes[static_cast<size_t>(i)].nContact;
    }
}

} // namespace

// The list has always been sorted by an exchange sort that swaps on CompareContacts. Its result
// equals a stable sort of the reversed list by the lower-cased (last name, first name) key: by
// key, and equal keys in the reverse of their places before the sort. That is a total order, so
// any way of sorting by it gives the same list; the tests hold the exchange sort as the reference.
bool SortContacts(CContactArray& contacts, std::vector<int>* pOrder) {
    const int n = contacts.GetSize();
    if (n < 2) {
        return false;
    }
    const CSortKeys keys(contacts);
    std::vector<int> order(static_cast<size_t>(n));
    // The list is nearly always in order already, but for a few contacts (after a load, a refill,
    // an edit): it is then a few runs in key order, merged instead of n log n comparisons.
    const size_t kMostRuns = 64;
    std::vector<size_t> runStarts = PlaceRuns(keys, kMostRuns, order);
    if (runStarts.size() > kMostRuns) {
        SortByPrefixes(keys, order);
    } else {
        MergeRuns(keys, std::move(runStarts), order);
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
