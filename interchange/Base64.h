// Base64, the encoding vCard uses for binary values and for text some writers encode alike
// (ENCODING=B on a name or a note). The system decodes it: CryptStringToBinary on Windows,
// OpenSSL elsewhere.
#pragma once

#include <string>
#include <string_view>

// The bytes of base64 text; blanks and line breaks inside it are passed over, missing padding
// is supplied. False, with strOut empty, for text that is not base64.
bool DecodeBase64(std::string_view strIn, std::string& strOut);

// The system's decoder (Base64_win.cpp, Base64_posix.cpp), given text without blanks whose length
// is a multiple of four, padded with "=".
bool SystemDecodeBase64(const std::string& strText, std::string& strOut);
