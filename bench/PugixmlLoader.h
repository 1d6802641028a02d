// The reference loader of the load benchmark: a widely used fast XML reader builds its tree of
// the address book file in place, and the same contact records are taken from that tree.
#pragma once

#include "data/ContactArray.h"

// Reads the file and appends one contact per "entry" element at any depth, in the order the
// entries end, as the program's own loader does for any file that parses as XML. False when
// the file cannot be read.
bool LoadWithPugixml(const char* pszPath, CContactArray& contacts);
