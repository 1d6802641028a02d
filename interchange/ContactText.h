// Contacts as text a person reads (on the clipboard, pasted into a mail): the name on the first
// line, then each filled field under its label, a blank line between contacts.
#pragma once

#include "data/ContactArray.h"

#include <string>

std::string ContactsAsText(const CContactArray& contacts);
