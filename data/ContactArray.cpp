#include "ContactArray.h"

namespace {

// Asks for a contact's bytes before they are needed; its texts move without their characters
// being read, so its own bytes are all a move reads.
void Prefetch(const CContact& contact) {
    const char* pBytes = reinterpret_cast<const char*>(&contact);
    for (size_t nOffset = 0; nOffset < sizeof(CContact); nOffset += 64) {
        __builtin_prefetch(pBytes + nOffset);
    }
}

} // namespace

int CContactArray::FindMarkedContact() const {
    for (int i = 0; i < GetSize(); ++i) {
        if (ElementAt(i).marked != 0) {
            return i;
        }
    }
    return -1;
}

void CContactArray::MoveIntoOrder(int nFirst, std::vector<int>& order) {
    // Following each cycle of the permutation moves every contact once; for a large book a
    // second list would be tens of megabytes of fresh memory.
    const int n = static_cast<int>(order.size());
    for (int nStart = 0; nStart < n; ++nStart) {
        if (order[static_cast<size_t>(nStart)] == nFirst + nStart) {
            continue; // in place already, or its cycle is done
        }
        CContact held(std::move(ElementAt(nFirst + nStart)));
        int k = nStart;
        for (;;) {
            int nFrom = order[static_cast<size_t>(k)];
            order[static_cast<size_t>(k)] = nFirst + k;
            if (nFrom == nFirst + nStart) {
                ElementAt(nFirst + k) = std::move(held);
                break;
            }
            // A cycle leaps through the whole list, and a large book lies far beyond the caches:
            // the contact moved next is asked for while this one moves.
            const int nNext = order[static_cast<size_t>(nFrom - nFirst)];
            if (nNext != nFirst + nStart) {
                Prefetch(ElementAt(nNext));
            }
            ElementAt(nFirst + k) = std::move(ElementAt(nFrom));
            k = nFrom - nFirst;
        }
    }
}
