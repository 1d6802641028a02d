#include "TlsGate.h"

#include "TlsHandshake.h"

#include "framework/core/WideText.h"

// Winsock before windows.h, which the handle owners bring.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "framework/base/Handles.h"

#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <deque>

namespace {

// How often a waiting connection looks whether the gate is closing.
const long kPollMicroseconds = 200 * 1000;
// Bytes held for a side that does not read: beyond it, the gate stops reading from the other.
const size_t kMaxBuffered = 1024 * 1024;
const size_t kMaxConnectRequest = 8192;

BOOL WINAPI CloseSocket(SOCKET s) { return ::closesocket(s) == 0; }

using CSocket = CHandleOwner<SOCKET, &CloseSocket, INVALID_SOCKET>;

bool SetNonBlocking(SOCKET s) {
    u_long nOn = 1;
    return ioctlsocket(s, FIONBIO, &nOn) == 0;
}

// Waits until s can be read (or written); false on the gate's closing or when nothing came.
bool WaitFor(SOCKET s, bool bWrite, int nSeconds, const std::atomic<bool>& bStopping) {
    for (long nWaited = 0; nWaited < nSeconds * 1000000L && !bStopping; nWaited += kPollMicroseconds) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        fd_set errors = set;
        timeval wait = {0, kPollMicroseconds};
        int nReady = select(0, bWrite ? nullptr : &set, bWrite ? &set : nullptr, &errors, &wait);
        if (nReady != 0) {
            return nReady > 0 && FD_ISSET(s, &set);
        }
    }
    return false;
}

// A connection to the server, made within the timeout; the cause in words on failure.
SOCKET ConnectTo(const std::string& strHost, int nPort, int nSeconds, const std::atomic<bool>& bStopping,
                 std::string& strError) {
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* pFirst = nullptr;
    std::string strName =
        strHost.size() > 2 && strHost.front() == '[' ? strHost.substr(1, strHost.size() - 2) : strHost;
    if (getaddrinfo(strName.c_str(), std::to_string(nPort).c_str(), &hints, &pFirst) != 0) {
        strError = "no server of that name was found";
        return INVALID_SOCKET;
    }
    strError = "nothing answered at that address";
    SOCKET s = INVALID_SOCKET;
    for (addrinfo* p = pFirst; p != nullptr && s == INVALID_SOCKET; p = p->ai_next) {
        s = socket(p->ai_family, p->ai_socktype, p->ai_protocol);
        if (s == INVALID_SOCKET || !SetNonBlocking(s)) {
            continue;
        }
        int nResult = connect(s, p->ai_addr, static_cast<int>(p->ai_addrlen));
        int nError = 0, nSize = sizeof(nError);
        bool bConnected =
            nResult == 0 ||
            (WSAGetLastError() == WSAEWOULDBLOCK && WaitFor(s, true, nSeconds, bStopping) &&
             getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&nError), &nSize) == 0 &&
             nError == 0);
        if (!bConnected) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
    }
    freeaddrinfo(pFirst);
    if (s != INVALID_SOCKET) {
        strError.clear();
    }
    return s;
}

