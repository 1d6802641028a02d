// The links by which the list's context menu reaches a contact: a mail, its web page, a call.
// Each is empty when the contact has nothing to act on, which greys the command. The links are
// handed to the shell, so a value never decides which program runs: an e-mail always makes a
// mailto: link, a phone number a tel: link, and a web page only an http or https one.
#pragma once

#include "data/Contact.h"

// mailto: with the home e-mail, else the office one.
CString MailLink(const CContact& contact);
// The home web page, else the office one; a page without a scheme is taken as http.
CString WebPageLink(const CContact& contact);
// tel: with the mobile number, else the home phone, else the office phone.
CString CallLink(const CContact& contact);
