#include "ContactMerge.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

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

// The contact's name paired with each of its phone numbers (by their digits) and e-mail
// addresses (ignoring case): two contacts are the same when they share one pair.
std::vector<std::string> IdentityKeys(const CContact& contact) {
    std::vector<std::string> keys;
    std::string strName = NameKey(contact);
    for (int nField : g_phones) {
        CString strDigits = Digits(contact.FieldAt(nField));
        if (!strDigits.IsEmpty()) {
            keys.push_back(strName + '\1' + strDigits.GetStdString());
        }
    }
    for (int nField : g_emails) {
        if (!contact.FieldAt(nField).IsEmpty()) {
            keys.push_back(strName + '\2' + Lowered(contact.FieldAt(nField)).GetStdString());
        }
    }
    return keys;
}

} // namespace

bool IsSameContact(const CContact& a, const CContact& b) {
    std::vector<std::string> keysOfA = IdentityKeys(a);
    std::unordered_set<std::string> known(keysOfA.begin(), keysOfA.end());
    std::vector<std::string> keysOfB = IdentityKeys(b);
    return std::any_of(keysOfB.begin(), keysOfB.end(),
                       [&](const std::string& strKey) { return known.count(strKey) > 0; });
}

CContactArray SelectNewContacts(const CContactArray& book, const CContactArray& imported,
                                bool bKeepDuplicates, const CString& strFile, CImportReport& report) {
    CContactArray added;
    // The identity keys of the book and of what this import took so far: one lookup per value
    // keeps a large import fast, even of thousands of contacts of one name.
    std::unordered_set<std::string> known;
    for (int i = 0; i < book.GetSize() && !bKeepDuplicates; ++i) {
        for (std::string& strKey : IdentityKeys(book[i])) {
            known.insert(std::move(strKey));
        }
    }
    for (int i = 0; i < imported.GetSize(); ++i) {
        const CContact& contact = imported[i];
        std::vector<std::string> keys = bKeepDuplicates ? std::vector<std::string>() : IdentityKeys(contact);
        bool bDuplicate = std::any_of(keys.begin(), keys.end(),
                                      [&](const std::string& strKey) { return known.count(strKey) > 0; });
        if (bDuplicate) {
            ++report.nDuplicates;
            CString strText;
            strText.Format("skipped \"%s%s%s\": the address book holds this contact already",
                           contact.lastname.GetString(), contact.firstname.IsEmpty() ? "" : ", ",
                           contact.firstname.GetString());
            report.Warn(strFile, 0, strText);
            continue;
        }
        known.insert(keys.begin(), keys.end());
        added.Add(contact);
        ++report.nAdded;
    }
    return added;
}
