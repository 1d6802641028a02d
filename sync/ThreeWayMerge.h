// A contact changed on both sides since the last synchronisation, made into one against the
// version both sides last agreed on: a field changed on one side takes that change; a field
// changed on both sides to different values keeps the local value, and the server's becomes a
// further value of the field's kind, so no value is lost. Notes changed on both
// sides are joined. Further values merge one by one: a value added on either side is kept (a
// number added on each side keeps both), one removed on either side goes, and a value changed
// on a side is that side's removal of the old one and addition of the new.
#pragma once

#include "data/Contact.h"

// Whether the two contacts hold the same: equal sixteen fields, and the same further values in
// any order (a photo by its picture).
bool HaveSameContent(const CContact& a, const CContact& b);

struct CThreeWayResult {
    CContact merged;
    int nConflicts = 0; // fields changed on both sides to different values
};

CThreeWayResult MergeThreeWay(const CContact& base, const CContact& local, const CContact& server);
