// The requests of the CardDAV protocol over a transport, and what their failures say to the
// user: each failure is one sentence that names the server.
#pragma once

#include "DavXml.h"
#include "HttpTransport.h"

#include <string>
#include <vector>

class CDavClient {
public:
    explicit CDavClient(IHttpTransport& http) : m_http(http) {}

    // PROPFIND with the depth and body; true for a multistatus, read into result.
    bool Propfind(const std::string& strUrl, int nDepth, const std::string& strBody, CMultiStatus& result);
    // REPORT with Depth 1 (sync-collection takes 0 by its rules; it is given there).
    CHttpResponse Report(const std::string& strUrl, int nDepth, const std::string& strBody);
    // Any other request; the response as it came, after noting a failure without response.
    CHttpResponse Send(const char* pszMethod, const std::string& strUrl, const std::string& strBody,
                       std::vector<std::pair<std::string, std::string>> headers);

    // Notes a failure of the request: no response, or a status the caller did not expect.
    void Fail(const char* pszMethod, const std::string& strUrl, const CHttpResponse& response);
    void Fail(const std::string& strError) { m_strError = strError; }
    // Forgets a failure the caller has dealt with (an answer too large, asked for again in parts).
    void ClearError() {
        m_strError.clear();
        m_strCertificateSha256.clear();
        m_nFailedStatus = 0;
    }

    IHttpTransport& Transport() { return m_http; }
    bool Failed() const { return !m_strError.empty(); }
    const std::string& Error() const { return m_strError; }
    const std::string& CertificateSha256() const { return m_strCertificateSha256; }
    // The status of the answer that failed last; 0 for none.
    int FailedStatus() const { return m_nFailedStatus; }

private:
    IHttpTransport& m_http;
    int m_nFailedStatus = 0;
    std::string m_strError;
    std::string m_strCertificateSha256;
};

// Whether the status is a success (2xx).
inline bool IsSuccess(int nStatus) { return nStatus >= 200 && nStatus < 300; }
inline bool IsRedirect(int nStatus) {
    return nStatus == 301 || nStatus == 302 || nStatus == 303 || nStatus == 307 || nStatus == 308;
}
// More redirects than this in a row is a server sending a request round in circles.
const int kMaxRedirects = 5;

struct CAddressBookInfo {
    std::string strUrl; // absolute, ending in "/"
    std::string strName;
};

// The address books at an address: the address of an address book itself, of a principal or
// home set, or of a server (through /.well-known/carddav). False with strError naming the server,
// and the fingerprint of a certificate that is not trusted.
bool FindAddressBooks(IHttpTransport& http, const std::string& strUrl, std::vector<CAddressBookInfo>& books,
                      std::string& strError, std::string& strCertificateSha256,
                      bool* pLoginRefused = nullptr);
