// The real transports behind IHttpTransport: WinHTTP on Windows (HttpClient_win.cpp), libcurl
// elsewhere (HttpClient_posix.cpp). Both trust what the system trusts; a certificate it does not
// trust is accepted only when its SHA-256 is the one the user confirmed, and that comparison is
// made on every connection before any byte of a request goes out on it.
//
// The account goes only to the origin it belongs to (CHttpOptions::strCredentialOrigin), and only
// over https before the server asks for it; over plain http it goes once the server has asked, in
// the scheme it asked for.
// No redirect is followed, whatever the method: every 3xx comes back with its Location header and
// the protocol decides where to go. An answer is read up to nMaxResponseBytes and no further, and
// one that ends before its announced length or its last chunk is a broken connection, not a
// response. A transport keeps its connections open between requests and is used from one thread
// at a time.
#pragma once

#include "DavUrl.h"
#include "HttpTransport.h"

#include <cstddef>
#include <memory>
#include <string>

// The largest answer a transport takes unless told otherwise: far above any address book a
// person keeps, far below what would exhaust the memory of the program.
const size_t kMaxResponseBytes = 128 * 1024 * 1024;

struct CHttpOptions {
    std::string strUser, strPassword; // Basic, or Digest when the server asks for it
    // The origin the account belongs to ("https://host:port"; scheme and host compared without
    // case, a default port equal to none). Requests to any other origin go without the account.
    // Empty: the origin of the first request the transport sends is taken.
    std::string strCredentialOrigin;
    // 64 hex digits: a certificate the system does not trust is accepted when its SHA-256 is this.
    std::string strTrustedCertificateSha256;
    // For connecting, and for each wait on the server: a slow server keeps the user waiting no
    // longer, and a sync left running when the program ends outlives it by no more.
    int nTimeoutSeconds = 20;
    // An answer with a larger body fails as HttpFailure::tooLarge; no more than this is read.
    size_t nMaxResponseBytes = kMaxResponseBytes;
};

std::unique_ptr<IHttpTransport> MakeHttpTransport(const CHttpOptions& options);

// Which requests of a transport carry the account: those to its origin, which the first request
// names when the options do not. Shared by both transports so that they keep one rule.
class CAccountScope {
public:
    explicit CAccountScope(const CHttpOptions& options)
        : m_strOrigin(options.strCredentialOrigin),
          m_bHasAccount(!options.strUser.empty() || !options.strPassword.empty()) {}

    bool Covers(const std::string& strUrl) {
        if (m_strOrigin.empty()) {
            m_strOrigin = strUrl; // only its origin is ever compared
        }
        return m_bHasAccount && IsSameOrigin(m_strOrigin, strUrl);
    }

    // Whether the account may go before the server asked for it: only where nobody on the way
    // can read it.
    static bool MayOfferUnasked(const std::string& strUrl) {
        return UrlOrigin(strUrl).compare(0, 8, "https://") == 0;
    }

private:
    std::string m_strOrigin;
    bool m_bHasAccount;
};

// Overwrites the text's bytes (its whole buffer) in a way the compiler cannot leave out, then
// empties it: for passwords, so that no copy lingers in memory that is freed or reused.
void WipeSecret(std::string& str);

// A size as a person reads it in a message: "128 MB", "64 KB", "100 bytes".
inline std::string SizeInWords(size_t nBytes) {
    const size_t nKilo = 1024, nMega = nKilo * nKilo;
    if (nBytes >= nMega && nBytes % nMega == 0) {
        return std::to_string(nBytes / nMega) + " MB";
    }
    if (nBytes >= nKilo && nBytes % nKilo == 0) {
        return std::to_string(nBytes / nKilo) + " KB";
    }
    return std::to_string(nBytes) + " bytes";
}

// The reasons the transports give for the failures they find themselves.
inline std::string TooLargeText(size_t nMaxBytes) {
    return "its answer is larger than " + SizeInWords(nMaxBytes);
}
const char* const kCutShortText = "the connection was broken off before the whole answer arrived";

// A certificate's SHA-256 as the transports report it (lower-case hex, no separators), from the
// way a user may have copied it (upper case, colons, blanks).
inline std::string CanonicalSha256(const std::string& strSha256) {
    std::string strResult;
    for (char ch : strSha256) {
        if (ch >= 'A' && ch <= 'F') {
            strResult += static_cast<char>(ch - 'A' + 'a');
        } else if ((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f')) {
            strResult += ch;
        } else if (ch != ':' && ch != ' ') {
            return std::string(); // not a fingerprint: matches nothing
        }
    }
    return strResult.size() == 64 ? strResult : std::string();
}

// A SHA-256 as people compare it: the hex digits in pairs, "ab:cd:...".
inline std::string GroupedFingerprint(const std::string& strSha256) {
    std::string strGrouped;
    for (size_t i = 0; i < strSha256.size(); i += 2) {
        strGrouped += (i == 0 ? "" : ":") + strSha256.substr(i, 2);
    }
    return strGrouped;
}
