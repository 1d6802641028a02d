#include "Base64.h"

#include <openssl/evp.h>

#include <climits>

bool SystemDecodeBase64(const std::string& strText, std::string& strOut) {
    if (strText.size() > INT_MAX) {
        return false;
    }
    strOut.resize(strText.size() / 4 * 3);
    int nDecoded = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&strOut[0]),
                                   reinterpret_cast<const unsigned char*>(strText.data()),
                                   static_cast<int>(strText.size()));
    if (nDecoded < 0) {
        strOut.clear();
        return false;
    }
    // The block's padding decodes to zero bytes that are no part of the data.
    size_t nPadding = 0;
    for (size_t i = strText.size(); i > 0 && strText[i - 1] == '='; --i) {
        ++nPadding;
    }
    strOut.resize(static_cast<size_t>(nDecoded) - nPadding);
    return true;
}
