#include "ThreeWayMerge.h"

#include "data/ContactMerger.h"

#include <vector>

bool HaveSameFields(const CContact& a, const CContact& b) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (a.FieldAt(f) != b.FieldAt(f)) {
            return false;
        }
    }
    return true;
}

CThreeWayResult MergeThreeWay(const CContact& base, const CContact& local, const CContact& server) {
    CThreeWayResult result;
    result.merged = local;
    CContact lost; // the server's values that lost to local ones, for the note
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
    return result;
}
