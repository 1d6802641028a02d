// libFuzzer target for a server's card as the sync reads and writes it. Besides surviving any
// card, the sync relies on three things: a card it did not change goes back byte for byte; a
// card it patched is whole and reads back with the fields and every value it was patched with
// (else a value would be lost); and what it tells about a card (whole, a value cut short, its
// UID) never fails on odd text.
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

    // An edit as a user makes one: a field changed, one emptied, a note of two lines, a value
    // added and one removed (not the parts of an address field, which the editor shows as the
    // field).
    CContact edited = contact;
    edited.mobile = "+49 171 5550100";
    edited.homeemail = "";
    edited.company = contact.company.IsEmpty() ? "Fuzz & Sons" : "";
    edited.note = "first\\r\\nsecond; with, marks";
    edited.values.push_back({EValueKind::phone, "pager", "On call; &quote;night&quote;", "+49 171 5550199"});
    for (size_t i = 0; i < contact.values.size(); ++i) {
        if (static_cast<int>(i) != FieldAddressParts(contact, CContact::fieldHomeAddress) &&
            static_cast<int>(i) != FieldAddressParts(contact, CContact::fieldOfficeAddress)) {
            edited.values.erase(edited.values.begin() + static_cast<long>(i));
            break;
        }
    }
    const std::string strPatched = PatchCard(strCard, edited);
    Check(IsWholeCard(strPatched));
    // As a card holds it: the emptied field takes the next value of its kind. Every field reads
    // back, and every value, as a value or in the field of its kind; a removed value written
    // twice in an odd card may come back, which loses nothing.
    CContact expected = edited;
    DropOutdatedAddressParts(contact, expected);
    MoveValuesToEmptyFields(expected);
    Check(CardMisses(strPatched, expected) == 0);
    return 0;
}
