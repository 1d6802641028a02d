// Contacts in and out of files, the same way for tbkutil and the program's window: telling a
// file's format, reading a file's contacts, adding them to a book as one change, and building
// and writing an export. Long work reports its progress and stops when cancelled.
#pragma once

#include "CsvFormat.h"
#include "ImportReport.h"
#include "VCardEscape.h"
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "framework/core/FileException.h"
#include "framework/core/WorkProgress.h"

#include <cstdint>
#include <string>

enum class ContactFileFormat { unknown, vcard, csv };

// The format a file's name says (.vcf, .vcard, .csv, or the bare words vcf, vcard and csv).
ContactFileFormat FormatFromName(const CString& strName);
// The format of the data: by the name where it says one, else a vCard when a card begins near
// the start (in any of the encodings the reader takes), else CSV.
ContactFileFormat GuessFormat(const CString& strName, const std::string& strData);

// The kinds of export, in the order the Save As dialog offers them.
enum class ExportKind { vcard30, vcard40, vcard21, outlookCsv, googleCsv, thunderbirdCsv };
// A card's photo is read from pPhotos; without it only photos not yet stored go out.
std::string BuildExport(const CContactArray& contacts, ExportKind kind, const CPhotoFolder* pPhotos = nullptr);

// The largest file an import reads: far above any real address book's export (100,000 contacts
// with every field filled come to about 65 MB), and low enough that importing it stays within a
// desktop computer's memory: the file, its contacts, what Undo keeps and the book written again
// take about 3.5 times its size for an import into an empty book, and up to 8 times when every
// contact is merged into one the book holds.
constexpr uint64_t kMaxImportFileBytes = uint64_t(256) << 20;
// Reads a file to import, refusing one larger than nLimit bytes before reading any of it (and
// one that grows past it while it is read); false with a message for the user that names the
// file.
[[nodiscard]] bool ReadImportFile(const char* pszPath, std::string& strData, CString& strError,
                                  uint64_t nLimit = kMaxImportFileBytes);
// The computer a path is on when it names another one: "\\server" for "\\server\share\x.vcf"
// (and for "//server/share/x.vcf" and "\\?\UNC\server\share\x.vcf"); empty for a path on this
// computer. Opening such a path connects to that computer with the user's Windows logon. A drive
// letter mapped to a share is not told here: only the system knows it.
CString NetworkComputerOf(const CString& strPath);

// The contacts of one file's data, appended; false with strError when it holds none it could
// read. Cancelled, it stops early with what it has (the caller then drops it).
bool ReadContacts(const std::string& strData, const CString& strName, ContactFileFormat format,
                  CContactArray& contacts, CImportReport& report, CString& strError,
                  CWorkProgress* pProgress = nullptr);

// Adds the imported contacts the book does not hold yet (all of them with bKeepDuplicates), and
// merges into the book's contacts the values of the ones it holds (SelectNewContacts), as one
// change that one undo takes back. Counts and warnings go to the report.
CBookChange AddImportedContacts(CContactBook& book, CContactArray imported, bool bKeepDuplicates,
                                const CImportSources& sources, CImportReport& report);
