// Saving: the program's save (document, temporary file, flush, rename) beside the same bytes
// appended to a std::string and written with one system call, synced and renamed.
#include "BenchData.h"
#include "Benchmarks.h"

#include "data/AddressBookWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <set>
#include <string>
#include <unistd.h>

namespace {

std::string PlainDocument(const CContactArray& contacts) {
    std::string doc;
    doc += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
    doc += "\t<addressbook name=\"Tovano Address Book\" value=\"";
    doc += std::to_string(contacts.GetSize());
    doc += "\">\r\n";
    for (int i = 0; i < contacts.GetSize(); ++i) {
        doc += "\t\t<entry id=\"";
        doc += std::to_string(i);
        doc += "\">\r\n";
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            doc += "\t\t\t<";
            doc += CContact::FieldTag(f);
            doc += " value=\"";
            doc += contacts[i].FieldAt(f).GetStdString();
            doc += "\"/>\r\n";
        }
        doc += "\t\t</entry>\r\n";
    }
    doc += "\t</addressbook>\r\n";
    return doc;
}

void SavePlain(const CContactArray& contacts, const std::string& strPath) {
    std::string doc = PlainDocument(contacts);
    std::string strTemp = strPath + ".tmp";
    int fd = ::open(strTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        BenchFailure("cannot create " + strTemp);
    }
    bool bDone = ::write(fd, doc.data(), doc.size()) == static_cast<ssize_t>(doc.size()) && ::fsync(fd) == 0;
    bDone = ::close(fd) == 0 && bDone;
    if (!bDone || std::rename(strTemp.c_str(), strPath.c_str()) != 0) {
        BenchFailure("cannot write " + strPath);
    }
}

std::string ReadWhole(const std::string& strPath) {
    std::string bytes;
    FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (!pFile) {
        BenchFailure("cannot read back " + strPath);
    }
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0;) {
        bytes.append(buffer, n);
    }
    std::fclose(pFile);
    return bytes;
}

std::string SavePath(const char* pszSide, int nCount) {
    return BenchFilePath(std::string("save-") + pszSide + "-" + std::to_string(nCount) + ".xml");
}

void CheckSavesAgree(int nCount) {
    static std::set<int> checked;
    if (!checked.insert(nCount).second) {
        return;
    }
    const CContactArray& contacts = CachedContacts(nCount);
    std::string strOurs = SavePath("ours", nCount);
    std::string strPlain = SavePath("plain", nCount);
    if (!SaveAddressBook(contacts, strOurs.c_str(), nullptr)) {
        BenchFailure("our save failed for " + strOurs);
    }
    SavePlain(contacts, strPlain);
    if (ReadWhole(strOurs) != ReadWhole(strPlain)) {
        BenchFailure("the two saves wrote different bytes for " + std::to_string(nCount) + " contacts");
    }
}

void SaveOursBench(benchmark::State& state) {
    const int nCount = static_cast<int>(state.range(0));
    CheckSavesAgree(nCount);
    const CContactArray& contacts = CachedContacts(nCount);
    std::string strPath = SavePath("ours", nCount);
    for (auto _ : state) {
        if (!SaveAddressBook(contacts, strPath.c_str(), nullptr)) {
            BenchFailure("our save failed for " + strPath);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * nCount);
}

void SavePlainBench(benchmark::State& state) {
    const int nCount = static_cast<int>(state.range(0));
    CheckSavesAgree(nCount);
    const CContactArray& contacts = CachedContacts(nCount);
    std::string strPath = SavePath("plain", nCount);
    for (auto _ : state) {
        SavePlain(contacts, strPath);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * nCount);
}

} // namespace

void RegisterSaveBenchmarks() {
    // A save waits for the disk, which the clock of the thread does not see: wall time it is.
    for (int nCount : kBenchSizes) {
        benchmark::RegisterBenchmark("save/ours", SaveOursBench)
            ->Arg(nCount)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark("save/plain", SavePlainBench)
            ->Arg(nCount)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}
