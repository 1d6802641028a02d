// libFuzzer target for the XML reader and the address book loader. Besides surviving any
// input, whatever loads must survive a save: the written document loads back into the same
// contacts, completely unless a value holds a control character or bytes that are no UTF-8 in
// a book of UTF-8 (which the loader reports).
#include "data/AddressBookLoader.h"
#include "data/AddressBookWriter.h"
#include "framework/core/Unicode.h"
#include "support/MemoryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class CCountingSink : public CXMLWarningSink {
public:
    void OnWarning(const CString&) override { ++m_nCount; }
    int m_nCount = 0;
};

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

bool HoldsDamage(const CContactArray& contacts) {
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            const std::string& strValue = contacts[i].FieldAt(f).GetStdString();
            if (!IsValidUtf8(strValue)) {
                return true;
            }
            for (char c : strValue) {
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') {
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    CMemoryFile file(std::string(reinterpret_cast<const char*>(pData), nSize));
    CXML root;
    CContactArray contacts;
    CCountingSink sink;
    CLoadResult result = ReadAddressBook(file, root, contacts, &sink);
    Check(result.nWarnings == sink.m_nCount);
    Check(result.status != LoadStatus::complete || result.nWarnings == 0);

    CMemoryFile written(BuildAddressBookDocument(contacts).GetStdString());
    CXML again;
    CContactArray reloaded;
    CLoadResult second = ReadAddressBook(written, again, reloaded, nullptr);
    Check((second.status == LoadStatus::complete) != HoldsDamage(contacts));
    Check(reloaded.GetSize() == contacts.GetSize());
    for (int i = 0; i < contacts.GetSize(); ++i) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            Check(reloaded[i].FieldAt(f) == contacts[i].FieldAt(f));
        }
    }
    return 0;
}
