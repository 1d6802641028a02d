// CContactMatcher: whether a contact holds a text in any of its sixteen fields, ignoring case
// as the ANSI code page does. The text is lower-cased once and each field is folded as it is
// scanned, so a search over a large address book copies nothing per contact.
#pragma once

#include "data/Contact.h"

class CContactMatcher {
public:
    explicit CContactMatcher(const CString& strSearch);

    // True when a field contains the text; an empty text is in every contact.
    bool Matches(const CContact& contact) const;

private:
    bool FieldContains(const CString& strField) const;

    CString m_strNeedle;             // the search text, lower-cased
    const unsigned char* m_pLower;   // per-byte lower-casing, or null for a multibyte code page
};
