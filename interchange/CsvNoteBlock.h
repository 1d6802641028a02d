// What a CSV set has no column for travels in a block of lines at the end of the note: the
// fields first (Outlook's columns have no nickname and no office web page: "Nickname: ...",
// "Office web page: ..."), then every further value on a line of its own, labelled by its kind,
// type and label ("Phone (pager) \"Boat\": 555 0100"). Reading the file back takes off exactly
// the block that was added and gives back the same fields and values.
#pragma once

#include "ContactBuilder.h"
#include "data/ContactValue.h"

#include <string>
#include <string_view>
#include <vector>

struct CNoteCarriedField {
    int nField;
    const char* pszLabel;
};
const std::vector<CNoteCarriedField>& NoteCarriedFields();

// Appends, with bFields, the lines of the carried fields that have a value, then a line for each
// value. To a note that ends like a block already it appends the whole block (the fields' empty
// lines too, or a line that starts the values), so that reading it back takes off only what was
// added.
void AppendCarriedBlock(std::string& strNote, const std::string* pFieldTexts, bool bFields,
                        const std::vector<CContactValue>& values);
// Takes the block off the end of the note: the fields' texts into pFieldTexts (with bFields),
// the values into values. False when the note ends in no block.
bool TakeCarriedBlock(std::string& strNote, std::string* pFieldTexts, bool bFields,
                      std::vector<CReadValue>& values);

// A value's line in the block, and the value a line gives (false for a line that is none).
std::string CarriedValueLine(const CContactValue& value);
bool ReadCarriedValueLine(std::string_view line, CReadValue& value);
