// libFuzzer target for the vCard and CSV readers. Besides surviving any input, whatever they
// import must survive every export: written in each format and read back, it gives the same
// sixteen fields. A file read in parts at once must give what it gives read in one.
#include "interchange/CsvFormat.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool bCondition) {
    if (!bCondition) {
        std::abort();
    }
}

bool HasLineBreak(const CString& str) {
    return str.Find('\r') >= 0 || str.Find('\n') >= 0;
}

// Google's columns separate several values of one kind with " ::: ", which has no escape.
bool HasGoogleSeparator(const CContact& contact) {
    for (int f = 0; f < CContact::kFieldCount; ++f) {
        if (contact.FieldAt(f).Find(" ::: ") >= 0) {
            return true;
        }
    }
    return false;
}

void CheckRoundTrips(const CContactArray& contacts) {
    if (contacts.GetSize() == 0) {
        return; // an empty vCard file is no vCard file
    }
    for (int nFormat = 0; nFormat < 6; ++nFormat) {
        bool bVCard = nFormat < 3;
        CsvColumns columns = static_cast<CsvColumns>(nFormat - 3);
        std::string strFile =
            bVCard ? BuildVCards(contacts, static_cast<VCardVersion>(nFormat)) : BuildCsv(contacts, columns);
        CContactArray back;
        CImportReport report;
        CString strError;
        Check(bVCard ? ReadVCards(strFile, "f", back, report, strError)
                     : ReadCsv(strFile, "f", back, report, strError));
        Check(back.GetSize() == contacts.GetSize());
        for (int n = 0; n < contacts.GetSize(); ++n) {
            const CContact& a = contacts[n];
            // Outlook's columns carry these two in note lines, which cannot hold a line break.
            if (columns == CsvColumns::outlook && !bVCard &&
                (HasLineBreak(a.nickname) || HasLineBreak(a.officewww))) {
                continue;
            }
            if (columns == CsvColumns::google && !bVCard && HasGoogleSeparator(a)) {
                continue;
            }
            for (int f = 0; f < CContact::kFieldCount; ++f) {
                Check(a.FieldAt(f) == back[n].FieldAt(f));
            }
        }
    }
}

bool Read(bool bVCard, const std::string& strData, CContactArray& contacts, CImportReport& report,
          int nParts) {
    CString strError;
    return bVCard ? ReadVCards(strData, "in", contacts, report, strError, nullptr, nParts)
                  : ReadCsv(strData, "in", contacts, report, strError, nullptr, nParts);
}

void CheckSameReading(bool bVCard, const std::string& strData, const CContactArray& contacts,
                      const CImportReport& report) {
    CContactArray parted;
    CImportReport partedReport;
    Read(bVCard, strData, parted, partedReport, 3);
    Check(parted.GetSize() == contacts.GetSize());
    for (int n = 0; n < contacts.GetSize(); ++n) {
        for (int f = 0; f < CContact::kFieldCount; ++f) {
            Check(contacts[n].FieldAt(f) == parted[n].FieldAt(f));
        }
    }
    Check(partedReport.warnings == report.warnings);
    Check(partedReport.Summary() == report.Summary());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    std::string strData(reinterpret_cast<const char*>(pData), nSize);
    for (bool bVCard : {true, false}) {
        CContactArray contacts;
        CImportReport report;
        bool bRead = Read(bVCard, strData, contacts, report, 1);
        Check(bRead || contacts.GetSize() == 0);
        CheckSameReading(bVCard, strData, contacts, report);
        CheckRoundTrips(contacts);
    }
    return 0;
}
