// Tidying a note that earlier imports filled: before contacts held further values, an import
// wrote what had no field into the note as "Label: value" lines after the note of its own
// ("Middle name: Q.", "Birthday: 19800101", "Phone (video): 0322"). These lines, as this
// program wrote them, are lifted back into values; every other line stays as it is.
#pragma once

#include "data/Contact.h"

#include <string>
#include <vector>

// A line lifted out of a note, and the values it became (a line of categories is several groups).
struct CLiftedLine {
    std::string strLine; // as the user reads it
    std::vector<CContactValue> values;
};

// Lifts the run of such lines that ends the note into values of the contact: from the last line
// back, as long as each is one this program wrote and its value reads as its kind (a birthday
// a date); the first that is not ends the run, and it and all before it stay. A lifted value
// whose field is empty fills it. Returns the lines lifted, in the note's order; none leaves the
// contact as it was.
std::vector<CLiftedLine> TidyNote(CContact& contact);
