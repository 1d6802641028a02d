// The transport over libcurl, built with OpenSSL. The certificate check runs inside OpenSSL's
// verification of each connection: a certificate the system does not trust passes only when its
// SHA-256 is the trusted one, so no request ever travels on a connection that was not checked.
#include "HttpClient.h"

#include <curl/curl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <mutex>
#include <strings.h>

namespace {

const char* const s_pszUserAgent = "Tovano Address Book";

// What the certificate check of the current connection saw; OpenSSL's callback reaches it
// through the connection's SSL_CTX.
struct CCertificateCheck {
    std::string strTrustedSha256; // canonical, or empty when none is trusted beyond the system's
    std::string strHost;          // the name the certificate must carry; checked by OpenSSL
    std::string strLeafSha256;    // of the server's certificate, once seen
    bool bRejected = false;
};

int CertificateCheckIndex() {
    static const int s_nIndex = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return s_nIndex;
}

std::string Sha256Hex(X509* pCertificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    if (X509_digest(pCertificate, EVP_sha256(), digest, &nLength) != 1) {
        return std::string();
    }
    static const char s_szHex[] = "0123456789abcdef";
    std::string strHex;
    for (unsigned int i = 0; i < nLength; ++i) {
        strHex += s_szHex[digest[i] >> 4];
        strHex += s_szHex[digest[i] & 15];
    }
    return strHex;
}

int VerifyCertificate(int nPreverifyOk, X509_STORE_CTX* pStore) {
    auto* pSsl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(pStore, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* pCheck = pSsl ? static_cast<CCertificateCheck*>(
                              SSL_CTX_get_ex_data(SSL_get_SSL_CTX(pSsl), CertificateCheckIndex()))
                        : nullptr;
    if (pCheck == nullptr) {
        return 0;
    }
    X509* pLeaf = X509_STORE_CTX_get0_cert(pStore);
    if (pCheck->strLeafSha256.empty() && pLeaf != nullptr) {
        pCheck->strLeafSha256 = Sha256Hex(pLeaf);
    }
    if (nPreverifyOk) {
        return 1;
    }
    if (!pCheck->strTrustedSha256.empty() && pCheck->strLeafSha256 == pCheck->strTrustedSha256) {
        // libcurl looks at the verification's result again after the handshake.
        X509_STORE_CTX_set_error(pStore, X509_V_OK);
        return 1;
    }
    pCheck->bRejected = true;
    return 0;
}

// Called by libcurl for every new TLS connection, before its handshake.
CURLcode PrepareTls(CURL*, void* pSslCtx, void* pUser) {
    auto* pCtx = static_cast<SSL_CTX*>(pSslCtx);
    auto* pCheck = static_cast<CCertificateCheck*>(pUser);
    if (SSL_CTX_set_ex_data(pCtx, CertificateCheckIndex(), pCheck) != 1) {
        return CURLE_SSL_CERTPROBLEM;
    }
    pCheck->strLeafSha256.clear();
    if (!pCheck->strHost.empty()) {
        // libcurl's own name check is off when a certificate is trusted by its fingerprint (a
        // trusted fingerprint stands for any name); OpenSSL checks the name instead, so that a
        // mismatch reaches the callback above, which lets the trusted certificate through.
        X509_VERIFY_PARAM* pParam = SSL_CTX_get0_param(pCtx);
        if (X509_VERIFY_PARAM_set1_ip_asc(pParam, pCheck->strHost.c_str()) != 1 &&
            X509_VERIFY_PARAM_set1_host(pParam, pCheck->strHost.c_str(), 0) != 1) {
            return CURLE_SSL_CERTPROBLEM;
        }
    }
    SSL_CTX_set_verify(pCtx, SSL_VERIFY_PEER, VerifyCertificate);
    return CURLE_OK;
}

std::string HostOfUrl(const std::string& strUrl) {
    std::string strHost;
    CURLU* pUrl = curl_url();
    char* pszHost = nullptr;
    if (pUrl != nullptr && curl_url_set(pUrl, CURLUPART_URL, strUrl.c_str(), 0) == CURLUE_OK &&
        curl_url_get(pUrl, CURLUPART_HOST, &pszHost, 0) == CURLUE_OK) {
        strHost = pszHost;
        if (strHost.size() > 2 && strHost.front() == '[' && strHost.back() == ']') {
            strHost = strHost.substr(1, strHost.size() - 2);
        }
    }
    curl_free(pszHost);
    curl_url_cleanup(pUrl);
    return strHost;
}

// The answer being read, and the limit it is read to.
struct CAnswer {
    CHttpResponse response;
    size_t nMaxBytes = 0;
    size_t nHeaderBytes = 0;
    bool bTooLarge = false;
};

size_t OnHeader(char* pData, size_t nSize, size_t nCount, void* pUser) {
    auto* pAnswer = static_cast<CAnswer*>(pUser);
    CHttpResponse& response = pAnswer->response;
    size_t nLength = nSize * nCount;
    // Headers without end would fill the memory as a body would.
    pAnswer->nHeaderBytes += nLength;
    if (pAnswer->nHeaderBytes > pAnswer->nMaxBytes) {
        pAnswer->bTooLarge = true;
        return 0;
    }
    std::string strLine(pData, nLength);
    while (!strLine.empty() && (strLine.back() == '\n' || strLine.back() == '\r')) {
        strLine.pop_back();
    }
    if (strLine.compare(0, 5, "HTTP/") == 0) {
        // A new response begins (after a 100 Continue or an authentication round): only the last
        // one is the answer.
        response.headers.clear();
        response.strBody.clear();
    } else if (size_t nColon = strLine.find(':'); nColon != std::string::npos) {
        size_t nValue = strLine.find_first_not_of(" \t", nColon + 1);
        response.headers.emplace_back(strLine.substr(0, nColon),
                                      nValue == std::string::npos ? std::string() : strLine.substr(nValue));
    }
    return nLength;
}

// Refusing a piece ends the transfer there: an endless answer is never read past the limit.
size_t OnBody(char* pData, size_t nSize, size_t nCount, void* pUser) {
    auto* pAnswer = static_cast<CAnswer*>(pUser);
    size_t nLength = nSize * nCount;
    if (nLength > pAnswer->nMaxBytes - pAnswer->response.strBody.size()) {
        pAnswer->bTooLarge = true;
        return 0;
    }
    pAnswer->response.strBody.append(pData, nLength);
    return nLength;
}

HttpFailure FailureOf(CURLcode code, bool bCertificateRejected) {
    if (bCertificateRejected || code == CURLE_PEER_FAILED_VERIFICATION) {
        return HttpFailure::untrustedCertificate;
    }
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SSL_CONNECT_ERROR: return HttpFailure::cannotConnect;
    case CURLE_OPERATION_TIMEDOUT: return HttpFailure::timeout;
    case CURLE_FILESIZE_EXCEEDED: return HttpFailure::tooLarge;
    default: return HttpFailure::other;
    }
}

class CCurlTransport : public IHttpTransport {
public:
    explicit CCurlTransport(const CHttpOptions& options)
        : m_options(options), m_account(options), m_pCurl(curl_easy_init()) {
        m_check.strTrustedSha256 = CanonicalSha256(options.strTrustedCertificateSha256);
    }
    ~CCurlTransport() override {
        curl_easy_cleanup(m_pCurl);
        WipeSecret(m_options.strPassword);
    }
    CCurlTransport(const CCurlTransport&) = delete;
    CCurlTransport& operator=(const CCurlTransport&) = delete;

