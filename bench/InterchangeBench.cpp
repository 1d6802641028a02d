// Moving contacts in and out: export to vCard and CSV and import from them, each beside
// tbkutil resave of the same book (load, sort, save), all on 10,000 contacts and in wall time,
// since every side waits for its file to reach the disk. Two imports that once took quadratic
// time stand beside the plain one: 10,000 contacts of one name, and an import taken back.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/ContactBook.h"
#include "data/ContactSort.h"
#include "framework/core/File.h"
#include "interchange/ContactFiles.h"
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

const int kInterchangeSize = 10000;

enum class Kind { vcard, csv, oneName, undone };

CContactArray LoadSorted(const std::string& strPath) {
    CXML root;
    CContactArray contacts;
    ReadAddressBook(strPath.c_str(), root, contacts, nullptr);
    SortContacts(contacts);
    return contacts;
}

// The export's write: a temporary file, flushed, moved over the target.
void WriteAtomically(const std::string& strPath, const std::string& strData) {
    std::string strTemp = strPath + ".tmp";
    CFile file;
    bool bDone = file.Open(strTemp.c_str(), CFile::modeCreate | CFile::modeWrite) &&
                 file.Write(strData.data(), static_cast<unsigned>(strData.size())) && file.Flush() &&
                 file.Close() && file.Rename(strTemp.c_str(), strPath.c_str());
    if (!bDone) {
        BenchFailure("cannot write " + strPath);
    }
}

std::string Exported(const CContactArray& contacts, Kind kind) {
    return kind == Kind::csv ? BuildCsv(contacts, CsvColumns::outlook) : BuildVCards(contacts, VCardVersion::v30);
}

// The contacts of an import: the bench's own, or all of one name with numbers of their own.
CContactArray ImportedContacts(Kind kind) {
    CContactArray contacts = CachedContacts(kInterchangeSize);
    for (int i = 0; kind == Kind::oneName && i < contacts.GetSize(); ++i) {
        contacts[i].lastname = "Same";
        contacts[i].firstname = "Name";
        contacts[i].mobile = std::to_string(5550000 + i).c_str();
    }
    return contacts;
}

void ResaveBench(benchmark::State& state) {
    const std::string& strIn = CachedBookFile(kInterchangeSize);
    std::string strOut = BenchFilePath("resaved.xml");
    for (auto _ : state) {
        CContactArray contacts = LoadSorted(strIn);
        if (!SaveAddressBook(contacts, strOut.c_str(), nullptr)) {
            BenchFailure("cannot save " + strOut);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInterchangeSize);
}

void ExportBench(benchmark::State& state, Kind kind) {
    const std::string& strIn = CachedBookFile(kInterchangeSize);
    std::string strOut = BenchFilePath(kind == Kind::vcard ? "export.vcf" : "export.csv");
    for (auto _ : state) {
        WriteAtomically(strOut, Exported(LoadSorted(strIn), kind));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInterchangeSize);
}

// The vCard reading of an import alone, text to contacts, for the part of the import the reader
// takes.
void ReadVCardBench(benchmark::State& state) {
    std::string strData = Exported(ImportedContacts(Kind::vcard), Kind::vcard);
    for (auto _ : state) {
        CContactArray contacts;
        CImportReport report;
        CString strError;
        if (!ReadVCards(strData, "bench", contacts, report, strError) ||
            contacts.GetSize() != kInterchangeSize) {
            BenchFailure("read failed: " + std::string(strError.GetString()));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInterchangeSize);
}

// Import into a book that does not exist yet: read, convert, check duplicates, sort, save.
void ImportBench(benchmark::State& state, Kind kind) {
    std::string strData = Exported(ImportedContacts(kind), kind);
    std::string strBook = BenchFilePath("imported.xml");
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(strBook.c_str());
        state.ResumeTiming();
        CContactArray imported;
        CImportReport report;
        CString strError;
        bool bRead = ReadContacts(strData, "bench", kind == Kind::csv ? ContactFileFormat::csv : ContactFileFormat::vcard,
                                  imported, report, strError);
        CContactBook book(strBook.c_str());
        book.LoadAddressBook();
        AddImportedContacts(book, std::move(imported), false, "bench", report);
        if (!bRead || book.Contacts().GetSize() == 0 || !book.SaveAddressBook(nullptr)) {
            BenchFailure("import failed: " + std::string(strError.GetString()));
        }
        if (kind == Kind::undone && (!book.Undo().bChanged || !book.SaveAddressBook(nullptr))) {
            BenchFailure("undo failed");
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInterchangeSize);
}

} // namespace

void RegisterInterchangeBenchmarks() {
    auto add = [](const char* pszName, auto fn) {
        benchmark::RegisterBenchmark(pszName, fn)
            ->Arg(kInterchangeSize)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    };
    add("interchange/resave", ResaveBench);
    add("interchange/export_vcard", [](benchmark::State& s) { ExportBench(s, Kind::vcard); });
    add("interchange/export_csv", [](benchmark::State& s) { ExportBench(s, Kind::csv); });
    add("interchange/import_vcard", [](benchmark::State& s) { ImportBench(s, Kind::vcard); });
    add("interchange/read_vcard", ReadVCardBench);
    add("interchange/import_csv", [](benchmark::State& s) { ImportBench(s, Kind::csv); });
    add("interchange/import_one_name", [](benchmark::State& s) { ImportBench(s, Kind::oneName); });
    add("interchange/import_undone", [](benchmark::State& s) { ImportBench(s, Kind::undone); });
}
