// What an import did, for the summary line and the warnings a user reads.
#pragma once

#include "framework/core/String.h"

#include <utility>
#include <vector>

// Which file each contact of an import came from, for the warnings that name it: the files in
// the order they were read, each from the index of its first contact. A file's name alone stands
// for an import of that one file.
class CImportSources {
public:
    CImportSources() = default;
    CImportSources(const CString& strName) { Add(0, strName); }
    CImportSources(const char* pszName) { Add(0, pszName); }

    // The file whose contacts start at nFirst (after those of the files before).
    void Add(int nFirst, const CString& strName) { m_starts.emplace_back(nFirst, strName); }
    const CString& NameOf(int nContact) const;

private:
    std::vector<std::pair<int, CString>> m_starts;
};

struct CImportReport {
    int nAdded = 0;                // contacts added to the address book
    int nDuplicates = 0;           // contacts skipped because the book or the import holds them already
    int nMerged = 0;               // contacts merged into the one they are, for the values it lacked
    int nReplaced = 0;             // characters the file's set did not hold, and control characters left out
    int nMovedToNote = 0;          // values without a field of their own, kept in the note
    int nPhotosSkipped = 0;        // photos, sounds and other binary values left out
    int nLinesSkipped = 0;         // lines that were no part of any card, each also warned of
    std::vector<CString> warnings; // each names the file and, where there is one, the line

    void Warn(const CString& strFile, int nLine, const CString& strText);
    // Adds the counts and the warnings of a report of what came next.
    void Append(CImportReport&& next);
    // "added 3, skipped as duplicates 1, characters replaced 0, ..., lines skipped 0, duplicates
    // merged 0": the merged count comes last, so that the line starts as it always did for the
    // scripts that read it.
    CString Summary() const;
};
