// The transport over WinHTTP: the system's certificate store, its proxy settings, and its words
// for what went wrong. One session per transport keeps connections open between requests; a
// server trusted by its certificate's fingerprint is reached through a session of its own that
// goes through the server's gate (TlsGate.h), which compares the certificate inside the handshake.
#include "HttpClient.h"
#include "TlsGate.h"

#include "framework/base/Handles.h"
#include "framework/core/WideText.h"

#include <windows.h>

#include <wincrypt.h>
#include <winhttp.h>

#include <algorithm>
#include <vector>

namespace {

const wchar_t* const s_pszUserAgent = L"Tovano Address Book";

// The certificate failures a trusted fingerprint overrides; revocation stays checked.
const DWORD s_dwIgnoreCertificateFlags =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;

BOOL WINAPI CloseInternetHandle(HINTERNET hInternet) { return ::WinHttpCloseHandle(hInternet); }

// A session, connection or request of WinHTTP.
using CInternetHandle = CHandleOwner<HINTERNET, &CloseInternetHandle>;

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

// The session's timeouts leave the wait for an answer's headers to this option; without it Wine
// waits for a server that never answers for ever (its send waits for the answer too), and
// Windows for 90 seconds.
void SetAnswerTimeout(HINTERNET hRequest, int nTimeoutSeconds) {
    DWORD dwWaitMs = static_cast<DWORD>(nTimeoutSeconds) * 1000;
    WinHttpSetOption(hRequest, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &dwWaitMs, sizeof(dwWaitMs));
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

// The Content-Length of the answer; false when it has none, or names no number.
bool AnnouncedLength(HINTERNET hRequest, unsigned long long& nLength) {
    wchar_t szValue[32];
    DWORD dwSize = sizeof(szValue);
    if (!WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, szValue,
                             &dwSize, WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    nLength = 0;
    size_t nDigits = dwSize / sizeof(wchar_t);
    for (size_t i = 0; i < nDigits; ++i) {
        if (szValue[i] < L'0' || szValue[i] > L'9' || nLength > 0xFFFFFFFFFFFFFull / 10) {
            return false;
        }
        nLength = nLength * 10 + static_cast<unsigned>(szValue[i] - L'0');
    }
    return nDigits != 0;
}

bool IsChunked(HINTERNET hRequest) {
    wchar_t szValue[64];
    DWORD dwSize = sizeof(szValue);
    return WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_TRANSFER_ENCODING, WINHTTP_HEADER_NAME_BY_INDEX,
                               szValue, &dwSize, WINHTTP_NO_HEADER_INDEX) &&
           _wcsnicmp(szValue, L"chunked", 7) == 0;
}

// Reads the body up to nMaxBytes. An answer larger than that is refused when it says so and
// otherwise read no further than the limit; one shorter than it said is a broken connection:
// WinHTTP (Wine's at least) ends such a read as if the answer were whole.
CHttpResponse ReadBody(HINTERNET hRequest, size_t nMaxBytes) {
    CHttpResponse response;
    unsigned long long nAnnounced = 0;
    bool bAnnounced = !IsChunked(hRequest) && AnnouncedLength(hRequest, nAnnounced);
    if (bAnnounced && nAnnounced > nMaxBytes) {
        return Failure(HttpFailure::tooLarge, TooLargeText(nMaxBytes));
    }
    response.strBody.reserve(bAnnounced ? static_cast<size_t>(nAnnounced) : 0);
    for (;;) {
        DWORD dwAvailable = 0;
        if (!WinHttpQueryDataAvailable(hRequest, &dwAvailable)) {
            break;
        }
        if (dwAvailable == 0) {
            if (bAnnounced && response.strBody.size() < nAnnounced) {
                return Failure(HttpFailure::cannotConnect, kCutShortText);
            }
            return response;
        }
        // After a connection was reset, Wine has reported a negative count here, as gigabytes,
        // and any read then copies that much and crashes: the connection is taken as lost.
        if (dwAvailable > 0x7FFFFFFFu) {
            return Failure(HttpFailure::cannotConnect, kCutShortText);
        }
        // What is said to be available is asked for in pieces, so a large answer never needs
        // one allocation of its whole size; and never past the limit, which an answer that
        // reaches it exceeds.
        size_t nOld = response.strBody.size();
        if (nOld == nMaxBytes) {
            return Failure(HttpFailure::tooLarge, TooLargeText(nMaxBytes));
        }
        DWORD dwWanted = static_cast<DWORD>(std::min<size_t>({dwAvailable, kReadPiece, nMaxBytes - nOld}));
        response.strBody.resize(nOld + dwWanted);
        DWORD dwRead = 0;
        if (!WinHttpReadData(hRequest, &response.strBody[nOld], dwWanted, &dwRead)) {
            break;
        }
        response.strBody.resize(nOld + dwRead);
        if (dwRead == 0) {
            // The end of the response, whatever was said to be available: a connection the
            // server dropped must not keep the read going round.
            if (bAnnounced && response.strBody.size() < nAnnounced) {
                return Failure(HttpFailure::cannotConnect, kCutShortText);
            }
            return response;
        }
    }
    DWORD dwError = GetLastError();
    CHttpResponse failed = FailureOfError(dwError);
    if (failed.failure == HttpFailure::cannotConnect) {
        failed.strFailure = kCutShortText; // the answer had begun
    }
    return failed;
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

void WipeWide(std::wstring& wstr) {
    if (!wstr.empty()) {
        SecureZeroMemory(&wstr[0], wstr.size() * sizeof(wchar_t));
    }
    wstr.clear();
}

// Where a request goes, from its URL.
struct CTarget {
    std::wstring wstrHost, wstrPath;
    INTERNET_PORT nPort = 0;
    bool bSecure = false;
};

class CWinHttpTransport : public IHttpTransport {
public:
    explicit CWinHttpTransport(const CHttpOptions& options);
    ~CWinHttpTransport() override;
    CWinHttpTransport(const CWinHttpTransport&) = delete;
    CWinHttpTransport& operator=(const CWinHttpTransport&) = delete;
    CHttpResponse Send(const CHttpRequest& request) override;

private:
    // A server reached through a gate, and the session that goes through it. The session is
    // closed before the gate, whose connections it holds.
    struct CGated {
        std::string strKey; // "host:port"
        std::unique_ptr<CTlsGate> pGate;
        CInternetHandle hSession;
    };
    CGated* GateFor(const CTarget& target, std::string& strError);
    CHttpResponse SendGated(const CTarget& target, const CHttpRequest& request, bool bAccount);
    CHttpResponse Attempt(HINTERNET hSession, const CTarget& target, const CHttpRequest& request,
                          bool bAccount, bool bGated, bool* pSecureFailure = nullptr);
    CHttpResponse Exchange(HINTERNET hRequest, const CHttpRequest& request, bool bAccount, DWORD& dwError);
    bool SetCredentials(HINTERNET hRequest, DWORD dwScheme);
    void AskForChallenge(HINTERNET hConnect, const CTarget& target);

    CHttpOptions m_options;
    CAccountScope m_account;
    std::string m_strTrustedSha256;
    DWORD m_dwOpenError = 0; // before m_hSession, which sets it
    CInternetHandle m_hSession;
    std::vector<std::unique_ptr<CGated>> m_gated;
    // The scheme the server asked for last, 0 before it asked. Over https Basic goes with the
    // first try of a request, since a server that refuses a large upload for want of a password
    // may close the connection before it has read it.
    DWORD m_dwAuthScheme = 0;
    bool m_bAskedForChallenge = false;
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
    : m_options(options), m_account(options),
      m_strTrustedSha256(CanonicalSha256(options.strTrustedCertificateSha256)),
      m_hSession(OpenSession(options.nTimeoutSeconds, m_dwOpenError)) {}

CWinHttpTransport::~CWinHttpTransport() { WipeSecret(m_options.strPassword); }

bool CWinHttpTransport::SetCredentials(HINTERNET hRequest, DWORD dwScheme) {
    std::wstring wstrUser = ToWide(m_options.strUser.c_str());
    std::wstring wstrPassword = ToWide(m_options.strPassword.c_str());
    bool bSet = WinHttpSetCredentials(hRequest, WINHTTP_AUTH_TARGET_SERVER, dwScheme, wstrUser.c_str(),
                                      wstrPassword.c_str(), nullptr) != FALSE;
    WipeWide(wstrPassword);
    return bSet;
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
    CTarget target;
    target.wstrHost.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.wstrPath = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                      std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    target.nPort = parts.nPort;
    target.bSecure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    bool bAccount = m_account.Covers(request.strUrl);
    // A server trusted by its fingerprint is only ever reached through its gate.
    if (target.bSecure && !m_strTrustedSha256.empty()) {
        return SendGated(target, request, bAccount);
    }
    bool bSecureFailure = false;
    CHttpResponse response = Attempt(m_hSession.Get(), target, request, bAccount, false, &bSecureFailure);
    if (!bSecureFailure || !response.strCertificateSha256.empty()) {
        return response;
    }
    // Windows keeps the refused certificate on the request; Wine keeps none, and refuses it as a
    // failed channel. Its fingerprint is then read by a gate, which lets nothing through to a
    // server the system does not trust.
    CHttpResponse gated = SendGated(target, request, bAccount);
    return gated.failure == HttpFailure::untrustedCertificate && !gated.strCertificateSha256.empty()
               ? gated
               : response;
}

CWinHttpTransport::CGated* CWinHttpTransport::GateFor(const CTarget& target, std::string& strError) {
    std::string strHost =
        std::string(FromWide(target.wstrHost.c_str(), static_cast<int>(target.wstrHost.size())));
    std::string strKey = strHost + ":" + std::to_string(target.nPort);
    for (auto& pGated : m_gated) {
        if (pGated->strKey == strKey) {
            return pGated.get();
        }
    }
    auto pGated = std::make_unique<CGated>();
    pGated->strKey = strKey;
    pGated->pGate =
        std::make_unique<CTlsGate>(strHost, target.nPort, m_strTrustedSha256, m_options.nTimeoutSeconds);
    if (!pGated->pGate->Open(strError)) {
        return nullptr;
    }
    // The gate stands for the server: no other proxy, and no name of the server that would
    // bypass it. TLS 1.2, since TLS 1.3 hides the certificate from the gate.
    std::wstring wstrProxy = L"127.0.0.1:" + std::to_wstring(pGated->pGate->Port());
    HINTERNET hSession = WinHttpOpen(s_pszUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, wstrProxy.c_str(),
                                     WINHTTP_NO_PROXY_BYPASS, 0);
    DWORD dwProtocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    if (hSession == nullptr ||
        !WinHttpSetOption(hSession, WINHTTP_OPTION_SECURE_PROTOCOLS, &dwProtocols, sizeof(dwProtocols))) {
        strError = "the system's HTTP service could not be started: " + SystemErrorText(GetLastError());
        if (hSession != nullptr) {
            WinHttpCloseHandle(hSession);
        }
        return nullptr;
    }
    int nMilliseconds = m_options.nTimeoutSeconds * 1000;
    WinHttpSetTimeouts(hSession, nMilliseconds, nMilliseconds, nMilliseconds, nMilliseconds);
    pGated->hSession.Attach(hSession);
    m_gated.push_back(std::move(pGated));
    return m_gated.back().get();
}

CHttpResponse CWinHttpTransport::SendGated(const CTarget& target, const CHttpRequest& request,
                                           bool bAccount) {
    std::string strError;
    CGated* pGated = GateFor(target, strError);
    if (pGated == nullptr) {
        return Failure(HttpFailure::other, strError);
    }
    pGated->pGate->TakeOutcome();
    // A session the system offered to resume that the gate cannot vouch for is refused once; the
    // system then shakes hands anew.
    for (int nTry = 0;; ++nTry) {
        CHttpResponse response = Attempt(pGated->hSession.Get(), target, request, bAccount, true);
        CTlsGateOutcome outcome = pGated->pGate->TakeOutcome();
        if (!outcome.strRefusedSha256.empty()) {
            CHttpResponse refused = FailureOfError(ERROR_WINHTTP_SECURE_INVALID_CA);
            refused.strCertificateSha256 = outcome.strRefusedSha256;
            return refused;
        }
        if (!outcome.strUnreachable.empty()) {
            return Failure(HttpFailure::cannotConnect, outcome.strUnreachable);
        }
        if (!outcome.bRefusedResumption || nTry == 1) {
            return response;
        }
    }
}

// One request through hSession: the gate's (bGated), where the gate has compared the certificate
// before WinHTTP could send anything, or the direct one, where the system's checks stand.
CHttpResponse CWinHttpTransport::Attempt(HINTERNET hSession, const CTarget& target,
                                         const CHttpRequest& request, bool bAccount, bool bGated,
                                         bool* pSecureFailure) {
    CInternetHandle hConnect(WinHttpConnect(hSession, target.wstrHost.c_str(), target.nPort, 0));
    if (hConnect.Get() == nullptr) {
        return FailureOfError(GetLastError());
    }
    // The path goes out as the server wrote it in its answers, already escaped.
    DWORD dwFlags = WINHTTP_FLAG_ESCAPE_DISABLE | (target.bSecure ? WINHTTP_FLAG_SECURE : 0);
    CInternetHandle hRequest(WinHttpOpenRequest(hConnect.Get(), ToWide(request.strMethod.c_str()).c_str(),
                                                target.wstrPath.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, dwFlags));
    if (hRequest.Get() == nullptr) {
        return FailureOfError(GetLastError());
    }
    SetAnswerTimeout(hRequest.Get(), m_options.nTimeoutSeconds);
    // Never the Windows logon of the user: only the account given for the server.
    DWORD dwAutoLogon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_AUTOLOGON_POLICY, &dwAutoLogon, sizeof(dwAutoLogon));
    DWORD dwFeature = WINHTTP_DISABLE_REDIRECTS;
    DWORD dwSecurity = s_dwIgnoreCertificateFlags;
    if (!WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &dwFeature, sizeof(dwFeature)) ||
        (bGated &&
         !WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_SECURITY_FLAGS, &dwSecurity, sizeof(dwSecurity))) ||
        !AddHeaders(hRequest.Get(), request.headers)) {
        return FailureOfError(GetLastError());
    }
    // Over plain http the account waits for the server to ask for it. A server that asks
    // before it has read a body may close the connection on it, and Wine's WinHTTP then loses
    // the answer: before the first request with a body, one without asks how the account is
    // wanted.
    if (bAccount && m_dwAuthScheme == 0 && !m_bAskedForChallenge && !request.strBody.empty() &&
        !CAccountScope::MayOfferUnasked(request.strUrl)) {
        AskForChallenge(hConnect.Get(), target);
    }
    DWORD dwError = 0;
    CHttpResponse response = Exchange(hRequest.Get(), request, bAccount, dwError);
    // A handshake that failed: a certificate the system refused, or (Wine) any failed channel.
    bool bSecureFailure = response.failure == HttpFailure::untrustedCertificate ||
                          dwError == ERROR_WINHTTP_SECURE_CHANNEL_ERROR;
    if (pSecureFailure != nullptr && bSecureFailure) {
        *pSecureFailure = true;
        std::string strSha256 = ServerCertificateSha256(hRequest.Get());
        if (!strSha256.empty()) {
            response = FailureOfError(ERROR_WINHTTP_SECURE_INVALID_CA);
            response.strCertificateSha256 = strSha256;
        }
    }
    return response;
}

// A HEAD of the request's address, without account or body; its refusal names the scheme.
void CWinHttpTransport::AskForChallenge(HINTERNET hConnect, const CTarget& target) {
    m_bAskedForChallenge = true;
    DWORD dwFlags = WINHTTP_FLAG_ESCAPE_DISABLE | (target.bSecure ? WINHTTP_FLAG_SECURE : 0);
    CInternetHandle hRequest(WinHttpOpenRequest(hConnect, L"HEAD", target.wstrPath.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, dwFlags));
    DWORD dwFeature = WINHTTP_DISABLE_REDIRECTS, dwStatus = 0, dwSize = sizeof(dwStatus);
    if (hRequest.Get() == nullptr) {
        return;
    }
    SetAnswerTimeout(hRequest.Get(), m_options.nTimeoutSeconds);
    if (WinHttpSetOption(hRequest.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &dwFeature, sizeof(dwFeature)) &&
        WinHttpSendRequest(hRequest.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                           0) &&
        WinHttpReceiveResponse(hRequest.Get(), nullptr) &&
        WinHttpQueryHeaders(hRequest.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX) &&
        dwStatus == HTTP_STATUS_DENIED) {
        m_dwAuthScheme = ChooseAuthScheme(hRequest.Get());
    }
}

CHttpResponse CWinHttpTransport::Exchange(HINTERNET hRequest, const CHttpRequest& request, bool bAccount,
                                          DWORD& dwError) {
    DWORD dwSentScheme = 0;
    if (bAccount &&
        (m_dwAuthScheme == WINHTTP_AUTH_SCHEME_BASIC ||
         (m_dwAuthScheme == 0 && CAccountScope::MayOfferUnasked(request.strUrl))) &&
        SetCredentials(hRequest, WINHTTP_AUTH_SCHEME_BASIC)) {
        dwSentScheme = WINHTTP_AUTH_SCHEME_BASIC;
    }
    // A few rounds at most: one for the password, one for a resend WinHTTP asks for.
    for (int nRound = 0; nRound < 3; ++nRound) {
        void* pBody =
            request.strBody.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(request.strBody.data());
        DWORD dwBody = static_cast<DWORD>(request.strBody.size());
        if (!WinHttpSendRequest(hRequest, WINHTTP_NO_ADDITIONAL_HEADERS, 0, pBody, dwBody, dwBody, 0) ||
            !WinHttpReceiveResponse(hRequest, nullptr)) {
            dwError = GetLastError();
            if (dwError == ERROR_WINHTTP_RESEND_REQUEST) {
                continue;
            }
            return FailureOfError(dwError);
        }
        DWORD dwStatus = 0, dwSize = sizeof(dwStatus);
        if (!WinHttpQueryHeaders(hRequest, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX)) {
            return FailureOfError(GetLastError());
        }
        // Once more with the account, in the scheme the server asks for. Nothing reads the page
        // of a refusal; a server may reset the connection while it is sent, and WinHTTP sends the
        // request again without it.
        if (dwStatus == HTTP_STATUS_DENIED && bAccount) {
            DWORD dwScheme = ChooseAuthScheme(hRequest);
            if (dwScheme != 0 && dwScheme != dwSentScheme && SetCredentials(hRequest, dwScheme)) {
                m_dwAuthScheme = dwSentScheme = dwScheme;
                continue;
            }
        }
        bool bBodyExpected = dwStatus != HTTP_STATUS_DENIED && dwStatus != HTTP_STATUS_NO_CONTENT &&
                             dwStatus != HTTP_STATUS_NOT_MODIFIED && request.strMethod != "HEAD";
        CHttpResponse response =
            bBodyExpected ? ReadBody(hRequest, m_options.nMaxResponseBytes) : CHttpResponse();
        if (response.failure != HttpFailure::none) {
            return response;
        }
        response.nStatus = static_cast<int>(dwStatus);
        response.headers = ResponseHeaders(hRequest);
        return response;
    }
    return Failure(HttpFailure::other, "the server kept asking for the request again");
}

} // namespace

void WipeSecret(std::string& str) {
    // The whole buffer, not only the text: a password that was longer once left bytes beyond it.
    str.resize(str.capacity());
    SecureZeroMemory(&str[0], str.size());
    str.clear();
}

std::unique_ptr<IHttpTransport> MakeHttpTransport(const CHttpOptions& options) {
    return std::make_unique<CWinHttpTransport>(options);
}
