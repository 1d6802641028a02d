#include "CommandLogic.h"

void ReindexRowContacts(std::vector<int>& rowContacts, int nRemovedIndex) {
    for (int& nContact : rowContacts) {
        if (nContact > nRemovedIndex) {
            --nContact;
        }
    }
}
