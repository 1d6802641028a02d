// Base64, the encoding cards carry pictures in (and now and then a name), and the book a photo
// it could not yet give a file of its own: the encoding and the decoding side by side.
#pragma once

#include <string>
#include <string_view>

// The bytes as base64, without line breaks (the card's folding breaks the line).
std::string EncodeBase64(std::string_view strBytes);
// The bytes of base64 text; white space (folded lines) and missing padding are allowed. False
// for any other character, or for a length no encoding gives.
bool DecodeBase64(std::string_view strText, std::string& strBytes);
