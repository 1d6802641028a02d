// Writing contacts as vCards, one card per contact, in the version the user chose. The text is
// decoded from the stored form and written as UTF-8; version 2.1 carries it in quoted-printable
// where a value needs more than plain ASCII on one short line.
#pragma once

#include "VCardEscape.h"
#include "data/ContactArray.h"
#include "data/PhotoFolder.h"

#include <string>

// The PHOTO property of a picture in the version's spelling, its value not escaped (base64 needs
// none): 2.1's BASE64 and 3.0's ENCODING=b with the picture's TYPE, 4.0's data URI.
void PhotoProperty(const std::string& strBytes, VCardVersion version, std::string& strHead, std::string& strValue);
// Photos are read from pPhotos, or without it only inline ones are written.
std::string BuildVCards(const CContactArray& contacts, VCardVersion version, const CPhotoFolder* pPhotos = nullptr);

// Appends one property line whose value is escaped already, as the card writer writes it:
// folded at 75 octets from 3.0 on, and in 2.1 plain or, where needed, quoted-printable (strHead
// then must not name an encoding or character set of its own).
void AppendVCardProperty(std::string& strOut, const std::string& strHead, const std::string& strValue,
                         VCardVersion version);
