// Generated address books for the benchmarks that run under Wine. The contacts are in stored
// form and look like a real user's: about half of the sixteen fields filled, some letters of
// code page 1252, and many last and first names that are equal apart from case, which is what
// makes sorting them interesting. The same count and seed always give the same contacts.
#pragma once

#include "data/ContactArray.h"

#include <vector>

const unsigned kBenchContactSeed = 19620814;

// nCount contacts; each contact's id is its index.
CContactArray MakeBenchContacts(int nCount, unsigned nSeed = kBenchContactSeed);

// The median of the samples (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> samples);
