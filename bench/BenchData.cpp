#include "BenchData.h"

#include "data/AddressBookWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdlib.h>

const char* const kSearchCommon = "EXAMPLE";
// The data holds "Ecole Centrale" (an E acute first) in a few notes, in both cases, and "Ecoles" in
// many addresses.
const char* const kSearchRare = "\xC3\x89"
                                "COLE CENTRALE";
const char* const kSearchAbsent = "Qwzxv";

namespace {

class CBenchFolder {
public:
    CBenchFolder() {
        const char* pszBase = std::getenv("TMPDIR");
        std::string strTemplate = std::string(pszBase && *pszBase ? pszBase : "/tmp") + "/tbook-bench-XXXXXX";
        if (!::mkdtemp(&strTemplate[0])) {
            BenchFailure("cannot make a temporary folder from " + strTemplate);
        }
        m_strFolder = strTemplate;
    }
    ~CBenchFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_strFolder, error);
    }
    const std::string& Folder() const { return m_strFolder; }

private:
    std::string m_strFolder;
};

} // namespace

const CContactArray& CachedContacts(int nCount) {
    static std::map<int, std::unique_ptr<CContactArray>> cache;
    std::unique_ptr<CContactArray>& p = cache[nCount];
    if (!p) {
        p = std::make_unique<CContactArray>(GenerateContacts(nCount, kBenchSeed));
    }
    return *p;
}

std::string BenchFilePath(const std::string& strName) {
    static CBenchFolder folder;
    return folder.Folder() + "/" + strName;
}

const std::string& CachedBookFile(int nCount) {
    static std::map<int, std::string> cache;
    std::string& strPath = cache[nCount];
    if (strPath.empty()) {
        std::string strWanted = BenchFilePath("book-" + std::to_string(nCount) + ".xml");
        CFileException error;
        if (!SaveAddressBook(CachedContacts(nCount), strWanted.c_str(), &error)) {
            BenchFailure("cannot write " + strWanted + ": " + error.GetErrorMessage().GetStdString());
        }
        strPath = strWanted;
    }
    return strPath;
}

const char* HostileKindName(HostileKind kind) {
    switch (kind) {
    case HostileKind::longText:
        return "long_text";
    case HostileKind::manyAttributes:
        return "many_attributes";
    case HostileKind::longName:
        return "long_name";
    case HostileKind::deepNesting:
        return "deep_nesting";
    case HostileKind::strayEndTags:
        return "stray_end_tags";
    case HostileKind::unclosedQuote:
        return "unclosed_quote";
    }
    return "unknown";
}

std::string MakeHostileDocument(HostileKind kind, size_t nBytes) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<addressbook>";
    doc.reserve(nBytes + 64);
    auto repeatUntilFull = [&](const std::string& strUnit) {
        while (doc.size() + strUnit.size() <= nBytes) {
            doc += strUnit;
        }
    };
    switch (kind) {
    case HostileKind::longText:
        doc += "<entry><note value=\"x\"/>";
        repeatUntilFull("lorem ipsum \xC3\xA9t\xC3\xA9 ");
        doc += "</entry></addressbook>";
        break;
    case HostileKind::manyAttributes: {
        doc += "<entry";
        // Names drawn at random from fewer names than there are attributes: most repeat, and
        // none come in sorted order.
        std::mt19937 rng(kBenchSeed);
        for (unsigned i = 0; doc.size() + 32 <= nBytes; ++i) {
            doc += " a" + std::to_string(rng() % (nBytes / 32 + 1)) + "=\"v" + std::to_string(i) + "\"";
        }
        doc += "/></addressbook>";
        break;
    }
    case HostileKind::longName: {
        std::string strName(nBytes / 2 - 32, 'n');
        doc += "<" + strName + " value=\"1\">";
        doc += "</" + strName + ">";
        doc += "</addressbook>";
        break;
    }
    case HostileKind::deepNesting:
        repeatUntilFull("<entry><lastname value=\"deep\"/>");
        break;
    case HostileKind::strayEndTags:
        doc += "<entry><lastname value=\"kept\"/></entry>";
        repeatUntilFull("</entry>");
        break;
    case HostileKind::unclosedQuote:
        doc += "<entry><lastname value=\"";
        repeatUntilFull("no closing quote <here/> ");
        break;
    }
    return doc;
}

void BenchFailure(const std::string& strMessage) {
    std::fprintf(stderr, "tbook_bench: %s\n", strMessage.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string FirstDifference(const CContactArray& a, const CContactArray& b) {
    if (a.GetSize() != b.GetSize()) {
        return "sizes " + std::to_string(a.GetSize()) + " and " + std::to_string(b.GetSize());
    }
    for (int i = 0; i < a.GetSize(); ++i) {
        if (a[i].id != b[i].id) {
            return "ids at index " + std::to_string(i);
        }
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (a[i].FieldAt(f) != b[i].FieldAt(f)) {
                return std::string("field ") + CContact::FieldTag(f) + " at index " + std::to_string(i);
            }
        }
    }
    return std::string();
}
