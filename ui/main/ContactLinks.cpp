#include "ContactLinks.h"

#include <cstring>
#include <string>

namespace {

CString Trimmed(CString str) {
    str.Trim();
    return str;
}

// The first of the fields that holds something, as the user typed it.
CString FirstValue(const CContact& contact, std::initializer_list<int> fields) {
    for (int nField : fields) {
        CString str = Trimmed(contact.DisplayText(nField));
        if (!str.IsEmpty()) {
            return str;
        }
    }
    return CString();
}

bool IsUnreserved(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           std::strchr("-._~!$'()*+,;=:@", ch) != nullptr;
}

// Percent-encodes every byte outside the characters a link may hold as they are.
CString Escaped(const CString& str) {
    static const char kHex[] = "0123456789ABCDEF";
    CString strOut;
    for (int i = 0; i < str.GetLength(); ++i) {
        unsigned char ch = static_cast<unsigned char>(str[i]);
        if (IsUnreserved(ch)) {
            strOut += static_cast<char>(ch);
        } else {
            strOut += '%';
            strOut += kHex[ch >> 4];
            strOut += kHex[ch & 15];
        }
    }
    return strOut;
}

} // namespace

CString MailLink(const CContact& contact) {
    CString strAddress = FirstValue(contact, {CContact::fieldHomeEMail, CContact::fieldOfficeEMail});
    if (strAddress.IsEmpty()) {
        return strAddress;
    }
    // Several addresses are often typed with semicolons; a mailto: link separates them by commas.
    strAddress.Replace(";", ",");
    strAddress.Replace(" ", "");
    return "mailto:" + Escaped(strAddress);
}

CString WebPageLink(const CContact& contact) {
    std::string strPage =
        FirstValue(contact, {CContact::fieldHomeWWW, CContact::fieldOfficeWWW}).GetStdString();
    strPage = strPage.substr(0, strPage.find_first_of(" \t\r\n")); // a page, and a remark after it
    if (strPage.empty()) {
        return CString();
    }
    CString strLower(strPage.c_str());
    strLower.MakeLower();
    if (strLower.Find("http://") == 0 || strLower.Find("https://") == 0) {
        return CString(strPage.c_str());
    }
    // Any other scheme (file:, a program's own) is not something to open from a contact.
    size_t nColon = strPage.find(':');
    if (nColon != std::string::npos && strPage.compare(nColon, 3, "://") == 0) {
        return CString();
    }
    return CString(("http://" + strPage).c_str());
}

CString CallLink(const CContact& contact) {
    CString strNumber =
        FirstValue(contact, {CContact::fieldMobile, CContact::fieldHomePhone, CContact::fieldOfficePhone});
    CString strDial;
    bool bDigits = false;
    for (int i = 0; i < strNumber.GetLength(); ++i) {
        char ch = strNumber[i];
        if (ch >= '0' && ch <= '9') {
            strDial += ch;
            bDigits = true;
        } else if (ch == '+' && strDial.IsEmpty()) {
            strDial += ch;
        } else if (ch == '*') {
            strDial += ch;
        } else if (ch == '#') {
            strDial += "%23";
        }
    }
    return bDigits ? "tel:" + strDial : CString();
}
