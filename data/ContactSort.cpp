#include "ContactSort.h"

#include "framework/core/CodePage.h"
#include "framework/core/Unicode.h"

#include <algorithm>
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
// equals a stable sort of the reversed list by the lower-cased (last name, first name) key,
// which is what this does; the tests hold the exchange sort as the reference.
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

    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        order[static_cast<size_t>(i)] = n - 1 - i;
    }
    const char* pKeys = keys.data();
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        int nLast = MbsCompare(pKeys + lastAt[static_cast<size_t>(a)], pKeys + lastAt[static_cast<size_t>(b)]);
        if (nLast != 0) {
            return nLast < 0;
        }
        return MbsCompare(pKeys + firstAt[static_cast<size_t>(a)], pKeys + firstAt[static_cast<size_t>(b)]) < 0;
    });

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
