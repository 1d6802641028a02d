// The one door of synchronisation to the network: a request goes out, a response or the reason
// there is none comes back. The protocol, the merge and the state above it are portable and see
// only this; the real transports (WinHTTP on Windows, libcurl elsewhere) live in HttpClient.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CHttpRequest {
    std::string strMethod; // "PROPFIND", "REPORT", "GET", "PUT", "DELETE"
    std::string strUrl;    // absolute: "https://host:port/path/"
    std::vector<std::pair<std::string, std::string>> headers; // "Depth", "If-Match", "Content-Type", ...
    std::string strBody;
};

// Why a request got no HTTP response at all. An HTTP status of any kind (401, 404, 412, 500) is
// a response, not a failure.
enum class HttpFailure {
    none,
    cannotConnect,  // the name is unknown, nothing listens, the connection broke (also mid-answer)
    timeout,
    untrustedCertificate, // the server's certificate is not trusted; see strCertificateSha256
    cancelled,
    tooLarge,       // the answer is larger than the transport takes; see strFailure
    other,
};

struct CHttpResponse {
    HttpFailure failure = HttpFailure::none;
    std::string strFailure;           // the reason of a failure in words, for messages, without a full stop
    std::string strCertificateSha256; // of an untrusted certificate: 64 lower-case hex digits
    int nStatus = 0;
    std::vector<std::pair<std::string, std::string>> headers; // names as the server sent them
    std::string strBody;

    // The value of a header, its name compared without case; empty when absent.
    std::string Header(const char* pszName) const;
};

class IHttpTransport {
public:
    virtual ~IHttpTransport() = default;
    virtual CHttpResponse Send(const CHttpRequest& request) = 0;
};
