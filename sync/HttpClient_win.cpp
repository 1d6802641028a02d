// The transport over WinHTTP: the system's certificate store, its proxy settings, and its words
// for what went wrong. One session per transport keeps connections open between requests.
#include "HttpClient.h"

#include "framework/core/WideText.h"

#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>

namespace {

const wchar_t* const s_pszUserAgent = L"Tovano Address Book";

// The certificate failures a trusted fingerprint overrides; revocation stays checked.
const DWORD s_dwIgnoreCertificateFlags =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;

class CInternetHandle {
public:
    explicit CInternetHandle(HINTERNET h = nullptr) : m_h(h) {}
    ~CInternetHandle() {
        if (m_h != nullptr) {
            WinHttpCloseHandle(m_h);
        }
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    HINTERNET Get() const { return m_h; }

private:
    HINTERNET m_h;
};

std::string Utf8(const std::wstring& wstr) {
    return std::string(FromWide(wstr.c_str(), static_cast<int>(wstr.size())));
}

// Plain words for what a user meets most, which the system's sentences put in its own terms
// (and Wine leaves without any).
const char* PlainErrorText(DWORD dwError) {
    switch (dwError) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "no server of that name was found";
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case WSAECONNREFUSED: return "nothing answered at that address";
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case WSAECONNRESET:
    case WSAECONNABORTED: return "the connection was broken off";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "its answer could not be understood";
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return "no secure connection could be made; if the server uses plain http, begin the address with "
               "http://";
    default: return nullptr;
    }
}

// The reason of an error in words, WinHTTP's own messages included, with its number.
std::string SystemErrorText(DWORD dwError) {
    std::string strCode = "error " + std::to_string(dwError);
    if (const char* pszPlain = PlainErrorText(dwError)) {
        return std::string(pszPlain) + " (" + strCode + ")";
    }
    wchar_t* pszText = nullptr;
    DWORD dwFlags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE hWinHttp = GetModuleHandleW(L"winhttp.dll");
    if (hWinHttp != nullptr && dwError >= WINHTTP_ERROR_BASE && dwError <= WINHTTP_ERROR_LAST) {
        dwFlags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    DWORD dwLength =
        FormatMessageW(dwFlags, hWinHttp, dwError, 0, reinterpret_cast<wchar_t*>(&pszText), 0, nullptr);
    std::wstring wstrText = dwLength != 0 ? std::wstring(pszText, dwLength) : std::wstring();
    LocalFree(pszText);
    while (!wstrText.empty() && (wstrText.back() == L'\n' || wstrText.back() == L'\r' ||
                                 wstrText.back() == L' ' || wstrText.back() == L'.')) {
        wstrText.pop_back();
    }
    return wstrText.empty() ? strCode : Utf8(wstrText) + " (" + strCode + ")";
}

HttpFailure FailureOf(DWORD dwError) {
    switch (dwError) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case WSAECONNREFUSED:
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH: return HttpFailure::cannotConnect;
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT: return HttpFailure::timeout;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_SECURE_INVALID_CERT: return HttpFailure::untrustedCertificate;
    case ERROR_WINHTTP_OPERATION_CANCELLED: return HttpFailure::cancelled;
    default: return HttpFailure::other;
    }
}

CHttpResponse Failure(HttpFailure failure, const std::string& strText) {
    CHttpResponse response;
    response.failure = failure;
    response.strFailure = strText;
    return response;
}

CHttpResponse FailureOfError(DWORD dwError) { return Failure(FailureOf(dwError), SystemErrorText(dwError)); }

// The SHA-256 of the certificate the server of hRequest presented; empty when none is known.
std::string ServerCertificateSha256(HINTERNET hRequest) {
    PCCERT_CONTEXT pCertificate = nullptr;
    DWORD dwSize = sizeof(pCertificate);
    if (!WinHttpQueryOption(hRequest, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &pCertificate, &dwSize) ||
        pCertificate == nullptr) {
        return std::string();
    }
    BYTE digest[32];
    DWORD dwDigest = sizeof(digest);
    BOOL bHashed = CryptHashCertificate2(L"SHA256", 0, nullptr, pCertificate->pbCertEncoded,
                                         pCertificate->cbCertEncoded, digest, &dwDigest);
    CertFreeCertificateContext(pCertificate);
    if (!bHashed || dwDigest != sizeof(digest)) {
        return std::string();
    }
    static const char s_szHex[] = "0123456789abcdef";
    std::string strHex;
    for (BYTE b : digest) {
        strHex += s_szHex[b >> 4];
        strHex += s_szHex[b & 15];
    }
    return strHex;
}

// The certificate of a server whose handshake failed, for the systems that do not keep it on the
// failed request (Wine): a request without account or body, on a connection of its own that is
// never reused, with the certificate checks off, only to see the certificate.
// The session's timeouts leave the wait for an answer's headers to this option; without it Wine
// waits for a server that never answers for ever (its send waits for the answer too), and
// Windows for 90 seconds.
void SetAnswerTimeout(HINTERNET hRequest, int nTimeoutSeconds) {
    DWORD dwWaitMs = static_cast<DWORD>(nTimeoutSeconds) * 1000;
    WinHttpSetOption(hRequest, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &dwWaitMs, sizeof(dwWaitMs));
}

std::string ProbeCertificateSha256(HINTERNET hConnect, const std::wstring& wstrPath, int nTimeoutSeconds) {
    CInternetHandle hProbe(WinHttpOpenRequest(hConnect, L"HEAD", wstrPath.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              WINHTTP_FLAG_SECURE));
    DWORD dwSecurity = s_dwIgnoreCertificateFlags;
    DWORD dwFeature = WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_REDIRECTS;
    if (hProbe.Get() != nullptr) {
        SetAnswerTimeout(hProbe.Get(), nTimeoutSeconds);
    }
    if (hProbe.Get() == nullptr ||
        !WinHttpSetOption(hProbe.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &dwSecurity, sizeof(dwSecurity)) ||
        !WinHttpSetOption(hProbe.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &dwFeature, sizeof(dwFeature)) ||
        !WinHttpSendRequest(hProbe.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                            0)) {
        return std::string();
    }
    return ServerCertificateSha256(hProbe.Get());
}

bool AddHeaders(HINTERNET hRequest, const std::vector<std::pair<std::string, std::string>>& headers) {
    for (const auto& header : headers) {
        std::wstring wstrLine = ToWide((header.first + ": " + header.second).c_str());
        if (!WinHttpAddRequestHeaders(hRequest, wstrLine.c_str(), static_cast<DWORD>(wstrLine.size()),
                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
            return false;
        }
    }
    return true;
}

// The response's headers in the order and spelling the server sent them.
std::vector<std::pair<std::string, std::string>> ResponseHeaders(HINTERNET hRequest) {
    std::vector<std::pair<std::string, std::string>> headers;
    DWORD dwSize = 0;
    WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr,
                        &dwSize, WINHTTP_NO_HEADER_INDEX);
    std::wstring wstrRaw(dwSize / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                             &wstrRaw[0], &dwSize, WINHTTP_NO_HEADER_INDEX)) {
        return headers;
    }
    std::string strRaw = Utf8(wstrRaw.substr(0, dwSize / sizeof(wchar_t)));
    size_t nLine = strRaw.find("\r\n"); // past the status line
    while (nLine != std::string::npos) {
        size_t nStart = nLine + 2;
        nLine = strRaw.find("\r\n", nStart);
        std::string strLine =
            strRaw.substr(nStart, nLine == std::string::npos ? std::string::npos : nLine - nStart);
        size_t nColon = strLine.find(':');
        if (nColon == std::string::npos) {
            continue;
        }
        size_t nValue = strLine.find_first_not_of(" \t", nColon + 1);
        headers.emplace_back(strLine.substr(0, nColon),
                             nValue == std::string::npos ? std::string() : strLine.substr(nValue));
    }
    return headers;
}

