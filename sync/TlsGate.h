// The gate in front of a server whose certificate is trusted by its fingerprint. WinHTTP reaches
// such a server through the gate as through a proxy (on 127.0.0.1); the gate reads the TLS
// handshake as it passes and lets the server's certificate reach WinHTTP only when it is the
// trusted one (or one the system trusts). Any other ends the connection inside the handshake, so
// no byte of a request can ever be written on it. WinHTTP itself offers no safe step: Wine's
// (8.0, measured) has no certificate to show at WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER, has
// built the request with its Authorization by WINHTTP_CALLBACK_STATUS_SENDING_REQUEST, and writes
// it and its body even when the request's handle is closed from that callback; and a server that
// closes every connection after its answer (radicale) leaves no connection that a first request
// could have checked. The gate needs TLS 1.2, whose certificate travels in the clear; a session
// resumed without one passes only when a gate checked the handshake that made it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Why the gate ended a connection, for the transport to say.
struct CTlsGateOutcome {
    std::string strRefusedSha256;    // the SHA-256 of a certificate it refused
    bool bRefusedResumption = false; // a resumed session it could not vouch for
    std::string strUnreachable;      // why the server could not be reached
};

class CTlsGate {
public:
    // The gate leads to strHost:nPort only; strTrustedSha256 is the canonical fingerprint it lets
    // through beside what the system trusts (empty: only what the system trusts).
    CTlsGate(const std::string& strHost, int nPort, const std::string& strTrustedSha256, int nTimeoutSeconds);
    // Ends every connection through the gate and waits for them.
    ~CTlsGate();
    CTlsGate(const CTlsGate&) = delete;
    CTlsGate& operator=(const CTlsGate&) = delete;

    // Listens on 127.0.0.1; false with the cause.
    [[nodiscard]] bool Open(std::string& strError);
    int Port() const { return m_nPort; }
    // What the gate refused since the last call, and forgets it.
    CTlsGateOutcome TakeOutcome();

private:
    struct CConnection {
        std::thread thread;
        std::atomic<bool> bDone{false};
    };
    void AcceptLoop();
    void Serve(uintptr_t client);
    void Note(const CTlsGateOutcome& outcome);

    const std::string m_strHost, m_strTrustedSha256;
    const int m_nTargetPort, m_nTimeoutSeconds;
    uintptr_t m_listener;
    int m_nPort = 0;
    bool m_bStarted = false;
    std::atomic<bool> m_bStopping{false};
    std::thread m_acceptThread;
    std::vector<std::unique_ptr<CConnection>> m_connections; // the accepting thread's own
    std::mutex m_lock;                                       // over m_outcome
    CTlsGateOutcome m_outcome;
};