std::string Sha256Hex(const std::string& strDer) {
    BYTE digest[32];
    DWORD dwDigest = sizeof(digest);
    if (!CryptHashCertificate2(L"SHA256", 0, nullptr, reinterpret_cast<const BYTE*>(strDer.data()),
                               static_cast<DWORD>(strDer.size()), digest, &dwDigest) ||
        dwDigest != sizeof(digest)) {
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

// Whether the system trusts the chain for the host, as WinHTTP's own check would.
bool SystemTrusts(const std::vector<std::string>& certificates, const std::string& strHost) {
    const DWORD dwEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
    PCCERT_CONTEXT pLeaf =
        CertCreateCertificateContext(dwEncoding, reinterpret_cast<const BYTE*>(certificates[0].data()),
                                     static_cast<DWORD>(certificates[0].size()));
    HCERTSTORE hOthers = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    bool bTrusted = false;
    if (pLeaf != nullptr && hOthers != nullptr) {
        for (size_t i = 1; i < certificates.size(); ++i) {
            CertAddEncodedCertificateToStore(
                hOthers, dwEncoding, reinterpret_cast<const BYTE*>(certificates[i].data()),
                static_cast<DWORD>(certificates[i].size()), CERT_STORE_ADD_ALWAYS, nullptr);
        }
        LPSTR pszServerAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
        CERT_CHAIN_PARA chainPara = {};
        chainPara.cbSize = sizeof(chainPara);
        chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
        chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
        chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &pszServerAuth;
        PCCERT_CHAIN_CONTEXT pChain = nullptr;
        if (CertGetCertificateChain(nullptr, pLeaf, nullptr, hOthers, &chainPara, 0, nullptr, &pChain)) {
            std::wstring wstrHost = ToWide(strHost.c_str());
            HTTPSPolicyCallbackData ssl = {};
            ssl.cbStruct = sizeof(ssl);
            ssl.dwAuthType = AUTHTYPE_SERVER;
            ssl.pwszServerName = &wstrHost[0];
            CERT_CHAIN_POLICY_PARA policyPara = {};
            policyPara.cbSize = sizeof(policyPara);
            policyPara.pvExtraPolicyPara = &ssl;
            CERT_CHAIN_POLICY_STATUS status = {};
            status.cbSize = sizeof(status);
            bTrusted =
                CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, pChain, &policyPara, &status) &&
                status.dwError == 0;
            CertFreeCertificateChain(pChain);
        }
    }
    if (hOthers != nullptr) {
        CertCloseStore(hOthers, 0);
    }
    if (pLeaf != nullptr) {
        CertFreeCertificateContext(pLeaf);
    }
    return bTrusted;
}

// The sessions whose full handshake a gate checked, by server: a later connection may resume them
// without a certificate. Process-wide, as the system's cache of sessions that offers them is; a
// session that a connection outside the gates made (its certificate refused) is never among them.
std::mutex s_vouchedLock;
std::deque<std::string> s_vouched;
const size_t kMaxVouched = 256;

void Vouch(const std::string& strKey) {
    std::lock_guard<std::mutex> lock(s_vouchedLock);
    if (std::find(s_vouched.begin(), s_vouched.end(), strKey) == s_vouched.end()) {
        s_vouched.push_back(strKey);
        if (s_vouched.size() > kMaxVouched) {
            s_vouched.pop_front();
        }
    }
}

bool IsVouched(const std::string& strKey) {
    std::lock_guard<std::mutex> lock(s_vouchedLock);
    return std::find(s_vouched.begin(), s_vouched.end(), strKey) != s_vouched.end();
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return tolower(static_cast<unsigned char>(x)) == tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

CTlsGate::CTlsGate(const std::string& strHost, int nPort, const std::string& strTrustedSha256,
                   int nTimeoutSeconds)
    : m_strHost(strHost), m_strTrustedSha256(strTrustedSha256), m_nTargetPort(nPort),
      m_nTimeoutSeconds(nTimeoutSeconds), m_listener(INVALID_SOCKET) {}

CTlsGate::~CTlsGate() {
    m_bStopping = true;
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    for (auto& pConnection : m_connections) {
        pConnection->thread.join();
    }
    if (m_listener != INVALID_SOCKET) {
        closesocket(m_listener);
    }
    if (m_bStarted) {
        WSACleanup();
    }
}

bool CTlsGate::Open(std::string& strError) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        strError = "the system's network service could not be started";
        return false;
    }
    m_bStarted = true;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_listener = s;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int nLength = sizeof(address);
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), nLength) != 0 ||
        listen(s, SOMAXCONN) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &nLength) != 0 ||
        !SetNonBlocking(s)) {
        strError = "no local port could be opened for checking the server's certificate (error " +
                   std::to_string(WSAGetLastError()) + ")";
        return false;
    }
    m_nPort = ntohs(address.sin_port);
    m_acceptThread = std::thread(&CTlsGate::AcceptLoop, this);
    return true;
}

CTlsGateOutcome CTlsGate::TakeOutcome() {
    std::lock_guard<std::mutex> lock(m_lock);
    CTlsGateOutcome outcome = m_outcome;
    m_outcome = CTlsGateOutcome();
    return outcome;
}

void CTlsGate::Note(const CTlsGateOutcome& outcome) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!outcome.strRefusedSha256.empty()) {
        m_outcome.strRefusedSha256 = outcome.strRefusedSha256;
    }
    m_outcome.bRefusedResumption = m_outcome.bRefusedResumption || outcome.bRefusedResumption;
    if (!outcome.strUnreachable.empty()) {
        m_outcome.strUnreachable = outcome.strUnreachable;
    }
}

