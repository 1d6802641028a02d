// Writing contacts as vCards, one card per contact, in the version the user chose. The text is
// decoded from the stored form and written as UTF-8; version 2.1 carries it in quoted-printable
// where a value needs more than plain ASCII on one short line.
#pragma once

#include "VCardEscape.h"
#include "data/ContactArray.h"

#include <string>

std::string BuildVCards(const CContactArray& contacts, VCardVersion version);
