// Inputs shared by the benchmarks: generated address books, the files written from them, and
// hostile documents for the reader. Everything is deterministic from a fixed seed, so two runs
// measure the same bytes. Generated data is cached per size for the life of the process; the
// benchmarks run on one thread.
#pragma once

#include "BenchContacts.h"
#include "data/ContactArray.h"

#include <string>


// The contacts for a size, generated once.
const CContactArray& CachedContacts(int nCount);
// The address book file for a size, written once into the run's temporary folder with the
// program's own save; returns its path.
const std::string& CachedBookFile(int nCount);

// The run's temporary folder, made on first use and removed with its files at exit.
std::string BenchFilePath(const std::string& strName);

// Search texts, in a case that differs from the data: one that most contacts contain, one
// that a few contain, one that none contain.
extern const char* const kSearchCommon;
extern const char* const kSearchRare;
extern const char* const kSearchAbsent;

// Kinds of damaged input that have made readers slow or crash.
enum class HostileKind {
    longText,       // one text node of nCount bytes
    manyAttributes, // one start tag holding attributes all the way
    longName,       // an element name of nearly all the bytes, with its end tag
    deepNesting,    // entries opened and never closed
    strayEndTags,   // end tags without start tags, each one opening a level
    unclosedQuote,  // an attribute value whose quote never closes
};
const char* HostileKindName(HostileKind kind);
// A hostile document of about nBytes bytes.
std::string MakeHostileDocument(HostileKind kind, size_t nBytes);

// Stops the run with a message; for a benchmark whose sides disagree, which makes its figures
// meaningless.
[[noreturn]] void BenchFailure(const std::string& strMessage);

// Empty when both lists hold the same contacts (sixteen texts and id) in the same order;
// otherwise where they first differ.
std::string FirstDifference(const CContactArray& a, const CContactArray& b);
