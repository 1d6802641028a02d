#include "ui/main/ContactLinks.h"

#include <gtest/gtest.h>

// Which value each link takes, how it is written, and what never becomes a link.
TEST(ContactLinksTest, EachLinkTakesTheFirstUsableValueInItsOwnScheme) {
    struct {
        int nField;
        const char* pszValue;
        int nSecondField; // also filled, with "2nd"
        CString (*pfnLink)(const CContact&);
        const char* pszLink;
    } const cases[] = {
        {CContact::fieldHomeEMail, " anna@example.org ", CContact::fieldOfficeEMail, MailLink,
         "mailto:anna@example.org"},
        {CContact::fieldOfficeEMail, "a@x.org; b@y.org", -1, MailLink, "mailto:a@x.org,b@y.org"},
        {CContact::fieldHomeEMail, "j\xC3\xB6rg@example.de?subject=x", -1, MailLink,
         "mailto:j%C3%B6rg@example.de%3Fsubject=x"},
        {CContact::fieldNote, "anna@example.org", -1, MailLink, ""},
        {CContact::fieldHomeWWW, "www.example.org", CContact::fieldOfficeWWW, WebPageLink,
         "http://www.example.org"},
        {CContact::fieldOfficeWWW, "HTTPS://example.org/a b", -1, WebPageLink, "HTTPS://example.org/a"},
        {CContact::fieldHomeWWW, "file:///C:/Windows/notepad.exe", -1, WebPageLink, ""},
        {CContact::fieldHomeWWW, "   ", CContact::fieldOfficeWWW, WebPageLink, "http://2nd"},
        {CContact::fieldMobile, "+49 (30) 1234-56 #7", CContact::fieldHomePhone, CallLink,
         "tel:+4930123456%237"},
        {CContact::fieldOfficePhone, "555 0100", -1, CallLink, "tel:5550100"},
        {CContact::fieldMobile, "ask at the desk", CContact::fieldHomePhone, CallLink, ""},
        {CContact::fieldMobile, "1+2", -1, CallLink, "tel:12"},
    };
    for (const auto& c : cases) {
        CContact contact;
        contact.FieldAt(c.nField) = c.pszValue;
        if (c.nSecondField >= 0) {
            contact.FieldAt(c.nSecondField) = "2nd";
        }
        EXPECT_EQ(c.pszLink, c.pfnLink(contact).GetStdString()) << c.pszValue;
    }
}
