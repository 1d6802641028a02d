// The server's vCard of a synchronised contact, kept whole in the sync state beside the contact.
// A card is read into the sixteen fields and the further values the way an import reads it; a
// local edit is written back by changing only the property lines behind the values that changed,
// so that photos, parameters and other clients' X- properties reach the server again untouched.
// Plain functions of their inputs; MakeCardUid alone asks the system for randomness.
#pragma once

#include "data/Contact.h"
#include "interchange/VCardEscape.h"
#include "interchange/VCardProperty.h"
#include "interchange/VCardReader.h"

#include <string>
#include <vector>

// A card's own property lines, each with where it stands in the text. Lines of cards nested in
// it and anything that is no property stay where they are, untouched.
struct CCardLines {
    bool bFound = false;
    VCardVersion version = VCardVersion::v21; // as readers take a card until its VERSION line
    std::vector<CVCardLine> lines;
    std::vector<CVCardProperty> props; // lines[i] taken apart
    // Per line, whether it was read by the rules of 2.1, as lines before the VERSION line are.
    std::vector<bool> readAsV21;
    size_t nEndCard = std::string::npos; // where its END:VCARD starts
    const char* pszBreak = "\r\n";       // the line break the text uses, for lines written into it
};

CCardLines ReadCard(const std::string& strText);

// The contact a server's card holds, in stored form: the sixteen fields and the further values
// (a property with no place in the contact as its kept line, but the UID, which is the card's).
// The card's NOTE is the note. Text that holds no card gives an empty contact.
CContact ContactFromCard(const std::string& strCard);

// The card with the contact's values in the properties behind the sixteen fields and the further
// values, and every other property, parameter, group and line as it was: a field or value that
// is unchanged leaves its line byte for byte. A new value of an empty field adds a property; an
// emptied field removes its value (the line, or its component of N or ORG); a further value gone
// removes its line (and its label's), a new one adds a line; FN follows the name. REV, when the
// card has one, is brought up to date. Text that holds no card gives a new card, and so does a
// card too odd to be patched so that it reads back as the contact (under the card's UID).
std::string PatchCard(const std::string& strCard, const CContact& contact);

// How many of the contact's fields and values the card misses, read back: a field that differs,
// a value it holds neither as a value nor in the field of its kind (a UID aside); npos for text
// that is no whole card.
size_t CardMisses(const std::string& strCard, const CContact& contact);

// A card for a contact that has none yet: vCard 3.0, CR LF, folded at 75 octets, with UID, FN
// and N.
std::string NewCard(const CContact& contact, const std::string& strUid);

// A card this large is refused by name rather than read: an address book's card with a photo
// stays far below it, and the sync holds every card it reads in memory at once.
constexpr size_t kMaxCardBytes = size_t(5) * 1024 * 1024;

// Whether the text holds one whole card, from BEGIN:VCARD to its END:VCARD. A card cut off by a
// lost connection is not one, and must never be taken for what the server keeps.
bool IsWholeCard(const std::string& strCard);

// Whether a property of the card holds a data: URI cut to its media type ("PHOTO:data:image/jpeg"),
// as a server's lossy conversion between vCard versions leaves a photo. Such a card written back
// would lose that value on the server for good.
bool HasCutDataUri(const std::string& strCard);

// The card's UID value ("" when it has none).
std::string CardUid(const std::string& strCard);

// A new unique id for a card: a random UUID in lower case, from the system's random source.
std::string MakeCardUid();
