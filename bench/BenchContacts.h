// Generated address books for every benchmark, native and under Wine. Deterministic from the
// seed, so two runs measure the same bytes.
#pragma once

#include "data/ContactArray.h"

// The seed of every generated address book.
const unsigned kBenchSeed = 20240917;

// Realistic contacts in stored form: about half the fields filled, multi-line addresses and
// notes, some Windows-1252 letters, many names that are equal apart from case. Each contact's
// id is its index, so an order can be checked after a sort.
CContactArray GenerateContacts(int nCount, unsigned nSeed);
