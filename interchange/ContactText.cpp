#include "ContactText.h"

#include "data/Contact.h"

namespace {

// The first line: "Last, First (Nickname)", or whatever part of it there is, or the company.
std::string NameLine(const CContact& contact) {
    std::string strLast = contact.DisplayText(CContact::fieldLastName).GetStdString();
    std::string strFirst = contact.DisplayText(CContact::fieldFirstName).GetStdString();
    std::string strNick = contact.DisplayText(CContact::fieldNickname).GetStdString();
    std::string strLine = strLast + (!strLast.empty() && !strFirst.empty() ? ", " : "") + strFirst;
    if (!strNick.empty()) {
        strLine += strLine.empty() ? strNick : " (" + strNick + ")";
    }
    return strLine.empty() ? contact.DisplayText(CContact::fieldCompany).GetStdString() : strLine;
}

} // namespace

std::string ContactsAsText(const CContactArray& contacts) {
    std::string strText;
    for (int i = 0; i < contacts.GetSize(); ++i) {
        const CContact& contact = contacts[i];
        if (i > 0) {
            strText += "\r\n";
        }
        std::string strName = NameLine(contact);
        strText += strName + "\r\n";
        for (int nField = CContact::fieldCompany; nField < CContact::kFieldCount; ++nField) {
            std::string strValue = contact.DisplayText(nField).GetStdString();
            if (strValue.empty() || (nField == CContact::fieldCompany && strValue == strName)) {
                continue;
            }
            std::string strLabel = std::string(CContact::FieldLabel(nField)) + ": ";
            strLabel[0] = static_cast<char>(strLabel[0] - 'a' + 'A');
            // The later lines of an address or a note stand under the first.
            const std::string strIndent(strLabel.size(), ' ');
            for (size_t nStart = 0;;) {
                size_t nBreak = strValue.find("\r\n", nStart);
                strText +=
                    (nStart == 0 ? strLabel : strIndent) + strValue.substr(nStart, nBreak - nStart) + "\r\n";
                if (nBreak == std::string::npos) {
                    break;
                }
                nStart = nBreak + 2;
            }
        }
    }
    return strText;
}
