// Contacts on the clipboard: as text a person reads (for a mail or a document) and as vCard,
// under the format name other address books use for cards, so they can paste them. Pasting
// takes a card from that format, or from plain text that holds one.
#pragma once

#include "data/ContactArray.h"

#include <windows.h>

#include <string>

// False when the clipboard could not be had.
bool CopyContactsToClipboard(HWND hOwner, const CContactArray& contacts);
// The vCard text on the clipboard, as UTF-8; empty when it holds none.
std::string VCardTextOnClipboard(HWND hOwner);
