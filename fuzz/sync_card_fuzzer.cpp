// libFuzzer target for a server's card as the sync reads and writes it. Besides surviving any
// card, the sync relies on three things: a card it did not change goes back byte for byte; a
// card it patched is whole and reads back as the contact it was patched with (else the change
// would be sent again at every sync, or a value lost); and what it tells about a card (whole,
// a value cut short, its UID) never fails on odd text.
#include "sync/SyncCard.h"
#include "sync/ThreeWayMerge.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    const std::string strCard(reinterpret_cast<const char*>(pData), nSize);
    const CContact contact = ContactFromCard(strCard);
    const bool bWhole = IsWholeCard(strCard);
    HasCutDataUri(strCard);
    CardUid(strCard);
    if (!bWhole) {
        return 0;
    }
    Check(PatchCard(strCard, contact) == strCard);

    // An edit as a user makes one: a field changed, one emptied, a note of two lines.
    CContact edited = contact;
    edited.mobile = "+49 171 5550100";
    edited.homeemail = "";
    edited.company = contact.company.IsEmpty() ? "Fuzz & Sons" : "";
    edited.note = "first\\r\\nsecond; with, marks";
    const std::string strPatched = PatchCard(strCard, edited);
    Check(IsWholeCard(strPatched));
    Check(HaveSameContent(ContactFromCard(strPatched), edited));
    return 0;
}