void CTlsGate::AcceptLoop() {
    while (!m_bStopping) {
        if (!WaitFor(m_listener, false, 1, m_bStopping)) {
            continue;
        }
        SOCKET client = accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            continue;
        }
        // Connections that ended are let go here, so that a long sync does not gather them.
        m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                           [](std::unique_ptr<CConnection>& p) {
                                               if (!p->bDone) {
                                                   return false;
                                               }
                                               p->thread.join();
                                               return true;
                                           }),
                            m_connections.end());
        auto pConnection = std::make_unique<CConnection>();
        CConnection* pRaw = pConnection.get();
        pConnection->thread = std::thread([this, client, pRaw] {
            Serve(client);
            pRaw->bDone = true;
        });
        m_connections.push_back(std::move(pConnection));
    }
}

namespace {

// The first bytes of a connection to the gate: WinHTTP on Windows asks for a tunnel (CONNECT
// host:port); Wine's begins the TLS handshake at once. The target must be the gate's own.
enum class Opening { tunnel, handshake, refused };

Opening ReadOpening(SOCKET client, const std::string& strHost, int nPort, int nSeconds,
                    const std::atomic<bool>& bStopping, std::string& strFirstBytes) {
    char buffer[2048];
    while (strFirstBytes.size() < kMaxConnectRequest && WaitFor(client, false, nSeconds, bStopping)) {
        int nRead = recv(client, buffer, sizeof(buffer), 0);
        if (nRead <= 0) {
            return Opening::refused;
        }
        strFirstBytes.append(buffer, nRead);
        if (strFirstBytes[0] == 0x16) {
            return Opening::handshake;
        }
        if (strFirstBytes.compare(
                0, 8, std::string("CONNECT ", 0, std::min<size_t>(8, strFirstBytes.size()))) != 0) {
            return Opening::refused;
        }
        size_t nEnd = strFirstBytes.find("\r\n\r\n");
        if (nEnd == std::string::npos) {
            continue;
        }
        size_t nTargetEnd = strFirstBytes.find(' ', 8);
        std::string strTarget = strFirstBytes.substr(8, nTargetEnd == std::string::npos ? 0 : nTargetEnd - 8);
        size_t nColon = strTarget.rfind(':');
        bool bOurs = nColon != std::string::npos && EqualIgnoringCase(strTarget.substr(0, nColon), strHost) &&
                     strTarget.substr(nColon + 1) == std::to_string(nPort);
        strFirstBytes.erase(0, nEnd + 4);
        return bOurs ? Opening::tunnel : Opening::refused;
    }
    return Opening::refused;
}

bool SendAll(SOCKET s, const std::string& str, int nSeconds, const std::atomic<bool>& bStopping) {
    size_t nSent = 0;
    while (nSent < str.size()) {
        int n = send(s, str.data() + nSent, static_cast<int>(str.size() - nSent), 0);
        if (n > 0) {
            nSent += n;
        } else if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitFor(s, true, nSeconds, bStopping)) {
            return false;
        }
    }
    return true;
}