const DWORD kReadPiece = 64 * 1024;

bool ReadBody(HINTERNET hRequest, std::string& strBody) {
    strBody.clear();
    for (;;) {
        DWORD dwAvailable = 0;
        if (!WinHttpQueryDataAvailable(hRequest, &dwAvailable)) {
            return false;
        }
        if (dwAvailable == 0) {
            return true;
        }
        // After a connection was reset, Wine has reported a negative count here, as gigabytes,
        // and any read then copies that much and crashes: the connection is taken as lost.
        if (dwAvailable > 0x7FFFFFFFu) {
            SetLastError(ERROR_WINHTTP_CONNECTION_ERROR);
            return false;
        }
        // What is said to be available is asked for in pieces, so a large answer never needs
        // one allocation of its whole size.
        DWORD dwWanted = std::min<DWORD>(dwAvailable, kReadPiece);
        size_t nOld = strBody.size();
        strBody.resize(nOld + dwWanted);
        DWORD dwRead = 0;
        if (!WinHttpReadData(hRequest, &strBody[nOld], dwWanted, &dwRead)) {
            return false;
        }
        strBody.resize(nOld + dwRead);
        if (dwRead == 0) {
            // The end of the response, whatever was said to be available: a connection the
            // server dropped must not keep the read going round.
            return true;
        }
    }
}

