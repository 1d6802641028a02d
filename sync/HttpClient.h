// The real transports behind IHttpTransport: WinHTTP on Windows (HttpClient_win.cpp), libcurl
// elsewhere (HttpClient_posix.cpp). Both trust what the system trusts; a certificate it does not
// trust is accepted only when its SHA-256 is the one the user confirmed. Redirects are followed
// for GET only: a PROPFIND or REPORT gets its 3xx back with the Location header, so that the
// protocol decides where to go. A transport keeps its connections open between requests and is
// used from one thread at a time.
#pragma once

#include "HttpTransport.h"

#include <memory>
#include <string>

struct CHttpOptions {
    std::string strUser, strPassword; // Basic, or Digest when the server asks for it
    // 64 hex digits: a certificate the system does not trust is accepted when its SHA-256 is this.
    std::string strTrustedCertificateSha256;
    // For connecting, and for each wait on the server: a slow server keeps the user waiting no
    // longer, and a sync left running when the program ends outlives it by no more.
    int nTimeoutSeconds = 20;
};

std::unique_ptr<IHttpTransport> MakeHttpTransport(const CHttpOptions& options);

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
