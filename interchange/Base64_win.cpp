#include "Base64.h"

#include <windows.h>
#include <wincrypt.h>

bool SystemDecodeBase64(const std::string& strText, std::string& strOut) {
    DWORD dwSize = 0;
    const DWORD dwLength = static_cast<DWORD>(strText.size());
    if (!CryptStringToBinaryA(strText.data(), dwLength, CRYPT_STRING_BASE64, nullptr, &dwSize, nullptr, nullptr)) {
        return false;
    }
    strOut.resize(dwSize);
    if (!CryptStringToBinaryA(strText.data(), dwLength, CRYPT_STRING_BASE64,
                              reinterpret_cast<BYTE*>(&strOut[0]), &dwSize, nullptr, nullptr)) {
        strOut.clear();
        return false;
    }
    strOut.resize(dwSize);
    return true;
}
