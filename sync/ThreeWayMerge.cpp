#include "ThreeWayMerge.h"

#include "data/ContactMerger.h"
#include "data/PhotoFolder.h"

#include <algorithm>
#include <vector>

namespace {

// Removes one value equal to value from values; false when it holds none.
bool RemoveOne(std::vector<CContactValue>& values, const CContactValue& value) {
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const CContactValue& other) { return IsSameValue(other, value); });
    if (found == values.end()) {
        return false;
    }
    values.erase(found);
    return true;
}

// How many of the values equal value.
size_t CountOf(const std::vector<CContactValue>& values, const CContactValue& value) {
    return static_cast<size_t>(
        std::count_if(values.begin(), values.end(), [&](const CContactValue& other) { return IsSameValue(other, value); }));
}

// The further values merged: the local ones, less those the server removed since base, with
// those it added.
std::vector<CContactValue> MergeValues(const CContact& base, const CContact& local, const CContact& server) {
    std::vector<CContactValue> merged = local.values;
    std::vector<CContactValue> baseLeft = base.values;
    for (const CContactValue& value : server.values) {
        if (IsCardUid(value)) {
            continue;
        }
        if (!RemoveOne(baseLeft, value) && CountOf(merged, value) < CountOf(server.values, value)) {
            merged.push_back(value); // added there, and not here as well
        }
    }
    for (const CContactValue& value : baseLeft) {
        RemoveOne(merged, value); // removed there (a no-op where it was removed here too)
    }
    return merged;
}

} // namespace

bool HaveSameContent(const CContact& a, const CContact& b) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (a.FieldAt(f) != b.FieldAt(f)) {
            return false;
        }
    }
    if (a.values == b.values) {
        return true; // as nearly always: in the same order
    }
    // (A photo in its file and the same inline are one.)
    std::vector<CContactValue> left = b.values;
    for (const CContactValue& value : a.values) {
        if (!IsCardUid(value) && !RemoveOne(left, value)) {
            return false;
        }
    }
    return std::all_of(left.begin(), left.end(), IsCardUid);
}

CThreeWayResult MergeThreeWay(const CContact& base, const CContact& local, const CContact& server) {
    CThreeWayResult result;
    result.merged = local;
    result.merged.values = MergeValues(base, local, server);
    CContact lost; // the server's values that lost to local ones, kept as further values
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        const CString& strBase = base.FieldAt(f);
        const CString& strLocal = local.FieldAt(f);
        const CString& strServer = server.FieldAt(f);
        // One number or address written another way on one side is no change to merge.
        if (IsSameValue(f, strLocal, strServer) || IsSameValue(f, strServer, strBase)) {
            continue;
        }
        if (strLocal == strBase) {
            result.merged.FieldAt(f) = strServer;
            continue;
        }
        ++result.nConflicts;
        if (f == CContact::fieldNote) {
            // Notes are not merged line by line: the server's stays whole, under a label that
            // says where it came from, unless the note here holds it already.
            if (strLocal.Find(strServer) < 0) {
                CString& strNote = result.merged.note;
                strNote +=
                    CString(strNote.IsEmpty() ? "" : kStoredLineBreak) + "Note on the server: " + strServer;
            }
            continue;
        }
        lost.FieldAt(f) = strServer;
    }
    if (result.nConflicts > 0) {
        // The same rule as a merge of duplicates: each value not held gets its labelled line.
        KeepEveryValue(result.merged, std::vector<CContact>{lost});
    }
    // A field emptied on one side takes a value of its kind the other side added.
    MoveValuesToEmptyFields(result.merged);
    return result;
}
