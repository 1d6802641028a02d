#include "ContactArray.h"

int CContactArray::FindMarkedContact() const {
    for (int i = 0; i < GetSize(); ++i) {
        if (ElementAt(i).marked != 0) {
            return i;
        }
    }
    return -1;
}