// Digest keeps the password off the wire, so it wins when the server offers both.
DWORD ChooseAuthScheme(HINTERNET hRequest) {
    DWORD dwSupported = 0, dwFirst = 0, dwTarget = 0;
    if (!WinHttpQueryAuthSchemes(hRequest, &dwSupported, &dwFirst, &dwTarget) ||
        dwTarget != WINHTTP_AUTH_TARGET_SERVER) {
        return 0;
    }
    if (dwSupported & WINHTTP_AUTH_SCHEME_DIGEST) {
        return WINHTTP_AUTH_SCHEME_DIGEST;
    }
    return (dwSupported & WINHTTP_AUTH_SCHEME_BASIC) ? WINHTTP_AUTH_SCHEME_BASIC : 0;
}

class CWinHttpTransport : public IHttpTransport {
public:
    explicit CWinHttpTransport(const CHttpOptions& options);
    CHttpResponse Send(const CHttpRequest& request) override;

private:
    bool SetCredentials(HINTERNET hRequest, DWORD dwScheme);
    CHttpResponse Exchange(HINTERNET hConnect, const std::wstring& wstrPath, HINTERNET hRequest,
                           const CHttpRequest& request);

    CHttpOptions m_options;
    std::string m_strTrustedSha256;
    DWORD m_dwOpenError = 0; // before m_hSession, which sets it
    CInternetHandle m_hSession;
    // The scheme the server asked for last; Basic goes with the first try of a request, since a
    // server that refuses a large upload for want of a password may close the connection
    // before it has read it.
    DWORD m_dwAuthScheme = WINHTTP_AUTH_SCHEME_BASIC;
};