    CHttpResponse Send(const CHttpRequest& request) override;

private:
    curl_slist* PrepareRequest(const CHttpRequest& request, long nAuthScheme, CAnswer& answer);
    CHttpResponse Failed(CURLcode code, const CAnswer& answer) const;

    CHttpOptions m_options;
    CAccountScope m_account;
    // Outlives every connection of the handle, which reaches it from OpenSSL's callback.
    CCertificateCheck m_check;
    CURL* m_pCurl;
    char m_szError[CURL_ERROR_SIZE] = {};
    // The scheme the server asked for last, 0 before it asked. Over https Basic goes with the first
    // try of a request: offering several makes libcurl send each request once without the
    // password, and a server that refuses a large upload for want of it closes the connection
    // before reading it, so the answer is lost to a broken pipe.
    long m_nAuthScheme = 0;
};

curl_slist* CCurlTransport::PrepareRequest(const CHttpRequest& request, long nAuthScheme, CAnswer& answer) {
    // A reset keeps the open connections and TLS sessions, and forgets the last request's options;
    // among them the account, so that no request carries it unless set here.
    curl_easy_reset(m_pCurl);
    curl_easy_setopt(m_pCurl, CURLOPT_URL, request.strUrl.c_str());
    curl_easy_setopt(m_pCurl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_pCurl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_USERAGENT, s_pszUserAgent);
    curl_easy_setopt(m_pCurl, CURLOPT_ERRORBUFFER, m_szError);
    curl_easy_setopt(m_pCurl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_options.nTimeoutSeconds));
    // A timeout on the whole transfer would cut a large address book short: what counts is a
    // server that stops sending.
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_pCurl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_options.nTimeoutSeconds));
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(m_pCurl, CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(m_pCurl, CURLOPT_WRITEDATA, &answer);
    // An answer that announces more than the limit is refused before its body is read.
    curl_easy_setopt(m_pCurl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(answer.nMaxBytes));

    if (nAuthScheme != 0) {
        curl_easy_setopt(m_pCurl, CURLOPT_USERNAME, m_options.strUser.c_str());
        curl_easy_setopt(m_pCurl, CURLOPT_PASSWORD, m_options.strPassword.c_str());
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPAUTH, nAuthScheme);
    }

    m_check.bRejected = false;
    m_check.strLeafSha256.clear();
    m_check.strHost = m_check.strTrustedSha256.empty() ? std::string() : HostOfUrl(request.strUrl);
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_CTX_FUNCTION, PrepareTls);
    curl_easy_setopt(m_pCurl, CURLOPT_SSL_CTX_DATA, &m_check);
    if (!m_check.strHost.empty()) {
        curl_easy_setopt(m_pCurl, CURLOPT_SSL_VERIFYHOST, 0L);
    }

    // No redirect is followed (libcurl's default): the 3xx is the answer.
    if (request.strMethod == "GET") {
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPGET, 1L);
    } else if (request.strMethod == "HEAD") {
        curl_easy_setopt(m_pCurl, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(m_pCurl, CURLOPT_CUSTOMREQUEST, request.strMethod.c_str());
    }
    bool bHasBody = !request.strBody.empty() || request.strMethod == "PUT" || request.strMethod == "POST";
    if (bHasBody && request.strMethod != "GET" && request.strMethod != "HEAD") {
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDS, request.strBody.data());
        curl_easy_setopt(m_pCurl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.strBody.size()));
    }

    curl_slist* pHeaders = nullptr;
    bool bHasContentType = false;
    for (const auto& header : request.headers) {
        // "Name;" is libcurl's way of sending a header whose value is empty.
        std::string strLine = header.first + (header.second.empty() ? ";" : ": " + header.second);
        pHeaders = curl_slist_append(pHeaders, strLine.c_str());
        bHasContentType = bHasContentType || strcasecmp(header.first.c_str(), "Content-Type") == 0;
    }
    if (bHasBody && !bHasContentType) {
        pHeaders = curl_slist_append(pHeaders, "Content-Type:"); // not libcurl's form-data type
    }
    // Servers that do not answer "100 Continue" would cost a second on every upload.
    pHeaders = curl_slist_append(pHeaders, "Expect:");
    curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, pHeaders);
    return pHeaders;
}