// Moves what is waiting to the socket, as much as it takes now; false when it is gone.
bool Flush(SOCKET s, std::string& strPending) {
    int n = send(s, strPending.data(), static_cast<int>(std::min<size_t>(strPending.size(), 65536)), 0);
    if (n > 0) {
        strPending.erase(0, n);
        return true;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

// One connection's watch over the server's side of the handshake.
struct CServerSide {
    std::string strServerKey; // "host:port|", before the keys of its vouched sessions
    std::string strHost, strTrustedSha256;
    CTlsHandshakeWatch watch;
    bool bWatching = true, bDecided = false;
    std::string strHeld; // the server's bytes not yet let through
    CTlsGateOutcome outcome;
};

// Takes bytes from the server: held until the certificate (or a resumed session) was judged,
// then let through to strToClient. False when the connection is to end, its held bytes (the
// certificate among them) never reaching the client.
bool TakeServerBytes(CServerSide& side, const char* pData, int nLength, std::string& strToClient) {
    using Sight = CTlsHandshakeWatch::Sight;
    if (!side.bWatching) {
        strToClient.append(pData, nLength);
        return true;
    }
    Sight sight = side.watch.FromServer(pData, nLength);
    (side.bDecided ? strToClient : side.strHeld).append(pData, nLength);
    if (side.bDecided) {
        if (sight != Sight::more) {
            // The rest of the server's handshake is encrypted: the session it names, and its
            // ticket if any, were seen. The system keeps a session only once the handshake is
            // done, which takes the key of the certificate that was checked.
            if (!side.watch.ServerSessionId().empty()) {
                Vouch(side.strServerKey + "id:" + side.watch.ServerSessionId());
            }
            if (!side.watch.NewTicket().empty()) {
                Vouch(side.strServerKey + "ticket:" + side.watch.NewTicket());
            }
            side.bWatching = false;
        }
        return true;
    }
    if (sight == Sight::more) {
        return true;
    }
    if (sight == Sight::certificate) {
        std::string strSha256 = Sha256Hex(side.watch.Certificates()[0]);
        side.bDecided = (!side.strTrustedSha256.empty() && strSha256 == side.strTrustedSha256) ||
                        SystemTrusts(side.watch.Certificates(), side.strHost);
        if (!side.bDecided) {
            side.outcome.strRefusedSha256 = strSha256;
        }
    } else if (sight == Sight::resumed) {
        const CTlsHandshakeWatch& watch = side.watch;
        bool bById = !watch.OfferedSessionId().empty() &&
                     watch.OfferedSessionId() == watch.ServerSessionId() &&
                     IsVouched(side.strServerKey + "id:" + watch.ServerSessionId());
        bool bByTicket = !watch.OfferedTicket().empty() &&
                         IsVouched(side.strServerKey + "ticket:" + watch.OfferedTicket());
        side.bDecided = bById || bByTicket;
        side.outcome.bRefusedResumption = !side.bDecided;
        if (side.bDecided && !watch.NewTicket().empty()) {
            Vouch(side.strServerKey + "ticket:" + watch.NewTicket());
        }
        side.bWatching = false;
    }
    if (!side.bDecided) {
        return false;
    }
    strToClient += side.strHeld;
    side.strHeld.clear();
    return true;
}

} // namespace

void CTlsGate::Serve(uintptr_t clientHandle) {
    CSocket client(clientHandle);
    std::string strFromClient;
    if (!SetNonBlocking(client.Get())) {
        return;
    }
    Opening opening =
        ReadOpening(client.Get(), m_strHost, m_nTargetPort, m_nTimeoutSeconds, m_bStopping, strFromClient);
    if (opening == Opening::refused) {
        return;
    }
    CServerSide side;
    CSocket server(
        ConnectTo(m_strHost, m_nTargetPort, m_nTimeoutSeconds, m_bStopping, side.outcome.strUnreachable));
    if (server.Get() == INVALID_SOCKET) {
        if (opening == Opening::tunnel) {
            SendAll(client.Get(),
                    "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
                    m_nTimeoutSeconds, m_bStopping);
        }
        Note(side.outcome);
        return;
    }
    if ((opening == Opening::tunnel && !SendAll(client.Get(), "HTTP/1.1 200 Connection established\r\n\r\n",
                                                m_nTimeoutSeconds, m_bStopping)) ||
        !side.watch.FromClient(strFromClient.data(), strFromClient.size())) {
        return;
    }
    side.strServerKey = m_strHost + ":" + std::to_string(m_nTargetPort) + "|";
    side.strHost = m_strHost;
    side.strTrustedSha256 = m_strTrustedSha256;
    std::string strToServer = strFromClient, strToClient;
    bool bServerDone = false;
    char buffer[16384];
    while (!m_bStopping && !(bServerDone && strToClient.empty())) {
        fd_set readable, writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        if (strToServer.size() < kMaxBuffered) {
            FD_SET(client.Get(), &readable);
        }
        if (!bServerDone && strToClient.size() < kMaxBuffered) {
            FD_SET(server.Get(), &readable);
        }
        if (!strToServer.empty()) {
            FD_SET(server.Get(), &writable);
        }
        if (!strToClient.empty()) {
            FD_SET(client.Get(), &writable);
        }
        timeval wait = {0, kPollMicroseconds};
        if (select(0, &readable, &writable, nullptr, &wait) < 0) {
            break;
        }
        if (FD_ISSET(client.Get(), &readable)) {
            int nRead = recv(client.Get(), buffer, sizeof(buffer), 0);
            if (nRead <= 0 || !side.watch.FromClient(buffer, nRead)) {
                break;
            }
            strToServer.append(buffer, nRead);
        }
        if (FD_ISSET(server.Get(), &readable)) {
            int nRead = recv(server.Get(), buffer, sizeof(buffer), 0);
            if (nRead <= 0) {
                bServerDone = true;
            } else if (!TakeServerBytes(side, buffer, nRead, strToClient)) {
                break;
            }
        }
        if ((FD_ISSET(server.Get(), &writable) && !Flush(server.Get(), strToServer)) ||
            (FD_ISSET(client.Get(), &writable) && !Flush(client.Get(), strToClient))) {
            break;
        }
    }
    Note(side.outcome);
}
