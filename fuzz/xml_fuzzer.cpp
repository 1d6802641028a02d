// libFuzzer target for the XML reader and the address book loader. Besides surviving any
// input, whatever loads must survive a save: the written document loads back into the same
// contacts, completely unless a value holds a control character or bytes that are no UTF-8 in
// a book of UTF-8 (which the loader reports).
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "data/SavedLayoutReader.h"
#include "framework/core/Unicode.h"
#include "support/MemoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class CCountingSink : public CXMLWarningSink {
public:
    void OnWarning(const CString&, int64_t) override { ++m_nCount; }
    int m_nCount = 0;
};

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

bool IsDamaged(const CString& strText, bool bAddress) {
    const std::string& str = strText.GetStdString();
    if (!IsValidUtf8(str)) {
        return true;
    }
    for (char c : str) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n' &&
            !(bAddress && c == kAddressPartSeparator)) {
            return true;
        }
    }
    return false;
}

bool HoldsDamage(const CContactArray& contacts) {
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (IsDamaged(contacts[i].FieldAt(f), false)) {
                return true;
            }
        }
        for (const CContactValue& value : contacts[i].values) {
            if (IsDamaged(value.type, false) || IsDamaged(value.label, false) ||
                IsDamaged(value.text, value.kind == EValueKind::address)) {
                return true;
            }
        }
    }
    return false;
}

// The written document holds no ids, so a round trip compares the texts only.
bool SameContacts(const CContactArray& a, const CContactArray& b, bool bIds) {
    if (a.GetSize() != b.GetSize()) {
        return false;
    }
    for (int i = 0; i < a.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            if (a[i].FieldAt(f) != b[i].FieldAt(f)) {
                return false;
            }
        }
        if (a[i].values != b[i].values || (bIds && a[i].id != b[i].id)) {
            return false;
        }
    }
    return true;
}

// Whatever the quick reader takes, the element tree reads alike and without a warning, and
// texts it calls plain leave the loader nothing to convert or report.
void CheckQuickReaderAgrees(const std::string& bytes) {
    CMemoryFile quickFile(bytes);
    CContactArray quick;
    bool bPlain = false;
    if (!ReadSavedLayout(quickFile, quick, &bPlain)) {
        return;
    }
    Check(!bPlain || !HoldsDamage(quick));
    CMemoryFile treeFile(bytes);
    CXML root;
    CCountingSink sink;
    CContactArray tree;
    Check(CXMLParser::Load(root, treeFile, CString(), &sink) == 1);
    CollectEntries(root, tree);
    Check(sink.m_nCount == 0 && root.IsClosed());
    Check(SameContacts(quick, tree, true));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string bytes(reinterpret_cast<const char*>(pData), nSize);
    CheckQuickReaderAgrees(bytes);
    CMemoryFile file(bytes);
    CXML root;
    CContactArray contacts;
    CCountingSink sink;
    CLoadResult result = ReadAddressBook(file, root, contacts, &sink);
    Check(result.nWarnings == sink.m_nCount);
    Check(result.status != LoadStatus::complete || result.nWarnings == 0);

    std::string document = BuildAddressBookDocument(contacts).GetStdString();
    CheckQuickReaderAgrees(document);
    CMemoryFile written(document);
    CXML again;
    CContactArray reloaded;
    CLoadResult second = ReadAddressBook(written, again, reloaded, nullptr);
    Check((second.status == LoadStatus::complete) != HoldsDamage(contacts));
    Check(reloaded.GetSize() == contacts.GetSize());
    Check(SameContacts(reloaded, contacts, false));
    return 0;
}
