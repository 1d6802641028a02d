#include "ContactMerge.h"

#include <string>
#include <unordered_map>

namespace {

const int g_phones[] = {CContact::fieldHomePhone, CContact::fieldMobile, CContact::fieldOfficePhone,
                        CContact::fieldOfficeFax};
const int g_emails[] = {CContact::fieldHomeEMail, CContact::fieldOfficeEMail};

CString Digits(const CString& str) {
    CString strOut;
    for (int i = 0; i < str.GetLength(); ++i) {
        if ((str[i] >= '0' && str[i] <= '9') || str[i] == '+') {
            strOut += str[i];
        }
    }
    return strOut;
}

CString Lowered(CString str) {
    str.MakeLower();
    return str;
}

std::string NameKey(const CContact& contact) {
    return contact.lastname.GetStdString() + '\0' + contact.firstname.GetStdString();
}

} // namespace

bool IsSameContact(const CContact& a, const CContact& b) {
    if (a.lastname != b.lastname || a.firstname != b.firstname) {
        return false;
    }
    for (int nA : g_phones) {
        CString strA = Digits(a.FieldAt(nA));
        for (int nB : g_phones) {
            if (!strA.IsEmpty() && strA == Digits(b.FieldAt(nB))) {
                return true;
            }
        }
    }
    for (int nA : g_emails) {
        CString strA = Lowered(a.FieldAt(nA));
        for (int nB : g_emails) {
            if (!strA.IsEmpty() && strA == Lowered(b.FieldAt(nB))) {
                return true;
            }
        }
    }
    return false;
}

CContactArray SelectNewContacts(const CContactArray& book, const CContactArray& imported, bool bKeepDuplicates,
                                const CString& strFile, CImportReport& report) {
    CContactArray added;
    // Candidates by name, so a large import into a large book stays fast: the book's contacts by
    // their index, the ones taken from this import after them.
    std::unordered_multimap<std::string, int> byName;
    for (int i = 0; i < book.GetSize(); ++i) {
        byName.emplace(NameKey(book[i]), i);
    }
    auto candidate = [&](int n) -> const CContact& { return n < book.GetSize() ? book[n] : added[n - book.GetSize()]; };
    for (int i = 0; i < imported.GetSize(); ++i) {
        const CContact& contact = imported[i];
        std::string strKey = NameKey(contact);
        bool bDuplicate = false;
        auto range = byName.equal_range(strKey);
        for (auto it = range.first; it != range.second && !bDuplicate && !bKeepDuplicates; ++it) {
            bDuplicate = IsSameContact(candidate(it->second), contact);
        }
        if (bDuplicate) {
            ++report.nDuplicates;
            CString strText;
            strText.Format("skipped \"%s%s%s\": the address book holds this contact already",
                           contact.lastname.GetString(), contact.firstname.IsEmpty() ? "" : ", ",
                           contact.firstname.GetString());
            report.Warn(strFile, 0, strText);
            continue;
        }
        byName.emplace(strKey, book.GetSize() + added.Add(contact));
        ++report.nAdded;
    }
    return added;
}
