// One property line of a vCard taken apart: name, parameters and the value as text.
#pragma once

#include "framework/core/String.h"

#include <string>
#include <vector>

struct CVCardProperty {
    std::string strName;            // upper case, without its group
    std::string strWrittenName;     // as the file spells it, for labels
    std::vector<std::string> types; // upper case, from TYPE= and bare parameters
    std::string strEncoding;        // upper case
    std::string strCharset;
    std::string strValueType; // upper case, from VALUE=
    bool bPreferred = false;
    std::string strRaw; // the value as the file holds it
    int nLine = 0;

    bool Has(const char* pszType) const;
    bool IsBinary() const;
};

// Splits "group.NAME;param;...:value". False when the line has no colon.
bool ParseProperty(const std::string& strLine, int nLine, CVCardProperty& prop);

// The name and parameters of a property line as written ("item1.TEL;TYPE=HOME"), for a value
// written anew: without the parameters that say how the old value was encoded (ENCODING, CHARSET
// and 2.1's bare QUOTED-PRINTABLE, BASE64, 8BIT, 7BIT), since the new one is plain UTF-8.
std::string HeadForNewValue(const std::string& strLine, const CVCardProperty& prop);

// The value's text as UTF-8: quoted-printable undone and the character set converted. Text in
// no known set is read as UTF-8 where it is UTF-8, else as Windows-1252, which holds any byte;
// bKnownCharset tells.
std::string DecodeValue(const CVCardProperty& prop, bool& bKnownCharset);