// The automatic proxy (the system's settings, discovery included) exists from Windows 8.1 on;
// before it the default proxy is the configured one.
HINTERNET OpenSession(int nTimeoutSeconds, DWORD& dwError) {
    HINTERNET hSession = WinHttpOpen(s_pszUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (hSession == nullptr) {
        hSession = WinHttpOpen(s_pszUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0);
    }
    if (hSession == nullptr) {
        dwError = GetLastError();
        return nullptr;
    }
    int nMilliseconds = nTimeoutSeconds * 1000;
    WinHttpSetTimeouts(hSession, nMilliseconds, nMilliseconds, nMilliseconds, nMilliseconds);
    return hSession;
}

CWinHttpTransport::CWinHttpTransport(const CHttpOptions& options)
    : m_options(options), m_strTrustedSha256(CanonicalSha256(options.strTrustedCertificateSha256)),
      m_hSession(OpenSession(options.nTimeoutSeconds, m_dwOpenError)) {}

bool CWinHttpTransport::SetCredentials(HINTERNET hRequest, DWORD dwScheme) {
    return WinHttpSetCredentials(hRequest, WINHTTP_AUTH_TARGET_SERVER, dwScheme,
                                 ToWide(m_options.strUser.c_str()).c_str(),
                                 ToWide(m_options.strPassword.c_str()).c_str(), nullptr) != FALSE;
}

CHttpResponse CWinHttpTransport::Send(const CHttpRequest& request) {
    if (m_hSession.Get() == nullptr) {
        return Failure(HttpFailure::other,
                       "the system's HTTP service could not be started: " + SystemErrorText(m_dwOpenError));
    }
    std::wstring wstrUrl = ToWide(request.strUrl.c_str());
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wstrUrl.c_str(), static_cast<DWORD>(wstrUrl.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        return Failure(HttpFailure::other, "its address is not a valid http:// or https:// address");
    }
    std::wstring wstrHost(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring wstrPath = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    CInternetHandle hConnect(WinHttpConnect(m_hSession.Get(), wstrHost.c_str(), parts.nPort, 0));
    if (hConnect.Get() == nullptr) {
        return FailureOfError(GetLastError());
    }
    // The path goes out as the server wrote it in its answers, already escaped.
    DWORD dwFlags =
        WINHTTP_FLAG_ESCAPE_DISABLE | (parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
    CInternetHandle hRequest(WinHttpOpenRequest(hConnect.Get(), ToWide(request.strMethod.c_str()).c_str(),
                                                wstrPath.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, dwFlags));
    if (hRequest.Get() == nullptr) {
        return FailureOfError(GetLastError());
    }
    SetAnswerTimeout(hRequest.Get(), m_options.nTimeoutSeconds);
    // Never the Windows logon of the user: only the account given for the server.
    DWORD dwAutoLogon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &dwAutoLogon, sizeof(dwAutoLogon));
    if (request.strMethod != "GET") {
        DWORD dwFeature = WINHTTP_DISABLE_REDIRECTS;
        if (!WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &dwFeature,
                              sizeof(dwFeature))) {
            return FailureOfError(GetLastError());
        }
    }
    if (!AddHeaders(hRequest.Get(), request.headers)) {
        return FailureOfError(GetLastError());
    }
    return Exchange(hConnect.Get(), wstrPath, hRequest.Get(), request);
}

CHttpResponse CWinHttpTransport::Exchange(HINTERNET hConnect, const std::wstring& wstrPath,
                                          HINTERNET hRequest, const CHttpRequest& request) {
    bool bHasAccount = !m_options.strUser.empty() || !m_options.strPassword.empty();
    DWORD dwSentScheme = 0;
    bool bTrustedByFingerprint = false;
    if (bHasAccount && m_dwAuthScheme == WINHTTP_AUTH_SCHEME_BASIC &&
        SetCredentials(hRequest, m_dwAuthScheme)) {
        dwSentScheme = m_dwAuthScheme;
    }
    // A few rounds at most: one for the certificate, one for the password, one for a resend
    // WinHTTP asks for.
    for (int nRound = 0; nRound < 4; ++nRound) {
        void* pBody =
            request.strBody.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(request.strBody.data());
        DWORD dwBody = static_cast<DWORD>(request.strBody.size());
        if (!WinHttpSendRequest(hRequest, WINHTTP_NO_ADDITIONAL_HEADERS, 0, pBody, dwBody, dwBody, 0) ||
            !WinHttpReceiveResponse(hRequest, nullptr)) {
            DWORD dwError = GetLastError();
            if (dwError == ERROR_WINHTTP_RESEND_REQUEST) {
                continue;
            }
            CHttpResponse failed = FailureOfError(dwError);
            bool bSecureFailure = failed.failure == HttpFailure::untrustedCertificate ||
                                  dwError == ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
            if (!bSecureFailure || bTrustedByFingerprint) {
                return failed;
            }
            // Windows keeps the certificate on the failed request; Wine reports a refused
            // certificate as a failed channel and keeps none, so a probe fetches it.
            std::string strSha256 = ServerCertificateSha256(hRequest);
            if (strSha256.empty()) {
                strSha256 = ProbeCertificateSha256(hConnect, wstrPath, m_options.nTimeoutSeconds);
            }
            if (strSha256.empty()) {
                return failed;
            }
            if (failed.failure != HttpFailure::untrustedCertificate) {
                failed = FailureOfError(ERROR_WINHTTP_SECURE_INVALID_CA);
            }
            failed.strCertificateSha256 = strSha256;
            if (m_strTrustedSha256.empty() || failed.strCertificateSha256 != m_strTrustedSha256) {
                return failed;
            }
            DWORD dwSecurity = s_dwIgnoreCertificateFlags;
            if (!WinHttpSetOption(hRequest, WINHTTP_OPTION_SECURITY_FLAGS, &dwSecurity, sizeof(dwSecurity))) {
                return FailureOfError(GetLastError());
            }
            bTrustedByFingerprint = true;
            continue;
        }
        // With the checks off, WinHTTP has no step between the handshake and the request where
        // the certificate could be compared; it is compared with the answer, and an answer that
        // came with another certificate is not taken.
        if (bTrustedByFingerprint) {
            std::string strSha256 = ServerCertificateSha256(hRequest);
            if (strSha256 != m_strTrustedSha256) {
                CHttpResponse failed = FailureOfError(ERROR_WINHTTP_SECURE_INVALID_CA);
                failed.strCertificateSha256 = strSha256;
                return failed;
            }
        }
        CHttpResponse response;
        DWORD dwStatus = 0, dwSize = sizeof(dwStatus);
        if (!WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX)) {
            return FailureOfError(GetLastError());
        }
        // Nothing reads the page of a refused password; a server may reset the connection
        // while it is sent, and WinHTTP sends the request again without it.
        bool bBodyRead = dwStatus == HTTP_STATUS_DENIED || ReadBody(hRequest, response.strBody);
        if (!bBodyRead) {
            return FailureOfError(GetLastError());
        }
        // Once more with the password, or with the scheme the server asks for instead of Basic.
        if (dwStatus == HTTP_STATUS_DENIED && bHasAccount) {
            DWORD dwScheme = ChooseAuthScheme(hRequest);
            if (dwScheme != 0 && dwScheme != dwSentScheme && SetCredentials(hRequest, dwScheme)) {
                m_dwAuthScheme = dwSentScheme = dwScheme;
                continue;
            }
        }
        response.nStatus = static_cast<int>(dwStatus);
        response.headers = ResponseHeaders(hRequest);
        return response;
    }
    return Failure(HttpFailure::other, "the server kept asking for the request again");
}

} // namespace

std::unique_ptr<IHttpTransport> MakeHttpTransport(const CHttpOptions& options) {
    return std::make_unique<CWinHttpTransport>(options);
}