CHttpResponse CCurlTransport::Send(const CHttpRequest& request) {
    if (m_pCurl == nullptr) {
        CHttpResponse response;
        response.failure = HttpFailure::other;
        response.strFailure = "the network library could not be started";
        return response;
    }
    bool bAccount = m_account.Covers(request.strUrl);
    long nAuthScheme = !bAccount                                        ? 0
                       : m_nAuthScheme != 0                             ? m_nAuthScheme
                       : CAccountScope::MayOfferUnasked(request.strUrl) ? CURLAUTH_BASIC
                                                                        : 0;
    // Once more when the server asks for the account in a scheme it was not sent in; Digest keeps
    // the password off the wire, so it wins when the server offers both.
    for (int nRound = 0;; ++nRound) {
        CAnswer answer;
        answer.nMaxBytes = m_options.nMaxResponseBytes;
        m_szError[0] = '\0';
        curl_slist* pHeaders = PrepareRequest(request, nAuthScheme, answer);
        CURLcode code = curl_easy_perform(m_pCurl);
        curl_slist_free_all(pHeaders);
        curl_easy_setopt(m_pCurl, CURLOPT_HTTPHEADER, nullptr);
        if (code != CURLE_OK) {
            return Failed(code, answer);
        }
        long nStatus = 0, nOffered = 0;
        curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
        answer.response.nStatus = static_cast<int>(nStatus);
        if (nRound == 1 || nStatus != 401 || !bAccount ||
            curl_easy_getinfo(m_pCurl, CURLINFO_HTTPAUTH_AVAIL, &nOffered) != CURLE_OK) {
            return answer.response;
        }
        long nAsked = (nOffered & CURLAUTH_DIGEST)  ? CURLAUTH_DIGEST
                      : (nOffered & CURLAUTH_BASIC) ? CURLAUTH_BASIC
                                                    : 0;
        if (nAsked == 0 || nAsked == nAuthScheme) {
            return answer.response; // refused in the scheme it asks for: the account is wrong
        }
        m_nAuthScheme = nAuthScheme = nAsked;
    }
}

CHttpResponse CCurlTransport::Failed(CURLcode code, const CAnswer& answer) const {
    CHttpResponse failed;
    failed.failure = answer.bTooLarge ? HttpFailure::tooLarge : FailureOf(code, m_check.bRejected);
    if (failed.failure == HttpFailure::tooLarge) {
        failed.strFailure = TooLargeText(answer.nMaxBytes);
    } else if (code == CURLE_PARTIAL_FILE) {
        failed.strFailure = kCutShortText;
    } else {
        failed.strFailure = m_szError[0] != '\0' ? m_szError : curl_easy_strerror(code);
    }
    if (failed.failure == HttpFailure::untrustedCertificate) {
        failed.strCertificateSha256 = m_check.strLeafSha256;
    }
    return failed;
}

} // namespace

void WipeSecret(std::string& str) {
    // The whole buffer, not only the text: a password that was longer once left bytes beyond it.
    str.resize(str.capacity());
    OPENSSL_cleanse(&str[0], str.size());
    str.clear();
}

std::unique_ptr<IHttpTransport> MakeHttpTransport(const CHttpOptions& options) {
    static std::once_flag s_initialised;
    std::call_once(s_initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return std::make_unique<CCurlTransport>(options);
}
